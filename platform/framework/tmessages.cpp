#include "tmessages.h"

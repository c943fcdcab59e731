#include "handlerguard.h"

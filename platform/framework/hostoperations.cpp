#include "hostoperations.h"

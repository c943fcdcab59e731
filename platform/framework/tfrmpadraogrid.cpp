#include "tfrmpadraogrid.h"

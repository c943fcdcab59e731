#include "tdbgrid.h"

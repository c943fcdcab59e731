#include "tdateeditplus.h"

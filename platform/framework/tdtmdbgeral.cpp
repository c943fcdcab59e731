#include "tdtmdbgeral.h"

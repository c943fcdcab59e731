#include "tdatasource.h"

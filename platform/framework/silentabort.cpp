#include "silentabort.h"

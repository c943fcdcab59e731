#include "tfrmfiltropadrao.h"

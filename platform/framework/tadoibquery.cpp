#include "tadoibquery.h"

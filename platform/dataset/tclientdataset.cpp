#include "tclientdataset.h"

#include "dialogseam.h"

#include "focuschain.h"

#include "tnetconnection.h"

#include "tbtnpesquisa.h"

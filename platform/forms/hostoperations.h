#pragma once

// The host's library of form operations, one header per concern; forms
// include this one.
#include "busywhile.h"
#include "hostbusy.h"
#include "hostforms.h"
#include "hostmessages.h"
#include "hostsearch.h"
#include "hosttext.h"

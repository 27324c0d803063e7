#include "basics/sprachen.h"

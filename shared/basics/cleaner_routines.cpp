#include "basics/cleaner_routines.h"

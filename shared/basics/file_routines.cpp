#include "basics/file_routines.h"

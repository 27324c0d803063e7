#include "basics/scan_data.h"

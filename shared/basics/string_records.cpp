#include "basics/string_records.h"

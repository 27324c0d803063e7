#include "database/connection_strings.h"

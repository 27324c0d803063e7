#include "demo_database/inline_database.h"

#include "cleaning_rules.h"

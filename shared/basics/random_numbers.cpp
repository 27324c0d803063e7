#include "basics/random_numbers.h"

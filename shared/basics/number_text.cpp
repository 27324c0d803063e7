#include "basics/number_text.h"

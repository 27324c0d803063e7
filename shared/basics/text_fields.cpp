#include "basics/text_fields.h"

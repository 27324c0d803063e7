#include "qt_operator.h"

#include "basics/ini_lines.h"

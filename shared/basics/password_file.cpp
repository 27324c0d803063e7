#include "basics/password_file.h"

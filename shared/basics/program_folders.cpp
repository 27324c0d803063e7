#include "basics/program_folders.h"

#include "cleaner_settings.h"

#include "error_reporting_application.h"

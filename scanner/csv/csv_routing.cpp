#include "scanner/csv/csv_routing.h"

#include "scanner/csv/csv_reader.h"

#include "scanner/csv/csv_archive.h"

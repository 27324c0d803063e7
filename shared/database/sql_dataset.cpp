#include "database/sql_dataset.h"

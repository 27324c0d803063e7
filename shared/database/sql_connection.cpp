#include "database/sql_connection.h"

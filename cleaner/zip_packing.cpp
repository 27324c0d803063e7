#include "zip_packing.h"

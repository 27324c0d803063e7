#include "language_editor_unit.h"

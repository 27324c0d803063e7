#include "language_editor_unit.h"
int main() { return 0; }

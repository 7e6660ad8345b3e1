// Connections of every control to its handler.

#include "app/TForm1.h"

void TForm1::connectHandlers() {}

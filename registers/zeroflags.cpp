// Zero-flag lamps.

#include "app/TForm1.h"

void TForm1::btnZeroClrClick() {}
void TForm1::btnZeroReadClick() {}

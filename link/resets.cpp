// Chip resets and reconnect.

#include "app/TForm1.h"

void TForm1::btnMRSTClick() {}
void TForm1::btnSRSTClick() {}
void TForm1::bBDRSTClick() {}

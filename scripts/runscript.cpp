// Script files.

#include "app/TForm1.h"

void TForm1::RunScript(const QString&, bool) {}
void TForm1::Open1Click() {}

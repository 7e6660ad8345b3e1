// Tool > Register Map.

#include "TForm1.h"

#include "globals.h"
#include "regviewform.h"

void TForm1::RegisterMap1Click()
{
    if (!RegViewForm) return;
    RegViewForm->show(); // modeless: it stays open beside the main window
    RegViewForm->raise();
    RegViewForm->activateWindow();
}

// Tool > Register Map.

#include "ui/TForm1.h"

#include "ui/globals.h"
#include "ui/regviewform.h"

void TForm1::RegisterMap1Click()
{
    if (!RegViewForm) return;
    RegViewForm->show(); // modeless: it stays open beside the main window
    RegViewForm->raise();
    RegViewForm->activateWindow();
}

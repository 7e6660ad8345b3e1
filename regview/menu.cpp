// Tool > Register Map.

#include "app/TForm1.h"

#include "app/globals.h"
#include "regview/regviewform.h"

void TForm1::RegisterMap1Click()
{
    if (!RegViewForm) return;
    RegViewForm->show(); // modeless: it stays open beside the main window
    RegViewForm->raise();
    RegViewForm->activateWindow();
}

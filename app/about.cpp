// Help > About.

#include "app/TForm1.h"

#include "app/aboutdialog.h"
#include "app/dialogs.h"
#include "app/globals.h"

void TForm1::About2Click()
{
    if (!AboutDialog) return;
    // Without a bound library the design-time "0.0.0.0" stays.
    if (bus.getVer) AboutDialog->setLibraryVersion(versionText(bus.getVer()));
    AboutDialog->setPort(BoardOpen);
    AboutDialog->fitLabels();
    dialogs().execModal(AboutDialog);
}

// Help > About.

#include "TForm1.h"

#include "linktext.h"

#include "aboutdialog.h"
#include "dialogs.h"
#include "globals.h"

void TForm1::About2Click()
{
    if (!AboutDialog) return;
    // Without a bound library the design-time "0.0.0.0" stays.
    if (const std::optional<int> v = board_.libraryVersion())
        AboutDialog->setLibraryVersion(evmlink::versionText(*v));
    AboutDialog->setPort(board_.port());
    AboutDialog->fitLabels();
    dialogs().execModal(AboutDialog);
}

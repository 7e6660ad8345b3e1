// The register snapshot: the file the user names, saved by the board.

#include "ui/TForm1.h"

#include "ui/dialogs.h"

void TForm1::SaveRegisterDumpClick()
{
    const QString path = dialogs_->saveFile(*SaveDialog1);
    if (path.isEmpty()) return;
    board_.saveSnapshot(path);
}

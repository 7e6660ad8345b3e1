// The register snapshot: the file the user names, saved by the board.

#include "TForm1.h"

#include "dialogs.h"

void TForm1::SaveRegisterDumpClick()
{
    // Without a board every register would read 0: nothing to save.
    if (!board_.requireBoard()) return;
    const QString path = dialogs_->saveFile(*SaveDialog1);
    if (path.isEmpty()) return;
    board_.saveSnapshot(path);
}

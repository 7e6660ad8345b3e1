// The register setting history: every logged write a line, cleared and
// saved as a file that replays as a script.

#include "TForm1.h"

#include "dialogs.h"
#include "savefile.h"
#include "textfile.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

void TForm1::bClearHistryClick()
{
    Memo1->clear();
}

void TForm1::bSaveHistryClick()
{
    const QString path = dialogs_->saveFile(*SaveDialog1);
    if (path.isEmpty() || !evm::confirmOverwrite(board_.question, path)) return;
    // The box holds '\n' line ends; on disk every line ends with CR LF.
    evm::saveTextFile(path, textfile::withCrLf(Memo1->toPlainText().toLocal8Bit()));
}

// Every line the program adds is followed by a line break, so the saved log is
// a script with CR LF after every record. When the user left text on the last
// line, the record starts a line of its own. Inserting through a cursor at the
// end, as one edit, keeps the cost of a line independent of the length of the
// log. A box scrolled to its end follows the new lines, but the scroll waits
// for the event loop: scrolling at every line of a burst would move the
// picture once per line for nothing.
void TForm1::AppendHistory(const QString& line)
{
    static const char* const kScrollPending = "historyScrollPending";
    QScrollBar* bar = Memo1->verticalScrollBar();
    const bool pending = Memo1->property(kScrollPending).toBool();
    const bool follow = !pending && bar->value() >= bar->maximum();

    QTextCursor cursor(Memo1->document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    if (!cursor.atBlockStart()) cursor.insertBlock();
    cursor.insertText(line + QLatin1Char('\n'));
    cursor.endEditBlock();
    // The program's lines are not the user's edits to undo, and an undo
    // stack growing with every line would make the log cost more per line.
    Memo1->document()->clearUndoRedoStacks();

    if (follow) {
        Memo1->setProperty(kScrollPending, true);
        QTimer::singleShot(0, Memo1, [memo = Memo1] {
            memo->setProperty(kScrollPending, false);
            memo->verticalScrollBar()->setValue(memo->verticalScrollBar()->maximum());
        });
    }
}

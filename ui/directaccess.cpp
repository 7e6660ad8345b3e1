// Direct register access and the history log.

#include "ui/TForm1.h"

#include "core/integertext.h"
#include "core/linktext.h"
#include "core/savefile.h"
#include "core/textfile.h"
#include "ui/dialogs.h"
#include "ui/widgets.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

namespace {

// The text of an edit field as a script number; a text that is none ends the
// handler through the general error report, which names the text.
std::int32_t fieldNumber(const TEdit* edit)
{
    const QString text = edit->text();
    const auto value = evm::parseInteger(text, evm::IntegerRange::Pattern32);
    if (!value) throw AppError(apperr::notAnInteger(text));
    return *value;
}

} // namespace

void TForm1::ReadClick()
{
    const std::int32_t address = fieldNumber(RDA_reg);
    // Without a board there is nothing to read: the Data field keeps its text.
    if (!board_.requireBoard()) return;
    RDA_data->setText(evmlink::hex2(board_.ReadRegister(address)));
}

void TForm1::WriteClick()
{
    const std::int32_t data = fieldNumber(RDA_data);
    const std::int32_t address = fieldNumber(RDA_reg);
    board_.WriteRegister(unsigned(address), data);
    RefreshControls();
}

void TForm1::RDA_regKeyUp(int key)
{
    if (isEnterKey(key)) ReadClick();
}

void TForm1::RDA_dataKeyUp(int key)
{
    if (isEnterKey(key)) WriteClick();
}

// Enter acts on its release (the KeyUp handlers); dropped here, the carriage
// return neither reaches the field nor triggers anything else on the press.
void TForm1::KeyPressStopBeep(QChar ch, bool* swallow)
{
    if (ch == QLatin1Char('\r')) *swallow = true;
}

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

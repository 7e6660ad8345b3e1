// Script files, run from the menu or at start-up: the board runs the lines,
// the window shows the progress and follows the image at the end.

#include "TForm1.h"

#include "dialogs.h"
#include "globals.h"
#include "scriptprogress.h"
#include "splashform.h"

#include <QProgressBar>

#include <climits>

namespace {

class ProgressWindow : public evm::ScriptEvents {
public:
    explicit ProgressWindow(bool show) : show_(show) {}
    void counted(qint64 lines) override
    {
        if (QProgressBar* bar = this->bar()) bar->setMaximum(int(qMin<qint64>(lines, INT_MAX)));
        if (show_ && scriptProgress) showPainted(scriptProgress);
    }
    void at(qint64 index) override
    {
        if (QProgressBar* bar = this->bar()) bar->setValue(int(qMin<qint64>(index, INT_MAX)));
    }
    // Whatever ends the run the dialog goes (the board has the panel
    // follow the image first).
    void finished() override
    {
        if (scriptProgress) scriptProgress->hide();
    }

private:
    static QProgressBar* bar() { return scriptProgress ? scriptProgress->ProgressBar1 : nullptr; }
    bool show_;
};

} // namespace

std::unique_ptr<evm::ScriptEvents> TForm1::scriptEvents(bool showProgress)
{
    return std::make_unique<ProgressWindow>(showProgress);
}

void TForm1::RunScript(const QString& fileName, bool showProgress)
{
    ProgressWindow progress(showProgress);
    board_.runScript(fileName, &progress);
}

void TForm1::Open1Click()
{
    const QString path = dialogs_->openFile(*OpenDialog1);
    if (path.isEmpty()) return;
    RunScript(path, true);
}

// Script files: running a script, from the menu or at start-up.

#include "app/TForm1.h"

#include "app/dialogs.h"
#include "app/globals.h"
#include "scripts/scriptline.h"
#include "scripts/scriptprogress.h"
#include "scripts/textfile.h"

#include <QFileInfo>
#include <QProgressBar>

namespace {

const QString kCaption = QStringLiteral("Script file error");

// Moves the progress bar along a run. QProgressBar::setValue repaints a visible
// bar at once, which would cost far more than a register write, so on long
// scripts the bar moves only when it has advanced a visible step; it is set
// exactly whenever the run pauses (a wait or a message) and where it ends.
class ProgressSteps {
public:
    ProgressSteps(QProgressBar* bar, int lines) : bar_(bar), step_(qMax(1, lines / 200)) {}
    void at(int i)
    {
        if (i >= next_) exact(i);
    }
    void exact(int i)
    {
        if (!bar_) return;
        bar_->setValue(i);
        next_ = i + step_;
    }

private:
    QProgressBar* bar_;
    int step_;
    int next_ = 0;
};

} // namespace

void TForm1::RunScript(const QString& fileName, bool showProgress)
{
    if (!QFileInfo(fileName).isFile()) { // a folder of that name is no script file either
        dialogs_->errorBox(QStringLiteral("File not exist."), kCaption);
        return;
    }
    LogHistory = false;

    // Whatever ends the run, the panel follows the image, the dialog goes and
    // the history log records again.
    auto endOfRun = [this] {
        RefreshControls();
        if (scriptProgress) scriptProgress->hide();
        LogHistory = true;
    };

    try {
        textfile::Lines lines;
        QString reason;
        if (!textfile::readLines(fileName, &lines, &reason)) {
            dialogs_->errorBox(QStringLiteral("Cannot read the script file.\n") + reason, kCaption);
            endOfRun();
            return;
        }

        const int count = lines.count();
        QProgressBar* bar = scriptProgress ? scriptProgress->ProgressBar1 : nullptr;
        if (bar) bar->setMaximum(count);
        if (showProgress && scriptProgress) {
            scriptProgress->show();
            scriptProgress->repaint();
        }

        ProgressSteps progress(bar, count);
        bool stopped = false;
        for (int i = 0; i < count && !stopped; ++i) {
            progress.at(i);
            const scriptline::Line line = scriptline::parse(lines.line(i));
            switch (line.kind) {
            case scriptline::Kind::Write:
                WriteRegister(unsigned(line.first), line.second);
                break;
            case scriptline::Kind::Empty:
                break;
            case scriptline::Kind::Wait:
                progress.exact(i);
                if (Wait) Wait(line.first);
                break;
            case scriptline::Kind::BadWait:
            case scriptline::Kind::BadRecord:
            case scriptline::Kind::BadData:
                progress.exact(i);
                dialogs_->errorBox(scriptline::errorText(line.kind), kCaption);
                stopped = true;
                break;
            }
        }
        if (!stopped && count > 0) progress.exact(count - 1);
    } catch (...) {
        endOfRun();
        throw;
    }
    endOfRun();
}

void TForm1::Open1Click()
{
    const QString path = dialogs_->openFile(*OpenDialog1);
    if (path.isEmpty()) return;
    RunScript(path, true);
}

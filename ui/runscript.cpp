// Script files: running a script, from the menu or at start-up.

#include "ui/TForm1.h"

#include "ui/dialogs.h"
#include "ui/globals.h"
#include "ui/splashform.h"
#include "core/scriptline.h"
#include "ui/scriptprogress.h"
#include "core/textfile.h"

#include <QFile>
#include <QFileInfo>
#include <QProgressBar>

#include <climits>

namespace {

const QString kCaption = QStringLiteral("Script file error");

// Moves the progress bar along a run. QProgressBar::setValue repaints a visible
// bar at once, which would cost far more than a register write, so on long
// scripts the bar moves only when it has advanced a visible step; it is set
// exactly whenever the run pauses (a wait or a message) and where it ends.
class ProgressSteps {
public:
    ProgressSteps(QProgressBar* bar, qint64 lines) : bar_(bar), step_(qMax<qint64>(1, lines / 200)) {}
    void at(qint64 i)
    {
        if (i >= next_) exact(i);
    }
    void exact(qint64 i)
    {
        if (!bar_) return;
        bar_->setValue(int(qMin<qint64>(i, INT_MAX)));
        next_ = i + step_;
    }

private:
    QProgressBar* bar_;
    qint64 step_;
    qint64 next_ = 0;
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
    auto cannotRead = [&](const QString& reason) {
        dialogs_->errorBox(QStringLiteral("Cannot read the script file.\n") + reason, kCaption);
        endOfRun();
    };

    try {
        // Two passes over the file, so that a run holds one chunk of it at a
        // time: the first counts the lines for the progress bar and finds a
        // file that cannot be read before anything is written.
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly)) return cannotRead(file.errorString());
        qint64 count = 0;
        QByteArrayView text;
        {
            textfile::LineReader counter(&file);
            while (counter.next(&text)) ++count;
            if (counter.failed()) return cannotRead(counter.errorString());
        }
        if (!file.seek(0)) return cannotRead(file.errorString());

        QProgressBar* bar = scriptProgress ? scriptProgress->ProgressBar1 : nullptr;
        if (bar) bar->setMaximum(int(qMin<qint64>(count, INT_MAX)));
        if (showProgress && scriptProgress) showPainted(scriptProgress);

        ProgressSteps progress(bar, count);
        textfile::LineReader lines(&file);
        bool stopped = false;
        qint64 i = 0;
        for (; !stopped && lines.next(&text); ++i) {
            progress.at(i);
            const scriptline::Line line = scriptline::parse(text);
            switch (line.kind) {
            case scriptline::Kind::Write:
                WriteRegister(unsigned(line.first), line.second);
                break;
            case scriptline::Kind::Empty:
                break;
            case scriptline::Kind::Wait:
                progress.exact(i);
                if (Wait) Wait(line.first);
                stopped = closed_; // the window was closed during the wait
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
        if (lines.failed()) return cannotRead(lines.errorString());
        if (!stopped && i > 0) progress.exact(i - 1);
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

#include "scriptrunner.h"

#include "scriptline.h"
#include "textfile.h"

#include <QIODevice>

namespace evm {

namespace {
// Tells the events where a run has got. Progress that is shown costs far more
// than a register write, so on long scripts it moves only when it has
// advanced a visible step; it is exact whenever the run pauses (a wait or a
// message) and where it ends.
class ProgressSteps {
public:
    ProgressSteps(ScriptEvents* events, qint64 lines) : events_(events), step_(qMax<qint64>(1, lines / 200))
    {
    }
    void at(qint64 i)
    {
        if (i >= next_) exact(i);
    }
    void exact(qint64 i)
    {
        if (!events_) return;
        events_->at(i);
        next_ = i + step_;
    }

private:
    ScriptEvents* events_;
    qint64 step_;
    qint64 next_ = 0;
};

// How often a long run without waits looks whether it must end: often enough
// to stop at once for a person, rarely enough to cost nothing per line.
constexpr qint64 kStopCheckLines = 1024;
// Where the length of a script is not known, progress moves this often.
constexpr qint64 kUncountedStep = 1000;
} // namespace

ScriptRunner::Result ScriptRunner::run(QIODevice* device, ScriptEvents* events)
{
    Result result;
    auto unreadable = [&](const QString& reason) {
        result.outcome = Outcome::Unreadable;
        result.text = reason;
        return result;
    };

    QByteArrayView text;
    qint64 count = -1;
    if (!device->isSequential()) {
        count = 0;
        const qint64 start = device->pos();
        textfile::LineReader counter(device);
        while (counter.next(&text)) ++count;
        if (counter.failed()) return unreadable(counter.errorString());
        if (!device->seek(start)) return unreadable(device->errorString());
        if (events) events->counted(count);
    }

    ProgressSteps progress(events, count < 0 ? kUncountedStep * 200 : count);
    textfile::LineReader lines(device);
    qint64 i = 0;
    for (; lines.next(&text); ++i) {
        if (i % kStopCheckLines == 0 && i > 0 && target_.stopped && target_.stopped()) {
            result.outcome = Outcome::Interrupted;
            result.line = i - 1;
            return result;
        }
        progress.at(i);
        const scriptline::Line line = scriptline::parse(text);
        switch (line.kind) {
        case scriptline::Kind::Write:
            target_.write(unsigned(line.first), line.second);
            break;
        case scriptline::Kind::Empty:
            break;
        case scriptline::Kind::Wait:
            progress.exact(i);
            if (target_.wait) target_.wait(line.first);
            if (target_.stopped && target_.stopped()) {
                result.outcome = Outcome::Interrupted;
                result.line = i;
                return result;
            }
            break;
        case scriptline::Kind::BadWait:
        case scriptline::Kind::BadRecord:
        case scriptline::Kind::BadData:
            progress.exact(i);
            result.outcome = Outcome::BadLine;
            result.line = i;
            result.text = scriptline::errorText(line.kind);
            return result;
        }
    }
    if (lines.failed()) return unreadable(lines.errorString());
    if (i > 0) progress.exact(i - 1);
    result.line = i - 1;
    return result;
}

} // namespace evm

#pragma once
// Running a register script: each line a register write or a wait, stopping
// at the first bad line. The runner knows nothing of the board beyond a
// register writer, a wait and a check whether the run must end.

#include <QString>
#include <QtGlobal>

#include <functional>

class QIODevice;

namespace evm {

// What a script run tells whoever shows it. Every call is optional.
struct ScriptEvents {
    virtual ~ScriptEvents() = default;
    // The script is there: the run has begun; finished() follows whatever happens.
    virtual void begun() {}
    // The script has `lines` lines (known before the first runs where the
    // script can be read twice).
    virtual void counted(qint64 lines) { Q_UNUSED(lines) }
    // Line `index` (0-based) is next; called sparsely, and exactly at every
    // wait, every stop and the last line.
    virtual void at(qint64 index) { Q_UNUSED(index) }
    // The run stops at line `index` (0-based) for the error `text`. True when
    // the stop has been reported here; otherwise the board reports it.
    virtual bool stoppedAt(qint64 index, const QString& text)
    {
        Q_UNUSED(index)
        Q_UNUSED(text)
        return false;
    }
    virtual void finished() {}
};

class ScriptRunner {
public:
    struct Target {
        std::function<void(unsigned reg, int value)> write;
        std::function<void(int ms)> wait;
        std::function<bool()> stopped; // true: the run ends before the next line
    };
    enum class Outcome {
        Completed,   // every line ran
        BadLine,     // stopped at `line` for `text`
        Interrupted, // the target asked to stop (after `line`)
        Unreadable,  // reading failed: `text` says why
    };
    struct Result {
        Outcome outcome = Outcome::Completed;
        qint64 line = -1; // 0-based
        QString text;
    };

    explicit ScriptRunner(Target target) : target_(std::move(target)) {}

    // Runs the lines of `device` (open for reading). A device that can seek
    // is read twice, so that the lines are counted and a device that cannot
    // be read is found before anything is written; either way the run holds
    // one chunk of the script at a time.
    Result run(QIODevice* device, ScriptEvents* events);

private:
    Target target_;
};

} // namespace evm

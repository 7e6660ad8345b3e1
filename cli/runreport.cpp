#include "runreport.h"

#include "output.h"
#include "session.h"

namespace evm::cli {
namespace {
// A script that ends within this time shows no progress at all; a longer one
// shows a few updates a second, which a terminal draws in no time.
constexpr qint64 kFirstMs = 500;
constexpr qint64 kEveryMs = 200;
} // namespace

RunReport::RunReport(Session& session, bool progress)
    : session_(session), progress_(progress), nextMs_(kFirstMs)
{
    clock_.start();
}

void RunReport::at(qint64 index)
{
    if (!progress_) return;
    const qint64 ms = clock_.elapsed();
    if (ms < nextMs_) return;
    nextMs_ = ms + kEveryMs;
    const qint64 line = index + 1;
    showProgress(total_ > 0
                     ? QStringLiteral("run: %1/%2 lines (%3%)").arg(line).arg(total_).arg(line * 100 / total_)
                     : QStringLiteral("run: %1 lines").arg(line));
}

bool RunReport::stoppedAt(qint64 index, const QString& text)
{
    session_.fail(QStringLiteral("%1:%2: %3").arg(session_.scriptName).arg(index + 1).arg(text));
    return true;
}

void RunReport::finished()
{
    endProgress();
}

} // namespace evm::cli

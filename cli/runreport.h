#pragma once
// What a script run shows on the terminal: where a bad line stopped it, as
// "FILE:LINE: text", and, on a terminal, how far it has got.

#include "scriptrunner.h"

#include <QElapsedTimer>

namespace evm::cli {

class Session;

class RunReport : public ScriptEvents {
public:
    // progress: show it (standard error is a terminal and -q was not given).
    RunReport(Session& session, bool progress);
    void counted(qint64 lines) override { total_ = lines; }
    void at(qint64 index) override;
    bool stoppedAt(qint64 index, const QString& text) override;
    void finished() override;

private:
    Session& session_;
    bool progress_;
    qint64 total_ = -1; // unknown: the script comes through a pipe
    QElapsedTimer clock_;
    qint64 nextMs_;
};

} // namespace evm::cli

#include "session.h"

#include "format.h"

#include <QEventLoop>
#include <QTimer>

namespace evm::cli {

Session::Session()
{
    // Nothing waits for an answer: an existing file is replaced, as shell tools do.
    board.question = [](const QString&, const QString&) { return true; };
    // A wait (a script's sleep, a reset, watch's interval) ends at once on a
    // terminating signal.
    board.wait = [this](int ms) {
        if (ms <= 0 || Termination::caught() != 0) return;
        QEventLoop loop;
        QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
        connect(&termination_, &Termination::received, &loop, &QEventLoop::quit);
        loop.exec();
    };
    connect(&board, &Board::report, this, &Session::onReport);
    connect(&board, &Board::transferFailed, this, &Session::countFailure);
}

Session::~Session()
{
    close();
}

bool Session::configure(const Invocation& inv)
{
    // With both given the file has nothing to say for this run.
    if (!inv.interface || !inv.deviceAddress) board.loadSettings();
    return board.overrideInterface(inv.interface, inv.deviceAddress);
}

void Session::traceTransfers()
{
    connect(&board.transport(), &Transport::transferred, this,
            [](int channel, int address, int value, bool write, int code) {
                printTrace(transferLine(channel, address, value, write, code));
            });
}

void Session::leaveReportsToClients()
{
    disconnect(&board, &Board::report, this, &Session::onReport);
    disconnect(&board, &Board::transferFailed, this, &Session::countFailure);
}

bool Session::open()
{
    StartOptions o;
    o.readBack = false;
    return board.startUp(o) == StartResult::Ready;
}

void Session::close()
{
    board.close();
}

void Session::fail(const QString& text)
{
    troubled_ = true;
    printError(text);
}

void Session::finish()
{
    const int more = transferFailures_ - 1;
    if (more > 0)
        printError(more == 1 ? QStringLiteral("1 more communication error")
                             : QStringLiteral("%1 more communication errors").arg(more));
}

void Session::onReport(const Report& r)
{
    switch (r.category) {
    case ReportCategory::Communication:
        break; // every failed transfer is counted through transferFailed, reported or not
    case ReportCategory::Settings:
        printError(r.text); // the window, too, goes on with its defaults
        break;
    case ReportCategory::Script:
        fail(scriptName.isEmpty() ? r.text : scriptName + QLatin1String(": ") + r.text);
        break;
    case ReportCategory::Connection:
    case ReportCategory::File:
        fail(r.text);
        break;
    }
}

void Session::countFailure(const Report& r)
{
    troubled_ = true;
    if (transferFailures_++ == 0) printError(r.text);
}

} // namespace evm::cli

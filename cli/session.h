#pragma once
// One run of evm2280 against the board: the settings the window would use,
// the board's start-up, and the error policy of a command-line tool. The
// board is closed once, whatever happens, a terminating signal included.

#include "board.h"
#include "options.h"
#include "output.h"
#include "termination.h"

#include <QObject>
#include <QString>

namespace evm::cli {

class Session : public QObject {
    Q_OBJECT
public:
    Session();
    ~Session() override;

    // The interface and device address: EVM2280.ini as the window reads it,
    // then -i and -a. False (reported) for a device address outside the
    // interface's range.
    bool configure(const Invocation& inv);
    // Every transfer on standard error as it happens (-v).
    void traceTransfers();
    // From now on the board's reports are someone else's (a remote client's
    // error queue): they neither print nor make the run fail.
    void leaveReportsToClients();
    // The board's start-up as the window makes it, without the start-up
    // script and without reading the registers back. False (reported) when
    // the library cannot be used or no board was found.
    bool open();
    // _close, once.
    void close();

    // "evm2280: text" on standard error; the run ends with status 2.
    void fail(const QString& text);
    // Prints the count of the communication errors after the first.
    void finish();
    bool troubled() const { return troubled_ || out.failed(); }
    // Failed transfers so far.
    int failures() const { return transferFailures_; }

    Board board;
    Output out;
    // What a script's reports are about ("setup.csv", "<stdin>"), put before them.
    QString scriptName;

private:
    void onReport(const Report& r);
    void countFailure(const Report& r);

    Termination termination_;
    bool troubled_ = false;
    int transferFailures_ = 0;
};

} // namespace evm::cli

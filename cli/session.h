#pragma once
// One run of evm2280 against the board: the settings the window would use,
// the board's start-up, and the error policy of a command-line tool. The
// board is closed once, whatever happens, a terminating signal included.

#include "options.h"
#include "board.h"
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
    bool troubled() const { return troubled_; }
    // Failed transfers so far.
    int failures() const { return transferFailures_; }

    Board board;

private:
    void onReport(const Report& r);
    void countFailure(const Report& r);

    Termination termination_;
    bool troubled_ = false;
    int transferFailures_ = 0;
};

// Writes to standard error, prefixed "evm2280: ".
void printError(const QString& text);

} // namespace evm::cli

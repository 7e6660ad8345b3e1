#pragma once
// What evm2280 says: results on standard output, every write checked; one
// line per message on standard error, "evm2280: " first; the transfer trace;
// a progress line that a terminal shows in place.

#include <QByteArray>
#include <QJsonObject>
#include <QString>

namespace evm::cli {

// Standard output. A write that fails (a full disk, a closed pipe, a size
// limit) is said once on standard error, "write error: REASON", and every
// later write is dropped.
class Output {
public:
    void bytes(const QByteArray& bytes);
    void line(const QString& text);         // the text and a line end
    void json(const QJsonObject& document); // compact, on one line
    // Sends what is buffered; false once any write has failed.
    bool flush();
    bool failed() const { return failed_; }

private:
    void failedWith(int error);
    bool failed_ = false;
};

// "evm2280: text" on standard error, the text's lines joined into one.
void printError(const QString& text);
// One line of the transfer trace (-v) on standard error, as it is.
void printTrace(const QString& line);
// True when standard error is a terminal, where progress can be shown.
bool errorIsTerminal();
// Shows "evm2280: text" on the terminal's last line, in place of the last
// progress shown; endProgress() clears it, as any message does first.
void showProgress(const QString& text);
void endProgress();

} // namespace evm::cli

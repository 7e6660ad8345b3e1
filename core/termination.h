#pragma once
// SIGINT, SIGTERM and SIGHUP end a program of the board as a close does: the
// board closed once, nothing half-written. The handlers only note the signal
// and wake the event loop through a pipe; received() then reaches the
// program on its own thread, and work that runs without an event loop (a
// long script) asks caught() as it goes.

#include <QObject>

class QSocketNotifier;

namespace evm {

class Termination : public QObject {
    Q_OBJECT
public:
    // Installs the handlers (once per process) and listens for them.
    explicit Termination(QObject* parent = nullptr);
    ~Termination() override;

    // The number of the first terminating signal caught, or 0.
    static int caught();
    // Its name as a shell says it: "Interrupt", "Terminated", "Hangup".
    static QString name(int signo);

signals:
    void received(int signo);

private:
    void drain();
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace evm

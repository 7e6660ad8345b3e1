#include "termination.h"

#include <QSocketNotifier>
#include <QTimer>

#include <atomic>
#include <csignal>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace evm {

namespace {

std::atomic<int> caughtSignal{0};

#ifdef Q_OS_UNIX
int wakePipe[2] = {-1, -1};

extern "C" void onTerminationSignal(int signo)
{
    const int saved = errno;
    int expected = 0;
    caughtSignal.compare_exchange_strong(expected, signo);
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakePipe[1], &byte, 1);
    errno = saved;
}

bool installHandlers()
{
    if (::pipe(wakePipe) != 0) return false;
    for (int fd : wakePipe) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    struct sigaction sa {};
    sa.sa_handler = onTerminationSignal;
    sigemptyset(&sa.sa_mask);
    // A library call of the board interrupted by a signal goes on: the
    // program stops between transfers, never inside one.
    sa.sa_flags = SA_RESTART;
    for (int s : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(s, &sa, nullptr);
    return true;
}
#else
extern "C" void onTerminationSignal(int signo)
{
    int expected = 0;
    caughtSignal.compare_exchange_strong(expected, signo);
}

bool installHandlers()
{
    std::signal(SIGINT, onTerminationSignal);
    std::signal(SIGTERM, onTerminationSignal);
    return true;
}
#endif

} // namespace

Termination::Termination(QObject* parent) : QObject(parent)
{
    static const bool installed = installHandlers();
#ifdef Q_OS_UNIX
    if (installed) {
        notifier_ = new QSocketNotifier(wakePipe[0], QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, &Termination::drain);
    }
#else
    // Without a pipe to wake the event loop, look now and then.
    Q_UNUSED(installed)
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this] {
        if (caught() != 0) emit received(caught());
    });
    timer->start(100);
#endif
    // A signal that came before anyone listened is heard too.
    if (caught() != 0) QTimer::singleShot(0, this, [this] { emit received(caught()); });
}

Termination::~Termination() = default;

int Termination::caught()
{
    return caughtSignal.load();
}

QString Termination::name(int signo)
{
    switch (signo) {
    case SIGINT:
        return QStringLiteral("Interrupt");
    case SIGTERM:
        return QStringLiteral("Terminated");
#ifdef SIGHUP
    case SIGHUP:
        return QStringLiteral("Hangup");
#endif
    default:
        return QStringLiteral("Signal %1").arg(signo);
    }
}

void Termination::drain()
{
#ifdef Q_OS_UNIX
    char bytes[16];
    while (::read(wakePipe[0], bytes, sizeof bytes) > 0) {
    }
#endif
    if (caught() != 0) emit received(caught());
}

} // namespace evm

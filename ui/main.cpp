#include "TForm1.h"
#include "apperror.h"
#include "appwindows.h"
#include "boardservice.h"
#include "dialogs.h"
#include "evmversion.h"
#include "globals.h"
#include "remote.h"
#include "termination.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QMessageBox>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <optional>

namespace {

constexpr char kCommand[] = "evmcontroller";

// The program's own options, read before the window system is touched:
// --help, --help-all and --version are answered here, so that they work
// without a display, and a bad --listen address ends the program here,
// before any window opens. Returns where to listen, if anywhere.
std::optional<evm::scpi::ListenAddress> readCommandLine(int argc, char** argv)
{
    QStringList args;
    for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    // Qt's own options are single-dash words (-platform, -stylesheet), not
    // bundles of one-letter options that might hold an h or a v.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Opens the EVM Controller window: sets and reads the registers of the ORV2280\n"
                       "audio converter on its evaluation board. It keeps EVM2280.ini and runs\n"
                       "startup.csv in its working folder. Qt's common options (-platform, -display,\n"
                       "-style, ...) are accepted.\n"
                       "Installed, the command also takes --board sim|linux|DIR (the board access\n"
                       "library) and --menu (work in the per-user folder): see evmcontroller(1)."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption listen(
        QStringLiteral("listen"),
        QStringLiteral("Serves the board to SCPI clients over TCP while the window runs: PORT on the "
                       "loopback interface, or ADDR:PORT (0.0.0.0:5025, [::1]:5025); port 0 takes a free "
                       "one. Prints \"listening on ADDR:PORT\". Anyone who can reach the port controls "
                       "the board."),
        QStringLiteral("[ADDR:]PORT"));
    parser.addOption(listen);
    parser.parse(args); // other options are Qt's: QApplication takes them
    QString asked;
    if (parser.isSet(version))
        asked = QStringLiteral("--version");
    else if (parser.isSet(QStringLiteral("help-all")))
        asked = QStringLiteral("--help-all");
    else if (parser.isSet(help))
        asked = QStringLiteral("--help");
    else if (!parser.isSet(listen))
        return std::nullopt;
    if (asked.isEmpty()) {
        evm::scpi::ListenAddress where;
        QString error;
        if (evm::scpi::parseListenAddress(parser.value(listen), &where, &error)) return where;
        const QByteArray line = QByteArray(kCommand) + ": --listen " + error.toLocal8Bit() + '\n';
        std::fwrite(line.constData(), 1, std::size_t(line.size()), stderr);
        std::exit(2);
    }
    // The texts want an application object; a bare one, under the command's name.
    int n = 1;
    char name[sizeof kCommand];
    std::copy(std::begin(kCommand), std::end(kCommand), name);
    char* bare[] = {name, nullptr};
    QCoreApplication app(n, bare);
    QCoreApplication::setApplicationVersion(QStringLiteral(EVM_VERSION));
    parser.process(QStringList{QLatin1String(kCommand), asked}); // prints and ends the program
    return std::nullopt;
}

// The program's icon in the title bar and the task bar, and the desktop entry
// that task bars match the window to.
void setDesktopIdentity()
{
    QIcon icon;
    icon.addFile(QStringLiteral(":/evmcontroller/icon-48.png"));
    icon.addFile(QStringLiteral(":/evmcontroller/icon-256.png"));
    QApplication::setWindowIcon(icon);
#ifdef EVM_APP_ID
    QGuiApplication::setDesktopFileName(QStringLiteral(EVM_APP_ID));
#endif
}

} // namespace

int main(int argc, char** argv)
{
    const std::optional<evm::scpi::ListenAddress> listen = readCommandLine(argc, argv);
    // A problem the launcher met (a board choice that names nothing usable, no
    // folder to work in), for the window to show: a start from the menu has
    // no terminal to read it on. Not handed on to anything the program starts.
    QStringList startProblem = qEnvironmentVariable("EVM_START_PROBLEM").split(u'\n', Qt::SkipEmptyParts);
    qunsetenv("EVM_START_PROBLEM");
    for (QString& line : startProblem) line[0] = line[0].toUpper(); // a sentence each, not a log line

    Q_INIT_RESOURCE(evmcontroller); // the resources sit in a static library
    QApplication app(argc, argv);
    setDesktopIdentity();
    // SIGINT, SIGTERM and SIGHUP close the window as its close box does: a
    // wait ends, the board is closed once, and the program ends normally.
    evm::Termination termination;
    int rc = 0;
    std::unique_ptr<evm::scpi::BoardService> service;
    try {
        CreateAppWindows();
        QObject::connect(&termination, &evm::Termination::received, Form1, [] { Form1->close(); });
        if (listen) {
            // Listening before the main window shows, so that a port in use
            // ends the program at once; clients wait until the start-up
            // sequence, the board's first operation, has ended.
            service = std::make_unique<evm::scpi::BoardService>(Form1->board());
            followRemoteClients(*Form1, service->instrument());
            evm::scpi::BoardInstrument& instrument = service->instrument();
            instrument.holdClients(true);
            QObject::connect(
                Form1, &TForm1::startingUp, &instrument,
                [&instrument] {
                    QObject::connect(
                        &Form1->board(), &evm::Board::idle, &instrument,
                        [&instrument] { instrument.holdClients(false); }, Qt::SingleShotConnection);
                },
                Qt::SingleShotConnection);
            QString error;
            if (!service->listen(*listen, &error)) {
                const QByteArray line = QByteArray(kCommand) + ": " + error.toLocal8Bit() + '\n';
                std::fwrite(line.constData(), 1, std::size_t(line.size()), stderr);
                service.reset();
                DestroyAppWindows();
                return 2;
            }
            evm::scpi::announce(service->address());
        }
        if (!startProblem.isEmpty())
            // Before the start-up sequence, whose own boxes (such as "Cannot
            // load DLL") it explains.
            QObject::connect(
                Form1, &TForm1::startingUp, Form1,
                [text = startProblem.join(u'\n')] {
                    Form1->dialogs().errorBox(text, QStringLiteral("Start-up problem"));
                },
                Qt::SingleShotConnection);
        Form1->show();
        rc = app.exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QLatin1String(kAppTitle),
                              apperr::withFullStop(QString::fromUtf8(e.what())));
        rc = 1;
    }
    service.reset(); // its clients go before the board they use
    DestroyAppWindows();
    return rc;
}

// The SCPI server on the simulated board, as a separate process on the
// loopback interface: round trips of REGister:VALue? 0x41 from one client,
// against a bare TCP echo server (this program with --echo: Qt's sockets and
// event loop, nothing else) and against starting the command-line tool once
// per query; then 8 clients at once. Peak memory of the server process idle
// and after the 8 clients. Prints figures only.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#ifdef Q_OS_LINUX
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdio>
#include <latch>
#include <thread>
#include <vector>

namespace {

// The server and the tool as they are started, from the program's folder.
const QStringList kServerCommand = {QStringLiteral("evm2280"), QStringLiteral("serve"),
                                    QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")};
const QStringList kToolRead = {QStringLiteral("evm2280"), QStringLiteral("read"), QStringLiteral("0x41")};

const QByteArray kQuery = "REGister:VALue? 0x41\n";
constexpr int kBatch = 2000;  // round trips per batch, one client
constexpr int kBatches = 7;   // the best batch counts
constexpr int kClients = 8;   // at once
constexpr int kEach = 2000;   // round trips per client
constexpr int kToolRuns = 21; // processes, the median counts

struct Trips {
    double totalUs = 0; // wall time of the whole run
    double meanUs = 0;  // per round trip
    double worstUs = 0; // the slowest single round trip
    bool ok = true;
};

// n round trips of kQuery on a fresh blocking connection; `ready` holds the
// start until every client is connected.
Trips roundTrips(quint16 port, int n, std::latch* ready = nullptr)
{
    Trips t;
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, port);
    t.ok = s.waitForConnected(5000);
    s.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    if (ready) ready->arrive_and_wait();
    QElapsedTimer all, one;
    all.start();
    for (int i = 0; i < n && t.ok; ++i) {
        one.start();
        s.write(kQuery);
        s.flush();
        while (t.ok && !s.canReadLine()) t.ok = s.waitForReadyRead(5000);
        s.readLine();
        t.worstUs = std::max(t.worstUs, double(one.nsecsElapsed()) / 1e3);
    }
    t.totalUs = double(all.nsecsElapsed()) / 1e3;
    t.meanUs = t.totalUs / n;
    return t;
}

// The best batch of each server, their batches alternating so that both
// see the same load of the machine.
std::pair<double, double> bestMeansUs(quint16 a, quint16 b)
{
    roundTrips(a, 200); // warm: code, caches, the servers' first answers
    roundTrips(b, 200);
    double bestA = 1e300, bestB = 1e300;
    for (int i = 0; i < kBatches; ++i) {
        bestA = std::min(bestA, roundTrips(a, kBatch).meanUs);
        bestB = std::min(bestB, roundTrips(b, kBatch).meanUs);
    }
    return {bestA, bestB};
}

struct Crowd {
    double perSecond = 0;
    double slowestMeanUs = 0;
    double worstUs = 0;
};

Crowd crowd(quint16 port)
{
    std::vector<Trips> trips(kClients);
    std::latch ready(kClients + 1);
    std::vector<std::thread> threads;
    for (int c = 0; c < kClients; ++c)
        threads.emplace_back([&, c] { trips[std::size_t(c)] = roundTrips(port, kEach, &ready); });
    QElapsedTimer wall;
    ready.arrive_and_wait();
    wall.start();
    for (std::thread& t : threads) t.join();
    Crowd r;
    r.perSecond = double(kClients) * kEach / (double(wall.nsecsElapsed()) / 1e9);
    for (const Trips& t : trips) {
        r.slowestMeanUs = std::max(r.slowestMeanUs, t.meanUs);
        r.worstUs = std::max(r.worstUs, t.worstUs);
    }
    return r;
}

// A started server process and the port it announced.
struct Served {
    QProcess process;
    quint16 port = 0;

    bool start(const QString& program, const QStringList& args, const QString& dir)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // The simulator as shipped: no configuration, no trace file.
        env.remove(QStringLiteral("HXBUS_SIM_CONFIG"));
        env.remove(QStringLiteral("HXBUS_SIM_TRACE"));
        env.remove(QStringLiteral("HXBUS_SIM_STATE"));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(dir);
        process.setStandardErrorFile(QProcess::nullDevice());
        process.start(program, args);
        while (!process.canReadLine())
            if (!process.waitForReadyRead(20000)) return false;
        const QByteArray line = process.readLine().trimmed(); // "listening on 127.0.0.1:PORT"
        port = quint16(line.mid(line.lastIndexOf(':') + 1).toUInt());
        return line.startsWith("listening on ") && port != 0;
    }
    ~Served()
    {
        process.terminate();
        if (!process.waitForFinished(10000)) process.kill();
    }
    // CPU time used so far (user and system), in microseconds; negative
    // where the system does not say.
    double cpuUs() const
    {
#ifdef Q_OS_LINUX
        QFile stat(QStringLiteral("/proc/%1/stat").arg(process.processId()));
        if (stat.open(QIODevice::ReadOnly)) {
            const QByteArray line = stat.readAll();
            // The fields after the command name, which ends at the last ')':
            // the state first, utime 12th, stime 13th.
            const QList<QByteArray> f = line.mid(line.lastIndexOf(')') + 2).split(' ');
            if (f.size() > 12)
                return (f[11].toDouble() + f[12].toDouble()) * 1e6 / double(sysconf(_SC_CLK_TCK));
        }
#endif
        return -1;
    }
    // Peak resident memory so far, in MiB; negative where the system does not say.
    double peakMiB() const
    {
#ifdef Q_OS_LINUX
        QFile status(QStringLiteral("/proc/%1/status").arg(process.processId()));
        if (status.open(QIODevice::ReadOnly))
            for (const QByteArray& l : status.readAll().split('\n'))
                if (l.startsWith("VmHWM:")) return l.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
#endif
        return -1;
    }
};

double toolMs(const QString& program, const QStringList& args, const QString& dir)
{
    std::vector<double> ms;
    for (int i = 0; i <= kToolRuns; ++i) {
        QProcess p;
        p.setWorkingDirectory(dir);
        p.setStandardOutputFile(QProcess::nullDevice());
        QElapsedTimer t;
        t.start();
        p.start(program, args);
        if (!p.waitForFinished(30000) || p.exitCode() != 0) return -1;
        if (i > 0) ms.push_back(double(t.nsecsElapsed()) / 1e6); // the first warms the file cache
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

// The floor: every line sent comes back as it is.
int echoServer()
{
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0)) return 1;
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&server] {
        while (QTcpSocket* s = server.nextPendingConnection()) {
            s->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            QObject::connect(s, &QTcpSocket::readyRead, s, [s] {
                s->write(s->readAll());
                s->flush();
            });
            QObject::connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
        }
    });
    std::printf("listening on 127.0.0.1:%u\n", unsigned(server.serverPort()));
    std::fflush(stdout);
    return QCoreApplication::exec();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (app.arguments().contains(QStringLiteral("--echo"))) return echoServer();

    const QDir bin(QCoreApplication::applicationDirPath());
    QTemporaryDir dir;
    QFile ini(QDir(dir.path()).filePath(QStringLiteral("EVM2280.ini")));
    if (!ini.open(QIODevice::WriteOnly) || ini.write("[SerialInterface]\nType=0\nAddr=0x4C\n") < 0) return 1;
    ini.close();

    Served echo, server;
    if (!echo.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--echo")}, dir.path()) ||
        !server.start(bin.filePath(kServerCommand[0]), kServerCommand.mid(1), dir.path())) {
        std::fprintf(stderr, "bench_server: a server did not start\n");
        return 1;
    }
    const double idleMiB = server.peakMiB();

    const double echoCpu0 = echo.cpuUs(), serverCpu0 = server.cpuUs();
    const auto [serverUs, floorUs] = bestMeansUs(server.port, echo.port);
    const double trips = 200 + double(kBatches) * kBatch;
    const double echoCpuUs = (echo.cpuUs() - echoCpu0) / trips,
                 serverCpuUs = (server.cpuUs() - serverCpu0) / trips;
    const double processMs = toolMs(bin.filePath(kToolRead[0]), kToolRead.mid(1), dir.path());
    std::printf("One client, %s round trips on loopback (best of %d x %d):\n", kQuery.trimmed().constData(),
                kBatches, kBatch);
    std::printf("  server (%s): %.1f us per round trip, %.0f per second\n",
                qPrintable(kServerCommand.join(' ')), serverUs, 1e6 / serverUs);
    std::printf("  bare TCP echo server: %.1f us, %.0f per second; ratio %.2fx (bar 2x)\n", floorUs,
                1e6 / floorUs, serverUs / floorUs);
    std::printf("  CPU time per round trip: %.1f us in the server process, %.1f us in the echo server\n",
                serverCpuUs, echoCpuUs);
    std::printf("  a process per query (%s): %.2f ms, median of %d; the server is %.0fx faster\n",
                qPrintable(kToolRead.join(' ')), processMs, kToolRuns, processMs * 1e3 / serverUs);

    const Crowd echoCrowd = crowd(echo.port);
    const Crowd serverCrowd = crowd(server.port);
    std::printf("%d clients at once, %d round trips each:\n", kClients, kEach);
    std::printf(
        "  server: %.0f per second in all; slowest client %.1f us per round trip, worst single %.0f us\n",
        serverCrowd.perSecond, serverCrowd.slowestMeanUs, serverCrowd.worstUs);
    std::printf(
        "  echo:   %.0f per second in all; slowest client %.1f us per round trip, worst single %.0f us\n",
        echoCrowd.perSecond, echoCrowd.slowestMeanUs, echoCrowd.worstUs);
    std::printf(
        "Peak memory of the server process (VmHWM): %.1f MiB idle after start-up, %.1f MiB after the %d "
        "clients\n",
        idleMiB, server.peakMiB(), kClients);
    return 0;
}

// The SCPI server over real sockets on the loopback interface, with a fake
// instrument: the command set, the error queue, clients that share a busy
// board, clients that vanish, the input limit and the client limit.

#include "framer.h"
#include "instrument.h"
#include "listenaddress.h"
#include "server.h"
#include "status.h"

#include <QTcpSocket>
#include <QtTest>

#include <functional>

using namespace evm::scpi;

namespace {

// Registers hold their own address; 0xEE fails as a broken link does. Every
// operation is logged.
class FakeInstrument : public Instrument {
public:
    QStringList log;
    std::function<void()> duringScript; // runs inside a script's wait, the board busy

    void setBusy(bool busy)
    {
        busy_ = busy;
        if (!busy) emit idle();
    }

    bool busy() const override { return busy_; }
    Identity identity() const override { return {1, QStringLiteral("1.1.1"), QStringLiteral("1.1.0.0")}; }
    Link link() const override { return {true, 0x4C}; }

    Outcome readRegister(int address, std::uint8_t* value) override
    {
        if (address == 0xEE) return {Fault::Hardware, QStringLiteral("RDERR0021")};
        log << QStringLiteral("read %1").arg(address);
        *value = std::uint8_t(address);
        return {};
    }
    Outcome writeRegister(int address, std::uint8_t value) override
    {
        if (address == 0xEE) return {Fault::Hardware, QStringLiteral("WRERR0021")};
        log << QStringLiteral("write %1 %2").arg(address).arg(value);
        return {};
    }
    Outcome readAll(RegisterValues* values) override
    {
        for (int i = 0; i < regs::kCount; ++i) (*values)[std::size_t(i)] = std::uint8_t(regs::kFirst + i);
        log << QStringLiteral("dump");
        return {};
    }
    Outcome field(const QString& name, FieldValue* value) override
    {
        if (name != QLatin1String("DAC_ATT")) return {Fault::BadValue, QStringLiteral("no field ") + name};
        log << QStringLiteral("get ") + name;
        *value = {attenuation_.toUInt(), QStringLiteral("DAC_ATT = \"%1\"").arg(attenuation_)};
        return {};
    }
    Outcome setField(const QString& name, const QString& value) override
    {
        if (name != QLatin1String("DAC_ATT")) return {Fault::BadValue, QStringLiteral("no field ") + name};
        log << QStringLiteral("set %1 %2").arg(name, value);
        attenuation_ = value;
        return {};
    }
    Outcome runScript(const QByteArray& text) override
    {
        // The window's waits run an event loop of their own.
        busy_ = true;
        QEventLoop wait;
        QTimer::singleShot(0, &wait, [&] {
            if (duringScript) duringScript();
            wait.quit();
        });
        wait.exec();
        busy_ = false;
        emit idle();
        log << QStringLiteral("script ") +
                   QString::fromLatin1(text.size() > 40 ? QByteArray::number(text.size()) : text)
                       .replace(u'\n', u'/');
        if (text.contains("bad")) return {Fault::Failed, QStringLiteral("line 3: Invalid register data!")};
        return {};
    }
    Outcome masterReset() override { return logged("mrst"); }
    Outcome softReset() override { return logged("srst"); }
    Outcome reconnect() override { return logged("reconnect"); }

private:
    Outcome logged(const char* what)
    {
        log << QLatin1String(what);
        return {};
    }
    bool busy_ = false;
    QString attenuation_ = QStringLiteral("0");
};

// A client's socket, connected to the server under test.
class Peer : public QTcpSocket {
public:
    explicit Peer(quint16 port) { connectToHost(QHostAddress::LocalHost, port); }

    // The next n response lines, without their newline; fewer on a timeout.
    QStringList lines(int n)
    {
        QStringList out;
        while (out.size() < n) {
            if (canReadLine()) {
                out << QString::fromUtf8(readLine()).chopped(1);
                continue;
            }
            QSignalSpy arrived(this, &QIODevice::readyRead);
            if (!arrived.wait(5000)) break;
        }
        return out;
    }
    // The error queue, oldest first, up to "No error".
    QStringList errors()
    {
        write(QByteArray("SYST:ERR?\n").repeated(Status::kQueueSize + 1));
        QStringList out = lines(Status::kQueueSize + 1);
        while (!out.isEmpty() && out.last() == QLatin1String("0,\"No error\"")) out.removeLast();
        return out;
    }
};

struct Fixture {
    FakeInstrument instrument;
    Server server{instrument};
    quint16 port = 0;

    bool start()
    {
        QString error;
        if (!server.listen({QHostAddress(QHostAddress::LocalHost), 0}, &error)) qWarning() << error;
        port = server.address().port;
        return port != 0;
    }
};

QString dumpLine()
{
    QStringList values;
    for (int a = regs::kFirst; a <= regs::kLast; ++a) values << QString::number(a);
    return values.join(u',');
}

} // namespace

class TestServer : public QObject {
    Q_OBJECT
private slots:
    void commands_data();
    void commands();
    void busyBoardHoldsCommands();
    void vanishingClients();
    void inputLimit_data();
    void inputLimit();
    void seventeenthClient();
    void listenAddress_data();
    void listenAddress();
};

void TestServer::commands_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("responses");
    QTest::addColumn<QStringList>("errors");
    QTest::addColumn<QString>("log");
    const QStringList none;
    const auto undefined = QStringList{QStringLiteral("-113,\"Undefined header\"")};

    // Headers: short, long, any case; a path after ';'.
    QTest::newRow("short") << QByteArray("REG:VAL? 64") << QStringList{"64"} << none << "read 64";
    QTest::newRow("long, mixed case")
        << QByteArray("register:Value? 65") << QStringList{"65"} << none << "read 65";
    QTest::newRow("leading colon") << QByteArray(":REGISTER:VAL? 1") << QStringList{"1"} << none << "read 1";
    QTest::newRow("relative after ;")
        << QByteArray("REG:VAL 0x41,#H1F;VAL? $41") << QStringList{"65"} << none << "write 65 31|read 65";
    QTest::newRow("common commands keep the path")
        << QByteArray("REG:VAL? 1;*OPC?;VAL? 2") << QStringList{"1;1;2"} << none << "read 1|read 2";
    QTest::newRow("no way back to the root without ':'")
        << QByteArray("REG:VAL? 1;SYST:ERR?") << QStringList{"1"} << undefined << "read 1";
    QTest::newRow("optional node") << QByteArray("SYST:ERR:NEXT?;NEXT?;:SYSTEM:ERROR?")
                                   << QStringList{"0,\"No error\";0,\"No error\";0,\"No error\""} << none
                                   << "";
    QTest::newRow("between short and long") << QByteArray("REGI:VAL? 1") << none << undefined << "";
    QTest::newRow("query of a command") << QByteArray("*RST?") << none << undefined << "";
    QTest::newRow("command of a query") << QByteArray("REG:DUMP") << none << undefined << "";
    QTest::newRow("blank units, CR LF") << QByteArray(" ;*OPC? ; ;\r") << QStringList{"1"} << none << "";
    QTest::newRow("several messages")
        << QByteArray("REG:VAL? 3\n\nREG:VAL? 4") << QStringList{"3", "4"} << none << "read 3|read 4";

    // Numbers: the script forms and SCPI's non-decimal ones; range and type.
    QTest::newRow("number forms") << QByteArray(
                                         "REG:VAL? x10;VAL? -0;VAL? #B1000000;VAL? #q100;VAL? +3;VAL? 0XfF")
                                  << QStringList{"16;0;64;64;3;255"} << none
                                  << "read 16|read 0|read 64|read 64|read 3|read 255";
    QTest::newRow("out of range")
        << QByteArray("REG:VAL? 256;VAL 1,-1;VAL? 0x100000000;VAL? #H100;VAL? 99999999999;VAL? 1")
        << QStringList{"1"} << QStringList(5, QStringLiteral("-222,\"Data out of range\"")) << "read 1";
    QTest::newRow("no number") << QByteArray("REG:VAL? \"1\";VAL? abc;VAL? #HG;VAL? 0x;VAL? #15abcde") << none
                               << QStringList(5, QStringLiteral("-104,\"Data type error\"")) << "";
    QTest::newRow("parameter count") << QByteArray("REG:VAL 1;*IDN? 1;:REG:VAL? 1,2") << none
                                     << QStringList{"-109,\"Missing parameter\"",
                                                    "-108,\"Parameter not allowed\"",
                                                    "-108,\"Parameter not allowed\""}
                                     << "";
    QTest::newRow("syntax") << QByteArray("REG:VAL?1;:REG::VAL? 1;FIELD? \"abc;*OPC?") << none
                            << QStringList(3, QStringLiteral("-102,\"Syntax error\"")) << "";

    // Blocks: definite with any byte, indefinite to the line's end, malformed.
    QTest::newRow("definite block") << QByteArray("SCR:RUN #212REG 1;\n\"#9\r\n;*OPC?") << QStringList{"1"}
                                    << none << "script REG 1;/\"#9\r/";
    QTest::newRow("indefinite block")
        << QByteArray("SCRIPT:RUN #0one line; 2\r") << none << none << "script one line; 2";
    QTest::newRow("block errors") << QByteArray("SCR:RUN #3ab;:SCR:RUN 5;:SCR:RUN \"x\"") << none
                                  << QStringList{"-161,\"Invalid block data\"", "-104,\"Data type error\"",
                                                 "-104,\"Data type error\""}
                                  << "";

    // What the instrument does and reports.
    QTest::newRow("identity") << QByteArray("*IDN?")
                              << QStringList{"EVM Controller,ORV2280 EVM,1,1.1.1/1.1.0.0"} << none << "";
    QTest::newRow("dump") << QByteArray("REG:DUMP?") << QStringList{dumpLine()} << none << "dump";
    QTest::newRow("board") << QByteArray("BOARD:INT?;RES:SOFT;:BOARD:RECO;*RST") << QStringList{"IIC,76"}
                           << none << "srst|reconnect|mrst";
    QTest::newRow("field") << QByteArray(
                                  "FIELD DAC_ATT,12 ;FIELD? \"DAC_ATT\";FIELD:TEXT? DAC_ATT;TEXT? NOPE")
                           << QStringList{"12;\"DAC_ATT = \"\"12\"\"\""}
                           << QStringList{"-224,\"Illegal parameter value; no field NOPE\""}
                           << "set DAC_ATT 12|get DAC_ATT|get DAC_ATT";
    QTest::newRow("hardware error") << QByteArray("REG:VAL 0xEE,1;VAL? 0xEE;VAL? 2") << QStringList{"2"}
                                    << QStringList{"-240,\"Hardware error; WRERR0021\"",
                                                   "-240,\"Hardware error; RDERR0021\""}
                                    << "read 2";
    QTest::newRow("script error") << QByteArray("SCR:RUN #13bad") << none
                                  << QStringList{"-200,\"Execution error; line 3: Invalid register data!\""}
                                  << "script bad";

    // Status: the event register, its mask, the queue and its bound.
    QTest::newRow("*ESR? reads and clears")
        << QByteArray("REGX;*OPC;REG:VAL? 300;*ESR?;*ESR?") << QStringList{"49;0"}
        << QStringList{undefined[0], "-222,\"Data out of range\""} << "";
    QTest::newRow("*CLS") << QByteArray("REGX;*CLS;*ESR?;*STB?") << QStringList{"0;0"} << none << "";
    QTest::newRow("*ESE and *STB?") << QByteArray("*ESE 36;*ESE?;*STB?;REGX;*STB?") << QStringList{"36;0;36"}
                                    << undefined << "";
    QStringList overflow(Status::kQueueSize - 1, undefined[0]);
    overflow << QStringLiteral("-350,\"Queue overflow\"");
    QTest::newRow("queue overflow") << QByteArray("REGX;").repeated(Status::kQueueSize + 4) << none
                                    << overflow << "";
}

void TestServer::commands()
{
    QFETCH(QByteArray, input);
    QFETCH(QStringList, responses);
    QFETCH(QStringList, errors);
    QFETCH(QString, log);
    Fixture f;
    QVERIFY(f.start());
    Peer peer(f.port);
    // A closing *OPC? proves that no further line came before it.
    peer.write(input + "\n*OPC?\n");
    QCOMPARE(peer.lines(int(responses.size()) + 1), responses + QStringList{"1"});
    QCOMPARE(peer.errors(), errors);
    QCOMPARE(f.instrument.log.join(u'|'), log);
}

// While the board is busy (the window's user, another client's script) no
// command starts; the held ones run in order once it is idle.
void TestServer::busyBoardHoldsCommands()
{
    Fixture f;
    QVERIFY(f.start());
    Peer a(f.port), b(f.port);
    QTRY_COMPARE(f.server.clientCount(), 2);

    f.instrument.setBusy(true);
    a.write("REG:VAL 0x41,5;VAL? 0x41\n");
    b.write("*OPC?\n");
    QTRY_COMPARE(a.bytesToWrite() + b.bytesToWrite(), qint64(0));
    QTest::qWait(50); // time enough for a server that ignores busy() to answer
    QVERIFY(f.instrument.log.isEmpty());
    QCOMPARE(a.bytesAvailable() + b.bytesAvailable(), qint64(0));
    f.instrument.setBusy(false);
    QCOMPARE(a.lines(1), QStringList{"65"});
    QCOMPARE(b.lines(1), QStringList{"1"});
    QCOMPARE(f.instrument.log, (QStringList{"write 65 5", "read 65"}));

    // B's command arrives while A's script waits in an event loop of its own.
    f.instrument.log.clear();
    f.instrument.duringScript = [&] {
        b.write("REG:VAL? 2\n");
        QTRY_COMPARE(b.bytesToWrite(), qint64(0));
        QTest::qWait(50);
    };
    a.write("SCR:RUN #14wait;*OPC?\n");
    QCOMPARE(a.lines(1), QStringList{"1"});
    QCOMPARE(b.lines(1), QStringList{"2"});
    QCOMPARE(f.instrument.log, (QStringList{"script wait", "read 2"}));
}

// A client that leaves in the middle of a block or of its own script leaves
// nothing behind: the partial command never runs, the running one completes,
// its place is free, and the others go on.
void TestServer::vanishingClients()
{
    Fixture f;
    QVERIFY(f.start());
    {
        Peer a(f.port);
        a.write("SCR:RUN #3100" + QByteArray(50, 'x'));
        QTRY_COMPARE(a.bytesToWrite(), qint64(0));
        QTRY_COMPARE(f.server.clientCount(), 1);
        a.abort();
    }
    QTRY_COMPARE(f.server.clientCount(), 0);
    {
        auto a = std::make_unique<Peer>(f.port);
        f.instrument.duringScript = [&] {
            a.reset();
            QTRY_COMPARE(f.server.clientCount(), 0);
        };
        QTRY_COMPARE(f.server.clientCount(), 1); // the script comes as the socket's own input
        a->write("SCR:RUN #15hello;REG:VAL 1,1;*OPC?\nREG:VAL 2,2\n");
        QTRY_COMPARE(f.instrument.log, QStringList{"script hello"});
    }
    f.instrument.duringScript = nullptr;
    Peer b(f.port);
    b.write("*OPC?\n");
    QCOMPARE(b.lines(1), QStringList{"1"});
    QCOMPARE(f.server.clientCount(), 1);
    QCOMPARE(f.instrument.log, QStringList{"script hello"});
}

void TestServer::inputLimit_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QStringList>("errors");
    QTest::addColumn<QString>("log");
    const qsizetype limit = MessageFramer::kMaxMessage;
    const QByteArray head = "SCR:RUN #0";
    QTest::newRow("a line at the limit") << head + QByteArray(limit - head.size(), 'y') << QStringList{}
                                         << QString::number(limit - head.size()).prepend("script ");
    QTest::newRow("a line above it") << head + QByteArray(limit - head.size() + 1, 'y')
                                     << QStringList{"-223,\"Too much data\""} << "";
    QTest::newRow("a block above it") << "SCR:RUN #7" + QByteArray::number(limit) + QByteArray(limit, '\n')
                                      << QStringList{"-223,\"Too much data\""} << "";
}

// Too much data is refused whole and the connection stays usable.
void TestServer::inputLimit()
{
    QFETCH(QByteArray, message);
    QFETCH(QStringList, errors);
    QFETCH(QString, log);
    Fixture f;
    QVERIFY(f.start());
    Peer peer(f.port);
    peer.write(message + "\n*OPC?\n");
    QCOMPARE(peer.lines(1), QStringList{"1"});
    QCOMPARE(peer.errors(), errors);
    QCOMPARE(f.instrument.log.join(u'|'), log);
}

// Sixteen clients are served; the seventeenth is closed at once; a place
// that frees up can be taken again.
void TestServer::seventeenthClient()
{
    Fixture f;
    QVERIFY(f.start());
    std::vector<std::unique_ptr<Peer>> peers;
    for (int i = 0; i < Server::kMaxClients; ++i) {
        peers.push_back(std::make_unique<Peer>(f.port));
        peers.back()->write("*OPC?\n");
    }
    for (auto& p : peers) QCOMPARE(p->lines(1), QStringList{"1"});

    Peer extra(f.port);
    extra.write("*OPC?\n");
    QTRY_COMPARE(extra.state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(extra.bytesAvailable(), qint64(0));
    QCOMPARE(f.server.clientCount(), Server::kMaxClients);

    peers.front().reset();
    QTRY_COMPARE(f.server.clientCount(), Server::kMaxClients - 1);
    Peer again(f.port);
    again.write("*OPC?\n");
    QCOMPARE(again.lines(1), QStringList{"1"});
}

void TestServer::listenAddress_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("address"); // listenAddressText, or a part of the message
    QTest::addColumn<bool>("ok");
    QTest::newRow("port alone is loopback") << "5025"
                                            << "127.0.0.1:5025" << true;
    QTest::newRow("every interface") << "0.0.0.0:5025"
                                     << "0.0.0.0:5025" << true;
    QTest::newRow("IPv6 loopback") << "[::1]:6000"
                                   << "[::1]:6000" << true;
    QTest::newRow("a free port") << "127.0.0.1:0"
                                 << "127.0.0.1:0" << true;
    QTest::newRow("empty") << ""
                           << "'': '' is no port number" << false;
    QTest::newRow("port too big") << "65536"
                                  << "'65536' is no port number" << false;
    QTest::newRow("address without port") << "127.0.0.1"
                                          << "'127.0.0.1' is no port number" << false;
    QTest::newRow("empty port") << "127.0.0.1:"
                                << "'' is no port number" << false;
    QTest::newRow("short IPv4") << "127.1:5025"
                                << "'127.1' is no IP address" << false;
    QTest::newRow("host name") << "localhost:5025"
                               << "'localhost' is no IP address" << false;
    QTest::newRow("IPv6 without brackets") << "::1:5025"
                                           << "an IPv6 address goes in brackets" << false;
    QTest::newRow("unclosed bracket") << "[::1:5025"
                                      << "no closing ']'" << false;
    QTest::newRow("IPv4 in brackets") << "[127.0.0.1]:5025"
                                      << "'127.0.0.1' is no IPv6 address" << false;
    QTest::newRow("no colon after brackets") << "[::1]5025"
                                             << "no port after the address" << false;
}

void TestServer::listenAddress()
{
    QFETCH(QString, text);
    QFETCH(QString, address);
    QFETCH(bool, ok);
    ListenAddress where;
    QString error;
    QCOMPARE(parseListenAddress(text, &where, &error), ok);
    if (ok)
        QCOMPARE(listenAddressText(where), address);
    else
        QVERIFY2(error.contains(address) && error.startsWith(u'\'' + text + u'\''), qPrintable(error));
}

QTEST_GUILESS_MAIN(TestServer)
#include "tst_server.moc"

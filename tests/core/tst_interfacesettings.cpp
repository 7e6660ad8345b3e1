// The interface and the device address: read from EVM2280.ini, handed to the
// link, changed through the board and written back, each key alone.

#include "apperror.h"
#include "interfacesettings.h"
#include "simfixture.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QtTest>

#include <optional>

#ifdef Q_OS_UNIX
#include <atomic>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using evm::Interface;
Q_DECLARE_METATYPE(evm::Interface)

namespace {
const QString kCorrupt = QStringLiteral("Initial file was corrupted!!");
const QString kIni = QStringLiteral("EVM2280.ini");

// The file's lines in any order: a new key's place is the file's business.
QSet<QString> fileLines(const SimFolder& folder)
{
    QSet<QString> lines;
    for (const QByteArray& l : folder.readFile(kIni).split('\n'))
        if (!l.trimmed().isEmpty()) lines.insert(QString::fromLatin1(l.trimmed()));
    return lines;
}

QSet<QString> iniWith(const QString& type, const QString& addr)
{
    return {QStringLiteral("[SerialInterface]"), "Type=" + type, "Addr=" + addr};
}

// The report of a store that failed, or "" when it worked.
template <class F> QString storeError(F&& store)
{
    try {
        store();
    } catch (const AppError& e) {
        return e.text();
    }
    return {};
}

#ifdef Q_OS_UNIX
// While it lives, tries now and then to open the FIFO at path for writing
// without waiting: that succeeds only while someone holds it open for reading,
// and releases a reader that waits in its open.
class FifoWatchdog {
public:
    explicit FifoWatchdog(const QString& path)
    {
        if (path.isEmpty()) return;
        thread_ = std::thread([this, name = QFile::encodeName(path)] {
            while (!stop_) {
                const int fd = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (fd >= 0) {
                    opened_ = true;
                    ::close(fd);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        });
    }
    ~FifoWatchdog()
    {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    bool opened() const { return opened_; }

private:
    std::atomic<bool> stop_{false};
    std::atomic<bool> opened_{false};
    std::thread thread_;
};
#endif
} // namespace

class TestInterfaceSettings : public QObject {
    Q_OBJECT
private slots:
    void loading_data();
    void loading();
    void notARegularFile_data();
    void notARegularFile();
    void storingKeepsEveryOtherByte_data();
    void storingKeepsEveryOtherByte();
    void interfaceChangeReopensAndIsStored();
    void interfaceChangeLosesTheBoard();
    void withoutLibraryOnlyTheChoiceIsKept();
    void overrideForOneRun_data();
    void overrideForOneRun();
};

void TestInterfaceSettings::loading_data()
{
    QTest::addColumn<QByteArray>("file"); // empty: no file at all
    QTest::addColumn<bool>("corrupt");
    QTest::addColumn<Interface>("interface");
    QTest::addColumn<int>("slot");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("linkAddress"); // the _init's; under SPI always 0

    // The forms of the text are the file's and the integer parser's
    // (tst_profilefile, tst_integertext); here the rules of the values.
    const Interface iic = Interface::Iic, spi = Interface::Spi;
    QTest::newRow("no file") << QByteArray() << false << spi << 0 << 0 << 0;
    QTest::newRow("IIC without Addr")
        << QByteArray("[SerialInterface]\nType=0\n") << false << iic << 1 << 0x4D << 0x4D;
    QTest::newRow("IIC 0x4F") << QByteArray("[SerialInterface]\nType=0\nAddr=0x4F\n") << false << iic << 3
                              << 0x4F << 0x4F;
    QTest::newRow("IIC 76 decimal") << QByteArray("[SerialInterface]\r\nType=0\r\nAddr=76\r\n") << false
                                    << iic << 0 << 0x4C << 0x4C;
    QTest::newRow("IIC 80 above range")
        << QByteArray("[SerialInterface]\nType=0\nAddr=80\n") << false << iic << 0 << 0x4C << 0x4C;
    QTest::newRow("SPI with Addr 2") << QByteArray("[SerialInterface]\nType=1\nAddr=2\n") << false << spi << 2
                                     << 2 << 0;
    QTest::newRow("other Type is SPI")
        << QByteArray("[SerialInterface]\nType=-7\nAddr=3\n") << false << spi << 3 << 3 << 0;
    // After the report the address is that of the slot chosen so far, so
    // that the front end, the board and the link agree.
    QTest::newRow("Type abc") << QByteArray("[SerialInterface]\nType=abc\nAddr=0x4E\n") << true << spi << 0
                              << 0 << 0;
    QTest::newRow("Addr 4C without prefix")
        << QByteArray("[SerialInterface]\nType=0\nAddr=4C\n") << true << iic << 0 << 0x4C << 0x4C;
    QTest::newRow("Addr empty") << QByteArray("[SerialInterface]\nType=0\nAddr=\n") << true << iic << 0
                                << 0x4C << 0x4C;
}

void TestInterfaceSettings::loading()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, corrupt);
    QFETCH(Interface, interface);
    QFETCH(int, slot);
    QFETCH(int, address);
    QFETCH(int, linkAddress);
    BoardRig rig;
    if (!file.isEmpty()) rig.writeFile(kIni, file);
    if (interface == Interface::Iic) rig.sim.setStrap(address); // no read error clouds the check

    rig.board.loadSettings(); // before any library call
    QCOMPARE(rig.reportTexts(), corrupt ? QStringList{kCorrupt} : QStringList{});
    if (corrupt) QCOMPARE(rig.reports[0].category, evm::ReportCategory::Settings);
    QVERIFY(rig.sim.trace().isEmpty());
    QCOMPARE(rig.board.interface(), interface);
    QCOMPARE(rig.board.addressSlot(), slot);
    QCOMPARE(rig.board.deviceAddress(), address);

    QCOMPARE(rig.board.startUp(), evm::StartResult::Ready);
    QCOMPARE(rig.reportTexts(), corrupt ? QStringList{kCorrupt} : QStringList{});
    LinkSettings ls{};
    QVERIFY(rig.sim.lastSettings(&ls));
    QCOMPARE(ls.interfaceKind, interface == Interface::Iic ? evmlink::kKindIic : evmlink::kKindSpi);
    QCOMPARE(ls.deviceAddress, linkAddress);
    QCOMPARE(ls.word56, 3);

    // Loading writes nothing, not even at close.
    rig.board.close();
    QCOMPARE(QFileInfo::exists(kIni), !file.isEmpty());
    QCOMPARE(rig.readFile(kIni), file);
}

void TestInterfaceSettings::notARegularFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("folder") << "folder";
#ifdef Q_OS_UNIX
    QTest::newRow("FIFO") << "fifo";
    QTest::newRow("character device") << "device";
#endif
}

void TestInterfaceSettings::notARegularFile()
{
    QFETCH(QString, kind);
    BoardRig rig;
    const QString ini = rig.path(kIni);
    if (kind == "folder") QVERIFY(QDir().mkdir(kIni));
#ifdef Q_OS_UNIX
    if (kind == "fifo") QCOMPARE(::mkfifo(QFile::encodeName(ini).constData(), 0644), 0);
    if (kind == "device") QVERIFY(QFile::link("/dev/null", ini));
    // Should the board open the FIFO, its open waits for a writer: this one
    // lets it go on, so the test fails instead of hanging.
    FifoWatchdog watchdog(kind == "fifo" ? ini : QString());
#endif

    QCOMPARE(rig.start({}), evm::StartResult::Ready);
    QCOMPARE(rig.reports.size(), 1);
    QVERIFY2(rig.reports[0].text.startsWith("Cannot read the settings file"),
             qPrintable(rig.reports[0].text));
    QVERIFY(rig.reports[0].text.contains(kIni));
    QCOMPARE(rig.reports[0].category, evm::ReportCategory::Settings);
    QCOMPARE(rig.board.interface(), Interface::Spi);
    QCOMPARE(rig.board.deviceAddress(), 0);

    // A change cannot be stored there: reported with the keys lost, while
    // the board and the link follow it all the same.
    QVERIFY(rig.board.changeInterface(Interface::Iic));
    const QString both = storeError([&] { rig.board.storeInterface(); });
    QVERIFY2(both.startsWith("Cannot write the settings file"), qPrintable(both));
    QVERIFY(both.contains("SerialInterface/Type") && both.contains("SerialInterface/Addr"));
    QCOMPARE(rig.board.deviceAddress(), 0x4C);
    QCOMPARE(rig.sim.traceOf("init").last(), QString("init port=1 kind=1 addr=0x4C -> 1"));
    const QString addr = storeError([&] { rig.board.changeAddress(1); });
    QVERIFY(addr.contains("SerialInterface/Addr") && !addr.contains("SerialInterface/Type"));
    QVERIFY(QFileInfo::exists(ini) && !QFileInfo(ini).isFile()); // the thing in its place stays
    if (kind == "folder") { // once the file can be written, nothing chosen is lost
        QVERIFY(QDir().rmdir(kIni));
        QCOMPARE(storeError([&] { rig.board.changeAddress(2); }), QString());
        QCOMPARE(fileLines(rig), iniWith("0", "0x4E"));
    }
    rig.board.close();
#ifdef Q_OS_UNIX
    QVERIFY2(!watchdog.opened(), "the FIFO was opened");
#endif
    QCOMPARE(QFileInfo(ini).isFile(), kind == "folder");
}

void TestInterfaceSettings::storingKeepsEveryOtherByte_data()
{
    QTest::addColumn<QByteArray>("loaded"); // "<folder>": a folder where the file is, when it is loaded
    QTest::addColumn<QByteArray>("file");   // what is there when the change is stored
    QTest::addColumn<int>("slot");          // -1: from SPI to IIC; else the slot chosen under IIC
    QTest::addColumn<bool>("readOnlyFolder");
    QTest::addColumn<QByteArray>("expected");

    // How a value changes in the text is the file's (tst_profilefile).
    const QByteArray addr = "; by hand\r\n[SerialInterface]\r\nType=0\r\n\r\nAddr=0x4C\r\n[A]\r\n";
    QTest::newRow("address") << addr << addr << 2 << false
                             << QByteArray(
                                    "; by hand\r\n[SerialInterface]\r\nType=0\r\n\r\nAddr=0x4E\r\n[A]\r\n");
    // Another window in the folder stored its interface after this one
    // loaded the file: this one's address leaves that key as it is now.
    QTest::newRow("another window's interface kept")
        << QByteArray("[SerialInterface]\r\nType=0\r\nAddr=0x4C\r\n")
        << QByteArray("[SerialInterface]\r\nType=1\r\nAddr=0x4C\r\n") << 2 << false
        << QByteArray("[SerialInterface]\r\nType=1\r\nAddr=0x4E\r\n");
    QTest::newRow("interface, no section yet")
        << QByteArray("[Other]\nk=1") << QByteArray("[Other]\nk=1") << -1 << false
        << QByteArray("[Other]\nk=1\r\n[SerialInterface]\r\nType=0\r\nAddr=0x4C\r\n");
    // A file that could not be read is no reason to write over the one there now.
    QTest::newRow("not readable when loaded")
        << QByteArray("<folder>") << QByteArray("; mine\r\n[Window]\r\nLeft=10\r\n") << -1 << false
        << QByteArray("; mine\r\n[Window]\r\nLeft=10\r\n[SerialInterface]\r\nType=0\r\nAddr=0x4C\r\n");
    // The file is written in place where the folder allows no new file.
    const QByteArray kept = "; kept\r\n[SerialInterface]\r\nType=0\r\nAddr=0x4C\r\n";
    QTest::newRow("read-only folder")
        << kept << kept << 3 << true << QByteArray("; kept\r\n[SerialInterface]\r\nType=0\r\nAddr=0x4F\r\n");
}

void TestInterfaceSettings::storingKeepsEveryOtherByte()
{
    QFETCH(QByteArray, loaded);
    QFETCH(QByteArray, file);
    QFETCH(int, slot);
    QFETCH(bool, readOnlyFolder);
    QFETCH(QByteArray, expected);
    SimFolder folder;
    const bool unreadable = loaded == "<folder>";
    if (unreadable)
        QVERIFY(QDir().mkdir(kIni));
    else
        folder.writeFile(kIni, loaded);
    evm::InterfaceSettings settings;
    QCOMPARE(settings.load().size(), unreadable ? 1 : 0);
    QCOMPARE(settings.interface(), slot < 0 ? Interface::Spi : Interface::Iic);
    if (unreadable) QVERIFY(QDir().rmdir(kIni));
    folder.writeFile(kIni, file);
    {
        std::optional<NoNewFileIn> noNewFile;
        if (readOnlyFolder) noNewFile.emplace(folder.path("."), folder.path(kIni));
        if (noNewFile && !noNewFile->refusesNewFiles())
            QSKIP("this folder cannot be made to refuse new files");
        if (slot < 0) {
            settings.selectInterface(Interface::Iic);
            settings.storeInterface();
        } else {
            settings.selectSlot(slot);
            settings.storeAddress();
        }
    }
    QCOMPARE(folder.readFile(kIni), expected);
    settings.close();
    QCOMPARE(folder.readFile(kIni), expected);
}

void TestInterfaceSettings::interfaceChangeReopensAndIsStored()
{
    BoardRig rig;
    rig.sim.setPort(5);
    rig.start({}); // no file: SPI
    const auto image = rig.board.image().bytes;
    rig.clear();

    QVERIFY(rig.board.changeInterface(Interface::Iic));
    // The link is opened again at once on its port, with the address of slot
    // 0; the board keeps its state and takes writes as before.
    QCOMPARE(rig.sim.trace(), (QStringList{"close", "init port=5 kind=1 addr=0x4C -> 5"}));
    QCOMPARE(rig.board.port(), 5);
    QVERIFY(rig.board.image().bytes == image && rig.events.isEmpty());
    rig.board.WriteRegister(0x43, 0x01);
    QCOMPARE(rig.history, QStringList{"0x43, 0x01"});
    QCOMPARE(rig.board.deviceAddress(), 0x4C);
    QCOMPARE(rig.board.addressSlot(), 0);
    QVERIFY(!QFileInfo::exists(kIni)); // stored only when asked
    rig.board.storeInterface();
    QCOMPARE(fileLines(rig), iniWith("0", "0x4C"));
    rig.sim.clearTrace();
    rig.board.changeAddress(2); // stored at once; the link takes it when it is opened next
    QCOMPARE(rig.board.deviceAddress(), 0x4E);
    QVERIFY(rig.sim.trace().isEmpty());
    QCOMPARE(rig.board.transport().linkSettings().deviceAddress, 0x4C);
    // The file reads as the program has always written it: CR LF, Type first.
    const QByteArray stored = rig.readFile(kIni);
    QCOMPARE(stored, QByteArray("[SerialInterface]\r\nType=0\r\nAddr=0x4E\r\n"));

    rig.sim.clearTrace();
    QVERIFY(rig.board.changeInterface(Interface::Spi));
    QCOMPARE(rig.sim.trace(), (QStringList{"close", "init port=5 kind=3 addr=0x00 -> 5"}));
    QCOMPARE(rig.board.deviceAddress(), 0);
    QCOMPARE(rig.board.addressSlot(), 0);
    rig.board.storeInterface();
    QCOMPARE(fileLines(rig), iniWith("1", "0x00"));
    QVERIFY(rig.reports.isEmpty());

    // A run starts with what was stored.
    rig.board.close();
    BoardRig next;
    next.sim.setStrap(0x4E);
    next.writeFile(kIni, stored);
    next.start({});
    QCOMPARE(next.board.interface(), Interface::Iic);
    QCOMPARE(next.board.addressSlot(), 2);
    QCOMPARE(next.sim.traceOf("init"), QStringList{"init port=0 kind=1 addr=0x4E -> 1"});
    QVERIFY(next.reports.isEmpty());
}

// A board that no longer answers on its port when the link is opened again
// is reported as at a start-up that found none, and nothing reaches it until
// a reconnect.
void TestInterfaceSettings::interfaceChangeLosesTheBoard()
{
    BoardRig rig;
    rig.sim.setPort(5);
    rig.start({});
    const auto image = rig.board.image().bytes;
    rig.sim.setPort(9);
    rig.clear();
    QVERIFY(rig.board.changeInterface(Interface::Iic));
    QCOMPARE(rig.sim.trace(), (QStringList{"close", "init port=5 kind=1 addr=0x4C -> 0"}));
    QCOMPARE(rig.board.port(), 0);
    QCOMPARE(rig.events, (QStringList{"connection 0", "report No EVM was found"}));
    QCOMPARE(rig.reports[0].category, evm::ReportCategory::Connection);
    QVERIFY(rig.board.image().bytes == image);
    rig.sim.clearTrace();
    rig.board.WriteRegister(0x43, 0x01);
    QVERIFY(rig.sim.trace().isEmpty() && rig.history.isEmpty());
}

void TestInterfaceSettings::withoutLibraryOnlyTheChoiceIsKept()
{
    const QByteArray ini = "[SerialInterface]\nType=0\nAddr=0x4E\n";
    BoardRig rig;
    evm::StartOptions o;
    o.library = "NoSuchLib";
    rig.start(ini, o);
    rig.clear();

    QVERIFY(!rig.board.changeInterface(Interface::Spi));
    QCOMPARE(rig.board.interface(), Interface::Spi);
    QCOMPARE(rig.board.deviceAddress(), 0x4E);
    QCOMPARE(rig.board.transport().linkSettings().interfaceKind, evmlink::kKindIic);
    QCOMPARE(rig.board.transport().linkSettings().deviceAddress, 0x4E);
    QCOMPARE(rig.readFile(kIni), ini);
    rig.board.changeAddress(3); // under SPI: nothing
    QCOMPARE(rig.board.deviceAddress(), 0x4E);
    QCOMPARE(rig.readFile(kIni), ini);

    // Under IIC the address is kept and stored.
    QVERIFY(!rig.board.changeInterface(Interface::Iic));
    rig.board.changeAddress(3);
    QCOMPARE(rig.board.deviceAddress(), 0x4F);
    QCOMPARE(rig.readFile(kIni), QByteArray("[SerialInterface]\nType=0\nAddr=0x4F\n"));
    QVERIFY(rig.reports.isEmpty());
    QVERIFY(rig.sim.trace().isEmpty());
}

void TestInterfaceSettings::overrideForOneRun_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("interface"); // given for the run: "iic", "spi" or none
    QTest::addColumn<int>("address");       // given for the run; -1: none
    QTest::addColumn<QString>("init");      // "": refused
    const QByteArray iic4D = "[SerialInterface]\r\nType = 0\r\n; by hand\r\nAddr=0x4D\r\n";
    QTest::newRow("the file's") << iic4D << "" << -1 << "init port=0 kind=1 addr=0x4D -> 1";
    QTest::newRow("address given") << iic4D << "" << 0x4E << "init port=0 kind=1 addr=0x4E -> 1";
    QTest::newRow("SPI given") << iic4D << "spi" << -1 << "init port=0 kind=3 addr=0x00 -> 1";
    QTest::newRow("IIC given: its first address")
        << QByteArray() << "iic" << -1 << "init port=0 kind=1 addr=0x4C -> 1";
    QTest::newRow("address outside the interface") << QByteArray() << "iic" << 0x50 << "";
}

// As a command line gives them: for this run only, never stored.
void TestInterfaceSettings::overrideForOneRun()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, interface);
    QFETCH(int, address);
    QFETCH(QString, init);
    BoardRig rig;
    if (!file.isEmpty()) rig.writeFile(kIni, file);
    rig.board.loadSettings();
    std::optional<Interface> i;
    if (!interface.isEmpty()) i = interface == "iic" ? Interface::Iic : Interface::Spi;
    const std::optional<std::int32_t> a = address < 0 ? std::nullopt : std::optional<std::int32_t>(address);
    QCOMPARE(rig.board.overrideInterface(i, a), !init.isEmpty());
    if (init.isEmpty()) {
        QCOMPARE(rig.reportTexts(), QStringList{"Invalid device address 0x50 for IIC (0x4C..0x4F)"});
        QCOMPARE(rig.reports[0].category, evm::ReportCategory::Settings);
        return;
    }
    evm::StartOptions o;
    o.readBack = false;
    QCOMPARE(rig.board.startUp(o), evm::StartResult::Ready);
    QCOMPARE(rig.sim.traceOf("init"), QStringList{init});
    rig.board.close();
    QCOMPARE(rig.readFile(kIni), file);
    QVERIFY(rig.reports.isEmpty());
}

QTEST_GUILESS_MAIN(TestInterfaceSettings)
#include "tst_interfacesettings.moc"

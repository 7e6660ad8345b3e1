// The interface and device address: read from EVM2280.ini at creation, changed
// by the user, handed to the library and written back to the file.

#include "fixture.h"

#include "widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSet>
#include <QStatusBar>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString kCorrupt = QStringLiteral("Initial file was corrupted!!");

// The file's lines without line ends, in any order: the settings service
// decides the order of the keys.
QSet<QString> fileLines(const AppFixture& app)
{
    QSet<QString> lines;
    const QString text = QString::fromLatin1(app.readFile("EVM2280.ini"));
    for (const QString& l : text.split(QRegularExpression(QStringLiteral("\r\n|\n|\r")), Qt::SkipEmptyParts))
        lines.insert(l);
    return lines;
}

QSet<QString> iniWith(const QString& type, const QString& addr)
{
    return {QStringLiteral("[SerialInterface]"), QStringLiteral("Type=") + type,
            QStringLiteral("Addr=") + addr};
}

void clickItem(TRadioGroup* group, int index)
{
    QTest::mouseClick(group->button(index), Qt::LeftButton);
}

// The user steps the address list with the arrow keys, one item per press.
void chooseAddress(QComboBox* box, int item)
{
    while (box->currentIndex() < item) QTest::keyClick(box, Qt::Key_Down);
    while (box->currentIndex() > item) QTest::keyClick(box, Qt::Key_Up);
}

// While it lives, tries now and then to open the FIFO at path for writing
// without waiting: that succeeds only while someone holds it open for reading,
// and releases a reader that waits in its open.
class FifoWatchdog {
public:
    explicit FifoWatchdog(const QString& path)
    {
        if (path.isEmpty()) return;
        const QByteArray name = QFile::encodeName(path);
        thread_ = std::thread([this, name] {
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

// While it lives, no new file can be made in folder, but file stays writable:
// the folder is made read-only and, since root ignores that, a root process
// works on files as an ordinary user meanwhile.
class NoNewFileIn {
public:
    NoNewFileIn(const QString& folder, const QString& file) : folder_(QFile::encodeName(folder))
    {
        ::chmod(QFile::encodeName(file).constData(), 0666);
        ::chmod(folder_.constData(), 0555);
        if (::geteuid() == 0) {
            ::setfsuid(65534);
            asUser_ = ::setfsuid(-1) == 65534;
        }
    }
    ~NoNewFileIn()
    {
        if (asUser_) ::setfsuid(0);
        ::chmod(folder_.constData(), 0700);
    }
    bool refusesNewFiles() const
    {
        const int fd = ::open((folder_ + "/probe").constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (fd < 0) return true;
        ::close(fd);
        ::unlink((folder_ + "/probe").constData());
        return false;
    }

private:
    QByteArray folder_;
    bool asUser_ = false;
};

LinkSettings lastInit(AppFixture& app)
{
    LinkSettings s{};
    if (!app.sim.lastSettings(&s)) qWarning("no _init seen");
    return s;
}
} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void loading_data();
    void loading();
    void notARegularFile_data();
    void notARegularFile();
    void fileThatCouldNotBeReadIsNotWrittenOver();
    void storingKeepsEveryOtherByte_data();
    void storingKeepsEveryOtherByte();
    void readOnlyFolderWritableFile();
    void interfaceChangeReinitialisesAndStores();
    void storedChoiceSurvivesRestart();
    void interfaceChangeKeepsPortAndSendsNoTraffic_data();
    void interfaceChangeKeepsPortAndSendsNoTraffic();
    void addressChangeStoresWithoutTouchingLink();
    void noLibraryInterfaceClickOnlyMovesSelection();
    void noLibraryAddressChangeIsStored();
    void unwritableFileIsReported();
};

void TestSettings::loading_data()
{
    QTest::addColumn<QByteArray>("file"); // empty: no file at all
    QTest::addColumn<bool>("corrupt");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("item");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("linkAddress");

    const int iic = evmlink::kKindIic, spi = evmlink::kKindSpi;
    QTest::newRow("no file") << QByteArray() << false << 1 << 0 << 0 << spi << 0;
    QTest::newRow("IIC without Addr")
        << QByteArray("[SerialInterface]\nType=0\n") << false << 0 << 1 << 0x4D << iic << 0x4D;
    QTest::newRow("IIC 0x4F") << QByteArray("[SerialInterface]\nType=0\nAddr=0x4F\n") << false << 0 << 3
                              << 0x4F << iic << 0x4F;
    QTest::newRow("IIC 80 above range")
        << QByteArray("[SerialInterface]\nType=0\nAddr=80\n") << false << 0 << 0 << 0x4C << iic << 0x4C;
    QTest::newRow("IIC 76 decimal") << QByteArray("[SerialInterface]\nType=0\nAddr=76\n") << false << 0 << 0
                                    << 0x4C << iic << 0x4C;
    QTest::newRow("IIC $4E, CR LF") << QByteArray("[SerialInterface]\r\nType=0\r\nAddr=$4E\r\n") << false << 0
                                    << 2 << 0x4E << iic << 0x4E;
    QTest::newRow("IIC quoted blanks") << QByteArray("[SerialInterface]\nType=\" 0\"\nAddr=\"  X4d\"\n")
                                       << false << 0 << 1 << 0x4D << iic << 0x4D;
    QTest::newRow("SPI with Addr 2") << QByteArray("[SerialInterface]\nType=1\nAddr=2\n") << false << 1 << 2
                                     << 2 << spi << 0;
    QTest::newRow("other Type is SPI")
        << QByteArray("[SerialInterface]\nType=-7\nAddr=3\n") << false << 1 << 3 << 3 << spi << 0;
    QTest::newRow("SPI default Addr 77")
        << QByteArray("[SerialInterface]\nType=1\n") << false << 1 << 0 << 0 << spi << 0;
    // After the message the window, DeviceAddress and the link agree on the
    // address that the box shows.
    QTest::newRow("Type abc") << QByteArray("[SerialInterface]\nType=abc\nAddr=0x4E\n") << true << 1 << 0 << 0
                              << spi << 0;
    QTest::newRow("Addr 4C without prefix")
        << QByteArray("[SerialInterface]\nType=0\nAddr=4C\n") << true << 0 << 0 << 0x4C << iic << 0x4C;
    QTest::newRow("Addr empty") << QByteArray("[SerialInterface]\nType=0\nAddr=\n") << true << 0 << 0 << 0x4C
                                << iic << 0x4C;
    QTest::newRow("Type list") << QByteArray("[SerialInterface]\nType=0,1\nAddr=0x4E\n") << true << 1 << 0
                               << 0 << spi << 0;
    QTest::newRow("Addr variant")
        << QByteArray("[SerialInterface]\nType=0\nAddr=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x4e)\n") << true << 0
        << 0 << 0x4C << iic << 0x4C;
    QTest::newRow("Addr out of 32 bits") << QByteArray("[SerialInterface]\nType=0\nAddr=4294967372\n") << true
                                         << 0 << 0 << 0x4C << iic << 0x4C;

    // Files written by hand, as the desktop's profile-file functions read them.
    QTest::newRow("UTF-8 byte-order mark")
        << QByteArray("\xEF\xBB\xBF[SerialInterface]\r\nType=0\r\nAddr=0x4E\r\n") << false << 0 << 2 << 0x4E
        << iic << 0x4E;
    QTest::newRow("letter case") << QByteArray("[serialinterface]\ntype=0\nADDR=0x4F\n") << false << 0 << 3
                                 << 0x4F << iic << 0x4F;
    QTest::newRow("first key wins") << QByteArray("[SerialInterface]\nType=0\nAddr=0x4E\nAddr=0x4F\n")
                                    << false << 0 << 2 << 0x4E << iic << 0x4E;
    QTest::newRow("first section wins")
        << QByteArray("[SerialInterface]\nType=0\n[SerialInterface]\nType=1\nAddr=0x4F\n") << false << 0 << 1
        << 0x4D << iic << 0x4D;
}

void TestSettings::loading()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, corrupt);
    QFETCH(int, index);
    QFETCH(int, item);
    QFETCH(int, address);
    QFETCH(int, kind);
    QFETCH(int, linkAddress);

    AppFixture app;
    if (!file.isEmpty()) app.writeFile("EVM2280.ini", file);
    if (index == 0) app.sim.setStrap(address); // the chip answers, so no read error clouds the check

    app.create(); // the file is read while the window is created, before any library call
    QCOMPARE(app.dialogs.texts(), corrupt ? QStringList{kCorrupt} : QStringList{});
    QVERIFY(app.sim.trace().isEmpty());

    app.start();
    TForm1* f = app.form();
    QCOMPARE(app.dialogs.texts("message"), corrupt ? QStringList{kCorrupt} : QStringList{});
    QCOMPARE(f->rgInterface->itemIndex(), index);
    QCOMPARE(f->cbAddr->currentIndex(), item);
    QCOMPARE(f->cbAddr->isEnabled(), index == 0);
    QCOMPARE(f->board().deviceAddress(), address);

    const LinkSettings ls = lastInit(app);
    QCOMPARE(ls.interfaceKind, kind);
    QCOMPARE(ls.deviceAddress, linkAddress);
    QCOMPARE(ls.word56, 3);

    // Loading writes nothing, not even when the window closes.
    app.close();
    if (file.isEmpty())
        QVERIFY(!QFile::exists(app.path("EVM2280.ini")));
    else
        QCOMPARE(app.readFile("EVM2280.ini"), file);
}

void TestSettings::notARegularFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("folder") << "folder";
    QTest::newRow("FIFO") << "fifo";
    QTest::newRow("character device") << "device";
}

void TestSettings::notARegularFile()
{
    QFETCH(QString, kind);
    AppFixture app;
    const QString ini = app.path("EVM2280.ini");
    if (kind == "folder")
        QVERIFY(QDir(app.path(".")).mkdir("EVM2280.ini"));
    else if (kind == "fifo")
        QCOMPARE(::mkfifo(QFile::encodeName(ini).constData(), 0644), 0);
    else
        QVERIFY(QFile::link("/dev/null", ini));
    // Should the program open the FIFO, its open waits for a writer: this one
    // lets it go on, so the test fails instead of hanging.
    FifoWatchdog watchdog(kind == "fifo" ? ini : QString());

    app.start();
    QVERIFY2(!watchdog.opened(), "the FIFO was opened");
    const QStringList messages = app.dialogs.texts("message");
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].startsWith("Cannot read the settings file"), qPrintable(messages[0]));
    QVERIFY(messages[0].contains("EVM2280.ini"));
    QCOMPARE(app.form()->rgInterface->itemIndex(), 1);
    QCOMPARE(app.form()->board().deviceAddress(), 0);
    QCOMPARE(app.form()->StatusBar1->currentMessage(), QString("Ready"));

    // A change cannot be stored there, and the thing in the file's place stays.
    clickItem(app.form()->rgInterface, 0);
    QCOMPARE(app.dialogs.texts("general").size(), 1);
    QVERIFY(app.dialogs.texts("general")[0].startsWith("Cannot write the settings file"));
    app.close();
    QVERIFY(!watchdog.opened());
    const QFileInfo after(ini);
    QVERIFY(after.exists() && !after.isFile());
}

void TestSettings::fileThatCouldNotBeReadIsNotWrittenOver()
{
    AppFixture app;
    QVERIFY(QDir(app.path(".")).mkdir("EVM2280.ini"));
    app.start();
    QCOMPARE(app.dialogs.texts("message").size(), 1);

    // The folder gives way to a file of the user's before the first change.
    QVERIFY(QDir(app.path(".")).rmdir("EVM2280.ini"));
    app.writeFile("EVM2280.ini", "; mine\r\n[Window]\r\nLeft=10\r\n");
    clickItem(app.form()->rgInterface, 0);
    QVERIFY(app.dialogs.texts("general").isEmpty());
    QCOMPARE(app.readFile("EVM2280.ini"),
             QByteArray("; mine\r\n[Window]\r\nLeft=10\r\n[SerialInterface]\r\nType=0\r\nAddr=0x4C\r\n"));
}

void TestSettings::storingKeepsEveryOtherByte_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("item"); // -1: switch from SPI to IIC; else the address item chosen under IIC
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("comments and blank lines")
        << QByteArray("; EVM settings\r\n\r\n[SerialInterface]\r\n# 0 IIC, 1 "
                      "SPI\r\nType=0\r\n\r\nAddr=0x4C\r\n; end\r\n")
        << 2
        << QByteArray("; EVM settings\r\n\r\n[SerialInterface]\r\n# 0 IIC, 1 "
                      "SPI\r\nType=0\r\n\r\nAddr=0x4E\r\n; end\r\n");
    QTest::newRow("quotes and blanks")
        << QByteArray("[SerialInterface]\nType=\"0\"\n  Addr = \"0x4C\"  \n") << 3
        << QByteArray("[SerialInterface]\nType=\"0\"\n  Addr = \"0x4F\"  \n");
    QTest::newRow("other sections and order")
        << QByteArray("[Window]\r\nLeft=10\r\n[SerialInterface]\r\nAddr=0x4C\r\nType=0\r\n[Other]\r\nk=v\r\n")
        << 1
        << QByteArray(
               "[Window]\r\nLeft=10\r\n[SerialInterface]\r\nAddr=0x4D\r\nType=0\r\n[Other]\r\nk=v\r\n");
    QTest::newRow("LF only, a new line in CR LF")
        << QByteArray("[SerialInterface]\nType=0\n\n[Other]\nk=1\n") << 2
        << QByteArray("[SerialInterface]\nType=0\nAddr=0x4E\r\n\n[Other]\nk=1\n");
    QTest::newRow("slash and equals sign in section names")
        << QByteArray("[SerialInterface/Old]\nType=1\n[A=B]\nAddr=3\n[SerialInterface]\nType=0\nAddr=0x4C\n")
        << 2
        << QByteArray("[SerialInterface/Old]\nType=1\n[A=B]\nAddr=3\n[SerialInterface]\nType=0\nAddr=0x4E\n");
    QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF[SerialInterface]\r\nType=0\r\nAddr=0x4C\r\n")
                                     << 1
                                     << QByteArray(
                                            "\xEF\xBB\xBF[SerialInterface]\r\nType=0\r\nAddr=0x4D\r\n");
    QTest::newRow("letter case") << QByteArray("[serialinterface]\ntype=0\naddr=0x4c\n") << 2
                                 << QByteArray("[serialinterface]\ntype=0\naddr=0x4E\n");
    QTest::newRow("no section, no last line end")
        << QByteArray("[Other]\nk=1") << -1
        << QByteArray("[Other]\nk=1\r\n[SerialInterface]\r\nType=0\r\nAddr=0x4C\r\n");
}

void TestSettings::storingKeepsEveryOtherByte()
{
    QFETCH(QByteArray, file);
    QFETCH(int, item);
    QFETCH(QByteArray, expected);
    AppFixture app;
    app.writeFile("EVM2280.ini", file);
    app.start();
    TForm1* f = app.form();
    if (item < 0) {
        clickItem(f->rgInterface, 0);
    } else {
        QVERIFY2(f->cbAddr->isEnabled(), "the file was not read as IIC");
        chooseAddress(f->cbAddr, item);
    }
    QCOMPARE(app.dialogs.texts("general"), QStringList());
    QCOMPARE(app.readFile("EVM2280.ini"), expected);
    app.close();
    QCOMPARE(app.readFile("EVM2280.ini"), expected);
}

void TestSettings::readOnlyFolderWritableFile()
{
    AppFixture app;
    const QByteArray before = "; kept\r\n[SerialInterface]\r\nType=0\r\nAddr=0x4C\r\n";
    app.writeFile("EVM2280.ini", before);
    app.start();
    {
        NoNewFileIn folder(app.path("."), app.path("EVM2280.ini"));
        QVERIFY2(folder.refusesNewFiles(), "a new file could still be made in the folder");
        chooseAddress(app.form()->cbAddr, 3);
    }
    QCOMPARE(app.dialogs.texts("general"), QStringList());
    QCOMPARE(app.readFile("EVM2280.ini"),
             QByteArray("; kept\r\n[SerialInterface]\r\nType=0\r\nAddr=0x4F\r\n"));
}

void TestSettings::interfaceChangeReinitialisesAndStores()
{
    AppFixture app;
    app.start(); // no file: SPI
    TForm1* f = app.form();
    QCOMPARE(f->board().port(), 1);
    app.sim.clearTrace();

    clickItem(f->rgInterface, 0);
    // The link is re-initialised at once with the address the window shows.
    QCOMPARE(app.sim.traceOf("init"), QStringList{"init port=1 kind=1 addr=0x4C -> 1"});
    QCOMPARE(lastInit(app).deviceAddress, 0x4C);
    QCOMPARE(f->board().deviceAddress(), 0x4C);
    QVERIFY(f->cbAddr->isEnabled());
    QCOMPARE(f->cbAddr->currentIndex(), 0);
    QCOMPARE(fileLines(app), iniWith("0", "0x4C")); // on disk before the window closes

    chooseAddress(f->cbAddr, 2);
    QCOMPARE(fileLines(app), iniWith("0", "0x4E"));
    // The file reads as the program has always written it: CR LF, Type first.
    QCOMPARE(app.readFile("EVM2280.ini"), QByteArray("[SerialInterface]\r\nType=0\r\nAddr=0x4E\r\n"));

    app.sim.clearTrace();
    clickItem(f->rgInterface, 1);
    QCOMPARE(app.sim.trace(), (QStringList{"close", "init port=1 kind=3 addr=0x00 -> 1"}));
    QCOMPARE(f->board().deviceAddress(), 0);
    QVERIFY(!f->cbAddr->isEnabled());
    QCOMPARE(f->cbAddr->currentIndex(), 0);
    QCOMPARE(fileLines(app), iniWith("1", "0x00"));
    QVERIFY(app.dialogs.shown.isEmpty());
}

void TestSettings::storedChoiceSurvivesRestart()
{
    QByteArray stored;
    {
        AppFixture app;
        app.start();
        clickItem(app.form()->rgInterface, 0);
        chooseAddress(app.form()->cbAddr, 2);
        app.close();
        stored = app.readFile("EVM2280.ini");
    } // one program run at a time: the windows are global
    AppFixture next;
    next.writeFile("EVM2280.ini", stored);
    next.sim.setStrap(0x4E);
    next.start();
    QCOMPARE(next.form()->rgInterface->itemIndex(), 0);
    QCOMPARE(next.form()->cbAddr->currentIndex(), 2);
    QCOMPARE(next.form()->board().deviceAddress(), 0x4E);
    QCOMPARE(lastInit(next).deviceAddress, 0x4E);
    QVERIFY(next.dialogs.shown.isEmpty());
}

void TestSettings::interfaceChangeKeepsPortAndSendsNoTraffic_data()
{
    QTest::addColumn<int>("portAfter");
    QTest::addColumn<bool>("answers");
    QTest::newRow("the board answers again") << 5 << true;
    QTest::newRow("the board is gone") << 9 << false;
}

// The link is opened again on the same port; the board keeps its state
// unless it no longer answers there, which is shown as at a start-up that
// found no board, and nothing reaches it until a reconnect.
void TestSettings::interfaceChangeKeepsPortAndSendsNoTraffic()
{
    QFETCH(int, portAfter);
    QFETCH(bool, answers);
    AppFixture app;
    app.sim.setPort(5);
    app.start();
    TForm1* f = app.form();
    QCOMPARE(f->board().port(), 5);
    const QString history = f->Memo1->toPlainText();
    const auto image = f->board().image().bytes;
    app.sim.setPort(portAfter);
    app.sim.clearTrace();
    app.dialogs.clear();

    clickItem(f->rgInterface, 0);
    QCOMPARE(app.sim.trace(),
             (QStringList{"close", QString("init port=5 kind=1 addr=0x4C -> %1").arg(answers ? 5 : 0)}));
    QCOMPARE(f->board().port(), answers ? 5 : 0);
    QCOMPARE(f->StatusBar1->currentMessage(), QString(answers ? "Ready" : "No EVM was found"));
    QCOMPARE(f->imgConnection->property("connectionIndex").toInt(), answers ? 1 : 0);
    QCOMPARE(app.dialogs.texts("error"), answers ? QStringList{} : QStringList{"No EVM was found"});
    QCOMPARE(f->Memo1->toPlainText(), history);
    QVERIFY(f->board().image().bytes == image);
    app.sim.clearTrace();
    QTest::mouseClick(app.find<QCheckBox>("cInvDAC1"), Qt::LeftButton);
    QCOMPARE(app.sim.chipWrites().size(), answers ? 1 : 0);
}

void TestSettings::addressChangeStoresWithoutTouchingLink()
{
    AppFixture app;
    app.writeFile("EVM2280.ini", "[SerialInterface]\nType=0\nAddr=0x4C\n");
    app.start();
    TForm1* f = app.form();
    app.sim.clearTrace();

    chooseAddress(f->cbAddr, 3);
    QCOMPARE(f->board().deviceAddress(), 0x4F);
    QCOMPARE(fileLines(app), iniWith("0", "0x4F"));
    QVERIFY(app.sim.trace().isEmpty()); // neither _close nor _init
    QCOMPARE(f->board().transport().linkSettings().deviceAddress, 0x4C);

    chooseAddress(f->cbAddr, 1);
    QCOMPARE(f->board().deviceAddress(), 0x4D);
    QCOMPARE(fileLines(app), iniWith("0", "0x4D"));
}

void TestSettings::noLibraryInterfaceClickOnlyMovesSelection()
{
    const QByteArray ini = "[SerialInterface]\nType=0\nAddr=0x4E\n";
    AppFixture app("NoSuchLib");
    app.writeFile("EVM2280.ini", ini);
    app.start();
    TForm1* f = app.form();
    app.dialogs.clear();

    clickItem(f->rgInterface, 1);
    QCOMPARE(f->rgInterface->itemIndex(), 1);
    QCOMPARE(f->board().deviceAddress(), 0x4E);
    QVERIFY(f->cbAddr->isEnabled());
    QCOMPARE(f->cbAddr->currentIndex(), 2);
    QCOMPARE(f->board().transport().linkSettings().interfaceKind, evmlink::kKindIic);
    QCOMPARE(f->board().transport().linkSettings().deviceAddress, 0x4E);
    QCOMPARE(app.readFile("EVM2280.ini"), ini);

    // Under SPI the still-enabled address list changes nothing.
    chooseAddress(f->cbAddr, 3);
    QCOMPARE(f->board().deviceAddress(), 0x4E);
    QCOMPARE(app.readFile("EVM2280.ini"), ini);
    QVERIFY(app.dialogs.shown.isEmpty());
}

void TestSettings::noLibraryAddressChangeIsStored()
{
    AppFixture app("NoSuchLib");
    app.writeFile("EVM2280.ini", "[SerialInterface]\nType=0\n");
    app.start();
    TForm1* f = app.form();
    chooseAddress(f->cbAddr, 3);
    QCOMPARE(f->board().deviceAddress(), 0x4F);
    QCOMPARE(fileLines(app), iniWith("0", "0x4F"));
}

void TestSettings::unwritableFileIsReported()
{
    AppFixture app;
    app.start(); // no file: SPI
    TForm1* f = app.form();
    // A directory in the file's place: nothing can be written there, not even by root.
    QVERIFY(QDir(app.path(".")).mkdir("EVM2280.ini"));
    app.dialogs.clear();
    app.sim.clearTrace();

    clickItem(f->rgInterface, 0);
    QCOMPARE(app.dialogs.shown.size(), 1);
    const auto report = app.dialogs.shown[0];
    QCOMPARE(report.kind, QString("general"));
    QVERIFY2(report.text.startsWith("Cannot write the settings file"), qPrintable(report.text));
    QVERIFY(report.text.contains("SerialInterface/Type") && report.text.contains("SerialInterface/Addr"));
    QVERIFY(report.text.endsWith('.'));
    // The window and the link follow the choice all the same.
    QCOMPARE(f->board().deviceAddress(), 0x4C);
    QVERIFY(f->cbAddr->isEnabled());
    QCOMPARE(app.sim.traceOf("init"), QStringList{"init port=1 kind=1 addr=0x4C -> 1"});

    chooseAddress(f->cbAddr, 1);
    QCOMPARE(app.dialogs.shown.size(), 2);
    QVERIFY(app.dialogs.shown[1].text.contains("SerialInterface/Addr"));
    QVERIFY(!app.dialogs.shown[1].text.contains("SerialInterface/Type"));

    // Once the file can be written again, nothing the user chose is lost.
    QVERIFY(QDir(app.path(".")).rmdir("EVM2280.ini"));
    chooseAddress(f->cbAddr, 2);
    QCOMPARE(app.dialogs.shown.size(), 2);
    QCOMPARE(fileLines(app), iniWith("0", "0x4E"));
}

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"

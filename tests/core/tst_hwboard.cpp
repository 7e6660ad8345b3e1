// The board's start-up on the Linux chip library, with a model of the chip's
// bus behind it, against the same start-up on the simulator: the chip must see
// the same register reads and writes, and the board must end the same.

#include "devicemodel.h"
#include "simfixture.h"

#include <QRegularExpression>
#include <QtTest>

#include <dlfcn.h>
#include <memory>

namespace {

using hwmodel::Devices;

// Chip register values the start-up reads back, other than power-on ones.
const std::pair<int, int> kPreset[] = {{0x41, 0x12}, {0x43, 0x10}, {0x4A, 0x7F}, {0x5C, 0x9C}};
const QByteArray kStartupScript = "0x41, 0x05\n0x4A, 0x20\n0x50, 0x33\n";

// The simulator's trace as the chip's register operations ("W 41=05", "R 41=12").
std::vector<std::string> chipOps(const QStringList& trace)
{
    static const QRegularExpression write(
        QStringLiteral("^write ch=0 addr=0x([0-9A-F]+) data=0x([0-9A-F]+) -> 0x0$"));
    static const QRegularExpression read(
        QStringLiteral("^read ch=0 addr=0x([0-9A-F]+) -> 0x([0-9A-F]+) rc=0x0$"));
    std::vector<std::string> out;
    for (const QString& line : trace) {
        const auto w = write.match(line), r = read.match(line);
        const auto& m = w.hasMatch() ? w : r;
        if (m.hasMatch())
            out.push_back(Devices::op(w.hasMatch() ? 'W' : 'R', m.captured(1).toInt(nullptr, 16),
                                      m.captured(2).toInt(nullptr, 16)));
    }
    return out;
}

QStringList toList(const std::vector<std::string>& v)
{
    QStringList out;
    for (const auto& s : v) out << QString::fromStdString(s);
    return out;
}

} // namespace

class TestHwBoard : public QObject {
    Q_OBJECT
    // Loaded before the Linux library, which has the same file name: a later
    // lookup of the bare name finds the simulator first.
    std::unique_ptr<SimBoard> simulator_;
    void* hw_ = nullptr;
    HxLinuxSyscalls table_ = hwmodel::table();

private slots:
    void initTestCase();
    void cleanupTestCase();
    void startupMatchesTheSimulator_data();
    void startupMatchesTheSimulator();
};

void TestHwBoard::initTestCase()
{
    simulator_ = std::make_unique<SimBoard>();
    QVERIFY(simulator_->loaded());
    hw_ = dlopen(HXLINUX_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    QVERIFY2(hw_, dlerror());
    auto set = reinterpret_cast<void (*)(const HxLinuxSyscalls*)>(dlsym(hw_, "hxlinux_set_syscalls"));
    QVERIFY(set);
    set(&table_);
    qunsetenv("HXBUS_LINUX_CONFIG"); // the file in the program's folder
}

void TestHwBoard::cleanupTestCase()
{
    if (hw_) dlclose(hw_);
    hwmodel::current = nullptr;
}

void TestHwBoard::startupMatchesTheSimulator_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<int>("probes"); // reads of _init before the program's own
    QTest::newRow("IIC") << kIic << 1;
    QTest::newRow("SPI") << QByteArray() << 0;
}

void TestHwBoard::startupMatchesTheSimulator()
{
    QFETCH(QByteArray, settings);
    QFETCH(int, probes);

    Devices dev;
    std::vector<std::string> simOps;
    regs::RegisterImage simImage;
    evm::StartOptions o;
    o.startupScript = "startup.csv";
    {
        BoardRig rig;
        for (auto [address, value] : kPreset) rig.sim.setRegister(address, value);
        for (int a = 0x40; a <= 0x5E; ++a) dev.regs[size_t(a)] = std::uint8_t(rig.sim.reg(a));
        rig.writeFile("startup.csv", kStartupScript);
        QCOMPARE(rig.start(settings, o), evm::StartResult::Ready);
        QVERIFY(rig.reports.isEmpty());
        simOps = chipOps(rig.sim.trace());
        simImage = rig.board.image();
    }
    QVERIFY(!simOps.empty());

    hwmodel::current = &dev;
    {
        BoardRig rig;
        rig.writeFile("startup.csv", kStartupScript);
        rig.writeFile("hxbus-linux.ini", "i2c = /dev/i2c-1\nspi = /dev/spidev0.0\n");
        o.library = QStringLiteral(HXLINUX_LIBRARY);
        QCOMPARE(rig.start(settings, o), evm::StartResult::Ready);
        QVERIFY(rig.reports.isEmpty());
        QVERIFY(rig.board.image().bytes == simImage.bytes);
        QVERIFY(rig.sim.trace().isEmpty()); // the board talked to the Linux library only
        rig.board.close();
    }
    QVERIFY(dev.fds.empty()); // _close at the board's close

    QVERIFY(dev.chipOps.size() >= size_t(probes));
    for (int i = 0; i < probes; ++i) QCOMPARE(dev.chipOps[size_t(i)], Devices::op('R', 0x40, dev.regs[0x40]));
    dev.chipOps.erase(dev.chipOps.begin(), dev.chipOps.begin() + probes);
    QCOMPARE(toList(dev.chipOps), toList(simOps));
}

QTEST_MAIN(TestHwBoard)
#include "tst_hwboard.moc"

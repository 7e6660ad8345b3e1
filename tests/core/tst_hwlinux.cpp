// The Linux chip library against a model of i2c-dev and spidev: the exact
// transfers, the error codes, the configuration file, close and init again.

#include "linksettings.h"
#include "linktext.h"
#include "devicemodel.h"
#include "evmversion.h"

#include <QRegularExpression>
#include <QTemporaryDir>

#include <QtTest>

#include <climits>
#include <cstdio>
#include <dlfcn.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using hwmodel::Devices;

// Everything written to standard error while it lives.
class StderrCapture {
public:
    StderrCapture()
    {
        std::fflush(stderr);
        saved_ = dup(2);
        file_ = std::tmpfile();
        dup2(fileno(file_), 2);
    }
    ~StderrCapture()
    {
        std::fflush(stderr);
        dup2(saved_, 2);
        ::close(saved_);
        std::fclose(file_);
    }
    QString text()
    {
        std::fflush(stderr);
        QByteArray bytes;
        std::rewind(file_);
        char buffer[512];
        while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, file_))
            bytes.append(buffer, qsizetype(n));
        return QString::fromLocal8Bit(bytes);
    }

private:
    int saved_ = -1;
    std::FILE* file_ = nullptr;
};

LinkSettings linkFor(int kind, int address)
{
    LinkSettings s;
    evmlink::initLinkSettings(s);
    s.interfaceKind = kind;
    s.deviceAddress = address;
    return s;
}

// "4C w1 41 | 4C r1 A5": address, w or r (other flags in hex), length, bytes.
QString text(const std::vector<hwmodel::Message>& msgs)
{
    QStringList parts;
    for (const auto& m : msgs) {
        QString s = QString::asprintf("%02X ", m.addr);
        s += m.flags == 0          ? QStringLiteral("w")
             : m.flags == I2C_M_RD ? QStringLiteral("r")
                                   : QString::asprintf("f%X", m.flags);
        s += QString::number(m.len);
        for (auto b : m.bytes) s += QString::asprintf(" %02X", b);
        parts << s;
    }
    return parts.join(QStringLiteral(" | "));
}

// "tx 41 05 rx - len 2 speed 250000 bits 8"
QString text(const hwmodel::SpiTransfer& t)
{
    auto bytes = [](const std::vector<std::uint8_t>& v) {
        QString s;
        for (auto b : v) s += QString::asprintf(" %02X", b);
        return s.isEmpty() ? QStringLiteral(" -") : s;
    };
    return QStringLiteral("tx%1 rx%2 len %3 speed %4 bits %5")
        .arg(bytes(t.tx), bytes(t.rx))
        .arg(t.len)
        .arg(t.speed)
        .arg(t.bits);
}

const QByteArray kConfig = "i2c = /dev/i2c-1\nspi = /dev/spidev0.0\nspi_mode = 2\nspi_speed = 250000\n";

} // namespace

class TestHwLinux : public QObject {
    Q_OBJECT

    void* handle_ = nullptr;
    HxBusInitFn init_ = nullptr;
    HxBusCloseFn close_ = nullptr;
    HxBusReadFn read_ = nullptr;
    HxBusWriteFn write_ = nullptr;
    HxBusGetVerFn getVer_ = nullptr;
    void (*setSyscalls_)(const HxLinuxSyscalls*) = nullptr;

    QTemporaryDir dir_;
    std::unique_ptr<Devices> dev_;
    HxLinuxSyscalls table_ = hwmodel::table();

    QString configPath() const { return dir_.filePath(QStringLiteral("hxbus-linux.ini")); }
    void writeConfig(const QByteArray& text)
    {
        QFile f(configPath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }
    int open(int kind, int address = 0x4C, int port = 0)
    {
        LinkSettings s = linkFor(kind, address);
        return init_(port, &s);
    }

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void initPorts_data();
    void initPorts();
    void iicTransfers_data();
    void iicTransfers();
    void spiTransfers_data();
    void spiTransfers();
    void transferErrors_data();
    void transferErrors();
    void argumentRules_data();
    void argumentRules();
    void configurationErrors_data();
    void configurationErrors();
    void noBoardAtInit_data();
    void noBoardAtInit();
    void closeAndInitAgain();
    void realCallsOnANodeThatIsNoDevice_data();
    void realCallsOnANodeThatIsNoDevice();
    void versionReadsAsTheProgramVersion();
};

void TestHwLinux::initTestCase()
{
    QVERIFY(dir_.isValid());
    // Were _init the ELF initialiser, the loader would call it here with
    // argc and argv, and it would complain about its configuration.
    qputenv("HXBUS_LINUX_CONFIG", dir_.filePath(QStringLiteral("absent.ini")).toLocal8Bit());
    {
        StderrCapture err;
        handle_ = dlopen(HXLINUX_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        QVERIFY2(handle_, dlerror());
        QCOMPARE(err.text(), QString());
    }
    init_ = reinterpret_cast<decltype(init_)>(dlsym(handle_, "_init"));
    close_ = reinterpret_cast<decltype(close_)>(dlsym(handle_, "_close"));
    read_ = reinterpret_cast<decltype(read_)>(dlsym(handle_, "_readData"));
    write_ = reinterpret_cast<decltype(write_)>(dlsym(handle_, "_writeData"));
    getVer_ = reinterpret_cast<decltype(getVer_)>(dlsym(handle_, "_getVer"));
    setSyscalls_ = reinterpret_cast<decltype(setSyscalls_)>(dlsym(handle_, "hxlinux_set_syscalls"));
    QVERIFY(init_ && close_ && read_ && write_ && getVer_ && setSyscalls_);
    setSyscalls_(&table_);
    qputenv("HXBUS_LINUX_CONFIG", configPath().toLocal8Bit());
}

void TestHwLinux::init()
{
    dev_ = std::make_unique<Devices>();
    hwmodel::current = dev_.get();
    dev_->regs[0x40] = 0xC0;
    dev_->regs[0x41] = 0xA5;
    dev_->regs[0x5D] = 0x12;
    dev_->regs[0x5E] = 0x34;
    writeConfig(kConfig);
}

void TestHwLinux::cleanup()
{
    QCOMPARE(close_(), 0);
    QVERIFY(dev_->fds.empty()); // every descriptor the library opened is closed
}

void TestHwLinux::cleanupTestCase()
{
    if (setSyscalls_) setSyscalls_(nullptr);
    hwmodel::current = nullptr;
    if (handle_) dlclose(handle_);
}

void TestHwLinux::initPorts_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("node");
    QTest::addColumn<int>("port");
    QTest::newRow("i2c-1") << 1 << "/dev/i2c-1" << 2;
    QTest::newRow("i2c-10") << 1 << "/dev/i2c-10" << 11;
    QTest::newRow("udev name without number") << 1 << "/dev/evm-i2c" << 1;
    QTest::newRow("spidev0.0") << 3 << "/dev/spidev0.0" << 1;
    QTest::newRow("spidev1.2") << 3 << "/dev/spidev1.2" << 2;
}

// _init opens only the configured node, read-write and close-on-exec, checks
// the adapter once and reads register 0x40 from the chip.
void TestHwLinux::initPorts()
{
    QFETCH(int, kind);
    QFETCH(QString, node);
    QFETCH(int, port);
    (kind == 1 ? dev_->i2cPath : dev_->spiPath) = node.toStdString();
    writeConfig((kind == 1 ? "i2c = " : "spi = ") + node.toLocal8Bit() +
                "\nspi_mode = 1\nspi_speed = 400000\n");
    QCOMPARE(open(kind), port);
    QCOMPARE(dev_->opened.size(), size_t(1));
    const QStringList opened = QString::fromStdString(dev_->opened[0]).split(' ');
    QCOMPARE(opened[0], node);
    const int flags = opened[1].toInt();
    QCOMPARE(flags & O_ACCMODE, O_RDWR);
    QVERIFY(flags & O_CLOEXEC);
    QCOMPARE(dev_->fds.size(), size_t(1));
    if (kind == 1) {
        QCOMPARE(dev_->requests, (std::vector<unsigned long>{I2C_FUNCS, I2C_RDWR}));
        QCOMPARE(dev_->i2c.size(), size_t(1));
        QCOMPARE(text(dev_->i2c[0]), QString("4C w1 40 | 4C r1 C0"));
    } else {
        QVERIFY(dev_->spi.empty()); // nothing to probe: SPI has no acknowledge
        QCOMPARE(dev_->spiMode, 1);
        QCOMPARE(dev_->spiBits, 8);
        QCOMPARE(dev_->spiMaxSpeed, 400000);
    }
}

void TestHwLinux::iicTransfers_data()
{
    QTest::addColumn<bool>("write");
    QTest::addColumn<int>("address");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QStringList>("transfers");
    QTest::newRow("write") << true << 0x41 << QByteArray("\x05") << QStringList{"4C w2 41 05"};
    QTest::newRow("read") << false << 0x41 << QByteArray("\xA5") << QStringList{"4C w1 41 | 4C r1 A5"};
    QTest::newRow("write three") << true << 0x50 << QByteArray("\x01\x02\x03")
                                 << QStringList{"4C w2 50 01", "4C w2 51 02", "4C w2 52 03"};
    QTest::newRow("read two") << false << 0x5D << QByteArray("\x12\x34")
                              << QStringList{"4C w1 5D | 4C r1 12", "4C w1 5E | 4C r1 34"};
}

// One register per I2C_RDWR: a write is one message, a read a write of the
// register and a one-byte read joined by a repeated start.
void TestHwLinux::iicTransfers()
{
    QFETCH(bool, write);
    QFETCH(int, address);
    QFETCH(QByteArray, data);
    QFETCH(QStringList, transfers);
    QCOMPARE(open(1), 2);
    dev_->i2c.clear();
    dev_->chipOps.clear();
    unsigned char buffer[10] = {};
    if (write) {
        std::memcpy(buffer, data.constData(), size_t(data.size()));
        QCOMPARE(write_(0, address, buffer, int(data.size())), 0);
    } else {
        QCOMPARE(read_(0, address, buffer, int(data.size())), 0);
        QCOMPARE(QByteArray(reinterpret_cast<char*>(buffer), data.size()), data);
    }
    QStringList seen;
    for (const auto& t : dev_->i2c) seen << text(t);
    QCOMPARE(seen, transfers);
    for (int i = 0; i < data.size(); ++i)
        QCOMPARE(QString::fromStdString(dev_->chipOps[size_t(i)]),
                 QString::fromStdString(Devices::op(write ? 'W' : 'R', address + i, data[i])));
}

void TestHwLinux::spiTransfers_data()
{
    QTest::addColumn<QByteArray>("extraConfig");
    QTest::addColumn<bool>("write");
    QTest::addColumn<int>("readFlag");
    QTest::addColumn<QString>("transfer");
    QTest::addColumn<int>("value");
    QTest::newRow("write") << QByteArray() << true << 0x80 << "tx 41 05 rx - len 2 speed 250000 bits 8"
                           << 0x05;
    QTest::newRow("read") << QByteArray() << false << 0x80 << "tx C1 00 rx 00 A5 len 2 speed 250000 bits 8"
                          << 0xA5;
    QTest::newRow("read flag from the file") << QByteArray("spi_read = $20\n") << false << 0x20
                                             << "tx 61 00 rx 00 A5 len 2 speed 250000 bits 8" << 0xA5;
}

// One two-byte SPI_IOC_MESSAGE(1) per register, at the file's speed; a read
// is full duplex and answers with the second byte.
void TestHwLinux::spiTransfers()
{
    QFETCH(QByteArray, extraConfig);
    QFETCH(bool, write);
    QFETCH(int, readFlag);
    QFETCH(QString, transfer);
    QFETCH(int, value);
    writeConfig(kConfig + extraConfig);
    dev_->spiReadFlag = std::uint8_t(readFlag);
    QCOMPARE(open(3, 0), 1);
    QCOMPARE(dev_->spiMode, 2);
    unsigned char buffer[10] = {std::uint8_t(value)};
    QCOMPARE(write ? write_(0, 0x41, buffer, 1) : read_(0, 0x41, buffer, 1), 0);
    QCOMPARE(dev_->spi.size(), size_t(1));
    QCOMPARE(text(dev_->spi[0]), transfer);
    QCOMPARE(int(buffer[0]), value);
    QCOMPARE(dev_->requests.back(), SPI_IOC_MESSAGE(1));
}

void TestHwLinux::transferErrors_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("write");
    QTest::addColumn<int>("error");    // errno of the transfer; 0: it comes back short
    QTest::addColumn<int>("expected"); // the library's code
    QTest::newRow("iic write ENXIO") << 1 << true << ENXIO << 0x21;
    QTest::newRow("iic read EREMOTEIO") << 1 << false << EREMOTEIO << 0x21;
    QTest::newRow("iic read ETIMEDOUT") << 1 << false << ETIMEDOUT << 0x22;
    QTest::newRow("iic write EIO") << 1 << true << EIO << 0x20;
    QTest::newRow("iic read EAGAIN") << 1 << false << EAGAIN << 0x20;
    QTest::newRow("iic read short") << 1 << false << 0 << 0x20;
    QTest::newRow("spi write ETIMEDOUT") << 3 << true << ETIMEDOUT << 0x22;
    QTest::newRow("spi read EIO") << 3 << false << EIO << 0x20;
    QTest::newRow("spi write short") << 3 << true << 0 << 0x20;
}

void TestHwLinux::transferErrors()
{
    QFETCH(int, kind);
    QFETCH(bool, write);
    QFETCH(int, error);
    QFETCH(int, expected);
    QVERIFY(open(kind) > 0);
    if (error)
        dev_->failWith[kind == 1 ? I2C_RDWR : SPI_IOC_MESSAGE(1)] = error;
    else
        dev_->transferShortBy = 1;
    unsigned char buffer[10] = {0x05};
    QCOMPARE(write ? write_(0, 0x41, buffer, 1) : read_(0, 0x41, buffer, 1), expected);
    // The failure ends a run of registers at the first one.
    const size_t before = dev_->i2c.size() + dev_->spi.size();
    QCOMPARE(write ? write_(0, 0x41, buffer, 3) : read_(0, 0x41, buffer, 3), expected);
    QCOMPARE(dev_->i2c.size() + dev_->spi.size(), before + 1);
}

void TestHwLinux::argumentRules_data()
{
    QTest::addColumn<bool>("opened");
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("nullBuffer");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("transfers");
    QTest::newRow("chip") << true << 0 << 0x41 << 1 << false << 0 << 1;
    QTest::newRow("ten registers") << true << 0 << 0x40 << 10 << false << 0 << 10;
    QTest::newRow("board control, no bus") << true << 7 << 0x35 << 2 << false << 0 << 0;
    QTest::newRow("chip before init") << false << 0 << 0x41 << 1 << false << 0x10 << 0;
    QTest::newRow("board before init") << false << 7 << 0x35 << 1 << false << 0x10 << 0;
    QTest::newRow("bad channel") << true << 3 << 0x41 << 1 << false << 0x30 << 0;
    QTest::newRow("bad channel before init") << false << 1 << 0x41 << 1 << false << 0x30 << 0;
    QTest::newRow("null buffer") << true << 0 << 0x41 << 1 << true << 0x31 << 0;
    QTest::newRow("count 0") << true << 0 << 0x41 << 0 << false << 0x31 << 0;
    QTest::newRow("count 11") << true << 0 << 0x41 << 11 << false << 0x31 << 0;
    QTest::newRow("bad count before init") << false << 0 << 0x41 << 11 << false << 0x31 << 0;
    QTest::newRow("register past 0xFF") << true << 0 << 0xF8 << 10 << false << 0x31 << 0;
    QTest::newRow("last register 0xFF") << true << 0 << 0xF6 << 10 << false << 0 << 10;
    QTest::newRow("register past INT_MAX") << true << 0 << INT_MAX << 2 << false << 0x31 << 0;
    QTest::newRow("negative register") << true << 0 << -1 << 1 << false << 0x31 << 0;
}

// The simulator's order of checks: arguments, channel, then the link.
void TestHwLinux::argumentRules()
{
    QFETCH(bool, opened);
    QFETCH(int, channel);
    QFETCH(int, address);
    QFETCH(int, count);
    QFETCH(bool, nullBuffer);
    QFETCH(int, expected);
    QFETCH(int, transfers);
    if (opened) QCOMPARE(open(1), 2);
    dev_->i2c.clear();
    unsigned char buffer[16] = {};
    unsigned char* b = nullBuffer ? nullptr : buffer;
    QCOMPARE(write_(channel, address, b, count), expected);
    QCOMPARE(read_(channel, address, b, count), expected);
    QCOMPARE(dev_->i2c.size(), size_t(2 * transfers));
}

void TestHwLinux::configurationErrors_data()
{
    QTest::addColumn<QString>("make"); // file, none, dir, fifo
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message"); // pattern of the one line; FILE is the file's name
    QTest::newRow("unknown key") << "file" << QByteArray("i2c = /dev/i2c-1\nspi_clock = 5\n")
                                 << "FILE:2: unknown key 'spi_clock'";
    QTest::newRow("mode out of range") << "file" << QByteArray("i2c = /dev/i2c-1\r\nspi_mode = 4\r\n")
                                       << "FILE:2: bad value '4' for spi_mode \\(0..3\\)";
    QTest::newRow("not a number") << "file" << QByteArray("spi_speed = 1MHz\ni2c = /dev/i2c-1\n")
                                  << "FILE:1: bad value '1MHz' for spi_speed.*";
    QTest::newRow("past a byte") << "file" << QByteArray("i2c = /dev/i2c-1\n\n# flag\nspi_read = 0x100\n")
                                 << "FILE:4: bad value '0x100' for spi_read.*";
    QTest::newRow("speed zero") << "file" << QByteArray("i2c = /dev/i2c-1\nspi_speed = 0\n")
                                << "FILE:2: bad value '0' for spi_speed.*";
    QTest::newRow("no equals sign") << "file" << QByteArray("i2c /dev/i2c-1\n")
                                    << "FILE:1: expected key = value";
    QTest::newRow("no device") << "file" << QByteArray("i2c = ; later\n") << "FILE:1: no device for i2c";
    QTest::newRow("no i2c line") << "file" << QByteArray("spi = /dev/spidev0.0\n")
                                 << "FILE: no 'i2c' line, needed for IIC";
    QTest::newRow("missing file") << "none" << QByteArray() << "FILE: cannot open: No such file or directory";
    QTest::newRow("folder") << "dir" << QByteArray() << "FILE: not a regular file";
    QTest::newRow("fifo") << "fifo" << QByteArray() << "FILE: not a regular file";
    QTest::newRow("comments and number forms")
        << "file"
        << QByteArray("# the chip\n\n  i2c = /dev/i2c-1 ; adapter 1\nspi_mode=$3\n"
                      "spi_speed = 0x0F4240\nspi_read = 128 # flag\n")
        << QString();
}

// A bad file is no board, with one line on standard error that says where;
// nothing is opened.
void TestHwLinux::configurationErrors()
{
    QFETCH(QString, make);
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    const QString path = dir_.filePath(QStringLiteral("case.ini"));
    QFile::remove(path);
    QDir(path).removeRecursively();
    if (make == "file") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    } else if (make == "dir") {
        QVERIFY(QDir().mkdir(path));
    } else if (make == "fifo") {
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    }
    qputenv("HXBUS_LINUX_CONFIG", path.toLocal8Bit());
    StderrCapture err;
    const int port = open(1);
    const QString printed = err.text();
    qputenv("HXBUS_LINUX_CONFIG", configPath().toLocal8Bit());
    if (message.isEmpty()) {
        QCOMPARE(printed, QString());
        QCOMPARE(port, 2);
        return;
    }
    QCOMPARE(port, 0);
    const QString pattern =
        "^hxbus-linux: " + QString(message).replace("FILE", QRegularExpression::escape(path)) + "\n$";
    QVERIFY2(QRegularExpression(pattern).match(printed).hasMatch(), qPrintable(printed));
    QVERIFY(dev_->opened.empty());
    unsigned char buffer[10] = {};
    QCOMPARE(read_(0, 0x41, buffer, 1), 0x10);
}

void TestHwLinux::noBoardAtInit_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("address");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message");
    QTest::newRow("no adapter node") << 1 << 0x4C << "renamed"
                                     << "/dev/i2c-1: No such file or directory";
    QTest::newRow("no permission") << 1 << 0x4C << "EACCES"
                                   << "/dev/i2c-1: Permission denied";
    QTest::newRow("not an adapter") << 1 << 0x4C << "funcs ENOTTY"
                                    << "/dev/i2c-1: not an IIC adapter: .*";
    QTest::newRow("SMBus-only adapter") << 1 << 0x4C << "smbus"
                                        << "/dev/i2c-1: .*\\(I2C_FUNC_I2C\\)";
    QTest::newRow("chip absent") << 1 << 0x4D << ""
                                 << "/dev/i2c-1: no chip answers at address 0x4D \\(no acknowledge\\)";
    QTest::newRow("bus times out") << 1 << 0x4C << "rdwr ETIMEDOUT"
                                   << "/dev/i2c-1: no chip answers at address 0x4C \\(time-out\\)";
    QTest::newRow("10-bit address") << 1 << 0x80 << ""
                                    << "IIC device address 0x80 is not a 7-bit address";
    QTest::newRow("no spidev node") << 3 << 0 << "renamed"
                                    << "/dev/spidev0.0: No such file or directory";
    QTest::newRow("mode refused") << 3 << 0 << "mode EINVAL"
                                  << "/dev/spidev0.0: cannot set the SPI mode: .*";
    QTest::newRow("unknown interface") << 2 << 0 << ""
                                       << "interface kind 2 is neither IIC \\(1\\) nor SPI \\(3\\)";
}

// "No EVM was found" on a real board: _init answers 0, says why, and leaves
// nothing open.
void TestHwLinux::noBoardAtInit()
{
    QFETCH(int, kind);
    QFETCH(int, address);
    QFETCH(QString, fault);
    QFETCH(QString, message);
    if (fault == "renamed") dev_->i2cPath = dev_->spiPath = "/dev/other";
    if (fault == "EACCES") dev_->openErrno = EACCES;
    if (fault == "funcs ENOTTY") dev_->failWith[I2C_FUNCS] = ENOTTY;
    if (fault == "smbus") dev_->funcs = I2C_FUNC_SMBUS_EMUL;
    if (fault == "rdwr ETIMEDOUT") dev_->failWith[I2C_RDWR] = ETIMEDOUT;
    if (fault == "mode EINVAL") dev_->failWith[SPI_IOC_WR_MODE] = EINVAL;
    StderrCapture err;
    QCOMPARE(open(kind, address), 0);
    const QString printed = err.text();
    QVERIFY2(QRegularExpression("^hxbus-linux: " + message + "\n$").match(printed).hasMatch(),
             qPrintable(printed));
    QVERIFY(dev_->fds.empty());
    unsigned char buffer[10] = {};
    QCOMPARE(read_(0, 0x41, buffer, 1), 0x10);
    QCOMPARE(write_(7, 0x35, buffer, 1), 0x10);
}

void TestHwLinux::closeAndInitAgain()
{
    unsigned char buffer[10] = {0x01};
    QCOMPARE(open(1), 2);
    QCOMPARE(write_(7, 0x37, buffer, 1), 0);
    QCOMPARE(open(1, 0x4C, 5), 2); // again without _close: the first node is closed; any port opens
    QCOMPARE(dev_->fds.size(), size_t(1));
    QCOMPARE(close_(), 0);
    QVERIFY(dev_->fds.empty());
    const size_t transfers = dev_->i2c.size();
    QCOMPARE(read_(0, 0x41, buffer, 1), 0x10);
    QCOMPARE(write_(0, 0x41, buffer, 1), 0x10);
    QCOMPARE(read_(7, 0x37, buffer, 1), 0x10);
    QCOMPARE(dev_->i2c.size(), transfers);
    QCOMPARE(close_(), 0); // twice is harmless

    QCOMPARE(open(1), 2);
    buffer[0] = 0;
    QCOMPARE(read_(7, 0x37, buffer, 1), 0); // board-control values are kept, as on the simulated board
    QCOMPARE(int(buffer[0]), 0x01);
    QCOMPARE(dev_->i2c.size(), transfers + 1); // only the probe of the new _init
    QCOMPARE(read_(0, 0x41, buffer, 1), 0);
    QCOMPARE(int(buffer[0]), 0xA5);
}

void TestHwLinux::realCallsOnANodeThatIsNoDevice_data()
{
    QTest::addColumn<bool>("fifo");
    QTest::newRow("regular file") << false;
    QTest::newRow("fifo") << true; // must not block the open
}

// With the real calls back in place, a node that is no adapter is no board.
void TestHwLinux::realCallsOnANodeThatIsNoDevice()
{
    QFETCH(bool, fifo);
    const QString node = dir_.filePath(QStringLiteral("not-an-adapter"));
    QFile::remove(node);
    if (fifo) {
        QCOMPARE(mkfifo(QFile::encodeName(node).constData(), 0600), 0);
    } else {
        QFile f(node);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    writeConfig("i2c = " + QFile::encodeName(node) + "\n");
    setSyscalls_(nullptr);
    int port = -1;
    QString printed;
    {
        StderrCapture err;
        port = open(1);
        printed = err.text();
    }
    setSyscalls_(&table_);
    QCOMPARE(port, 0);
    QCOMPARE(printed, "hxbus-linux: " + node +
                          ": not an IIC adapter: " + QString::fromLocal8Bit(strerror(ENOTTY)) + "\n");
    QVERIFY(dev_->opened.empty());
}

void TestHwLinux::versionReadsAsTheProgramVersion()
{
    QCOMPARE(evmlink::versionText(getVer_()), QStringLiteral(EVM_VERSION ".0"));
}

QTEST_MAIN(TestHwLinux)
#include "tst_hwlinux.moc"

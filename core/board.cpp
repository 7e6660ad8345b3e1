// The board's operations: library and link, transport and its error policy,
// the settings file, resets and reconnect, scripts and the snapshot.

#include "core/board.h"

#include "core/apperror.h"
#include "core/integertext.h"
#include "core/linktext.h"
#include "core/profilefile.h"
#include "core/savefile.h"
#include "core/scriptline.h"
#include "core/settingstext.h"
#include "core/textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QThread>

#include <initializer_list>
#include <utility>

namespace evm {

namespace {

// Register 0x40 carries the two reset requests, each active low.
constexpr unsigned kResetRegister = 0x40;
constexpr int kMrstBit = 0x80;
constexpr int kSrstBit = 0x40;
// The chip needs this long after a register reset before it is written again.
constexpr int kResetSettleMs = 1000;

const QString kBusyText = QStringLiteral("Reset in progress ...");
const QString kScriptCaption = QStringLiteral("Script file error");

const QByteArrayView kSection = "SerialInterface";
const QByteArrayView kTypeKey = "Type";
const QByteArrayView kAddrKey = "Addr";

// A stored value that is not integer text ends the loading of the file.
struct CorruptSettings {};

std::int32_t readInteger(const evmlink::ProfileFile& file, QByteArrayView key, const QString& defaultText)
{
    const std::optional<QByteArray> raw = file.value(kSection, key);
    const std::optional<std::int32_t> n =
        evm::parseInteger(raw ? QString::fromLatin1(*raw) : defaultText, evm::IntegerRange::Signed32);
    if (!n) throw CorruptSettings{};
    return *n;
}

} // namespace

Board::Board(QObject* parent) : QObject(parent)
{
    Wait = [](int ms) {
        if (ms > 0) QThread::msleep(ulong(ms));
    };
    evmlink::initLinkSettings(linkSettings);
}

Board::~Board() = default;

// ---- Library and link -------------------------------------------------------------

HxBusLibrary::LoadResult Board::loadLibrary(const QString& name)
{
    closed_ = false;
    return bus.load(name);
}

std::int32_t Board::open()
{
    BoardOpen = bus.isLoaded() ? bus.init(0, &linkSettings) : 0;
    return BoardOpen;
}

void Board::close()
{
    closed_ = true;
    if (bus.isLoaded()) {
        bus.close();
        bus.unload();
    }
    // An operation interrupted by the close sends nothing more.
    BoardOpen = 0;
    if (settings_) {
        settings_->sync();
        settings_.reset();
    }
}

void Board::WriteBoardSetup(int dacMasterSlaveIndex, int adcMasterSlaveIndex)
{
    WriteBoardControl(0x00, 0x00);
    WriteBoardControl(0x04, 0x01);
    for (int a = 0x0B; a <= 0x0F; ++a) WriteBoardControl(a, 0x55);
    WriteBoardControl(0x35, 0x01);
    WriteBoardControl(0x37, dacMasterSlaveIndex == 0 ? 1 : 0);
    const std::uint8_t adc = adcMasterSlaveIndex == 0 ? 1 : 0;
    WriteBoardControl(0x34, adc);
    WriteBoardControl(0x36, adc);
}

void Board::readBack(const std::function<void(int)>& step)
{
    const bool spi = interfaceIndex == evmlink::kSpiIndex;
    for (int i = 0; i < regs::kCount; ++i) {
        if (step) step(i);
        if (spi)
            ResetRegisterImage(); // SPI reads nothing back
        else
            image.storeReadBack(i, ReadRegister(regs::kFirst + i));
    }
    image.bytes[0] |= 0xC0; // the reset requests read as idle
}

std::optional<int> Board::libraryVersion() const
{
    if (!bus.getVer) return std::nullopt;
    return bus.getVer();
}

// ---- Transport ---------------------------------------------------------------------

void Board::WriteRegister(unsigned reg, int value)
{
    if (BoardOpen == 0) return;
    unsigned char buffer[evmlink::kBufferSize] = {};
    buffer[0] = static_cast<unsigned char>(value);
    if (!SuppressWrites) {
        const int rc = bus.writeData(evmlink::kChannelChip, int(reg), buffer, 1);
        if (rc != 0) registerTransferFailed(evmlink::writeErrorText(rc));
    }
    int shown = 0;
    if (image.mirrorWrite(reg, value, &shown)) emit registerShown(int(reg) - regs::kFirst, shown);
    // The byte the chip was given: a saved history replays as a script.
    if (LogHistory) emit historyLine(evmlink::recordLine(reg, buffer[0]));
}

// The first failed register read or write of an operation is reported.
void Board::registerTransferFailed(const QString& text)
{
    emit transferFailed(text);
    if (ErrorShown) return;
    ErrorShown = true;
    emit report(ReportKind::Message, text, QString());
}

std::uint8_t Board::ReadRegister(int reg)
{
    if (BoardOpen == 0) return 0;
    unsigned char buffer[evmlink::kBufferSize] = {};
    const int rc = bus.readData(evmlink::kChannelChip, reg, buffer, 1);
    if (rc != 0) registerTransferFailed(evmlink::readErrorText(rc));
    return buffer[0];
}

void Board::WriteBoardControl(int address, std::uint8_t value)
{
    if (BoardOpen == 0) return;
    unsigned char buffer[evmlink::kBufferSize] = {};
    buffer[0] = value;
    if (SuppressWrites) return;
    const int rc = bus.writeData(evmlink::kChannelBoard, address, buffer, 1);
    if (rc != 0) {
        const QString text = evmlink::boardErrorText(rc);
        emit transferFailed(text);
        emit report(ReportKind::Message, text, QString()); // every one, whatever ErrorShown says
    }
}

void Board::showAllRegisters()
{
    for (int i = 0; i < regs::kCount; ++i) emit registerShown(i, image.bytes[std::size_t(i)]);
}

// ---- Settings file -------------------------------------------------------------------

int Board::LoadSettings(int shownItem, const QString& path)
{
    interfaceIndex = evmlink::kSpiIndex;
    DeviceAddress = 0x4D;
    int item = shownItem;
    settings_ = std::make_unique<evmlink::ProfileFile>(path);
    if (!settings_->load()) {
        // A file that is there but cannot be read (or is no file at all)
        // leaves the defaults; say so rather than start silently with other
        // settings.
        emit report(ReportKind::Message,
                    QStringLiteral("Cannot read the settings file %1; the default settings are used")
                        .arg(QDir::toNativeSeparators(settings_->fileName())),
                    QString());
    }
    try {
        const std::int32_t type = readInteger(*settings_, kTypeKey, QString::number(interfaceIndex));
        interfaceIndex = evmlink::interfaceIndexFromType(type);
        DeviceAddress = readInteger(*settings_, kAddrKey, QStringLiteral("77"));
        DeviceAddress = evmlink::clampDeviceAddress(interfaceIndex, DeviceAddress);
        item = evmlink::addressItem(interfaceIndex, DeviceAddress);
    } catch (const CorruptSettings&) {
        emit report(ReportKind::Message, QStringLiteral("Initial file was corrupted!!"), QString());
        // The address item was not reached: the window, DeviceAddress and
        // the link all take the address that the box shows.
        DeviceAddress = evmlink::itemAddress(interfaceIndex, item);
    }
    return item;
}

void Board::ApplyInterface()
{
    evmlink::applyInterface(linkSettings, interfaceIndex, DeviceAddress);
}

bool Board::changeInterface(int index)
{
    interfaceIndex = index;
    // Also reached when the interface is chosen during creation, before any
    // library is loaded.
    if (!bus.isLoaded()) return false;
    // The new device address is taken before the link is re-initialised, so
    // that the library, the window and the file all agree on it at once.
    DeviceAddress = index == evmlink::kIicIndex ? evmlink::kFirstIicAddress : 0;
    ApplyInterface();
    bus.close();
    bus.init(BoardOpen, &linkSettings); // the port is kept whatever this returns
    return true;
}

namespace {
// Writes the keys one by one, each put on disk at once. Keys that do not
// reach the file end the calling operation through the general error report;
// the file object keeps them and writes them with the next write that works.
void storeSettings(evmlink::ProfileFile* file, std::initializer_list<std::pair<QByteArrayView, QString>> keys)
{
    if (!file) return;
    QStringList lost;
    for (const auto& [key, value] : keys) {
        if (!file->setValue(kSection, key, value.toLatin1()))
            lost << QString::fromLatin1(kSection.toByteArray() + '/' + key.toByteArray());
    }
    if (!lost.isEmpty())
        throw AppError(
            QStringLiteral("Cannot write the settings file %1: %2 not saved")
                .arg(QDir::toNativeSeparators(file->fileName()), lost.join(QStringLiteral(" and "))));
}
} // namespace

void Board::storeInterface()
{
    storeSettings(settings_.get(), {{kTypeKey, QString::number(interfaceIndex == evmlink::kIicIndex ? 0 : 1)},
                                    {kAddrKey, evmlink::hex2(unsigned(DeviceAddress))}});
}

void Board::changeAddress(int item)
{
    if (interfaceIndex != evmlink::kIicIndex) return;
    DeviceAddress = evmlink::itemAddress(evmlink::kIicIndex, item);
    storeSettings(settings_.get(), {{kAddrKey, evmlink::hex2(unsigned(DeviceAddress))}});
}

// ---- Resets and reconnect ----------------------------------------------------------------

void Board::masterReset()
{
    emit busy(kBusyText);
    WriteRegister(kResetRegister, image.at(kResetRegister) & ~kMrstBit);
    ErrorShown = false;
    Wait(kResetSettleMs);
    if (closed_) { // closed during the wait
        emit busyEnded();
        return;
    }
    // The chip is back at its power-on values: take the defaults without
    // sending them again and without adding them to the history.
    SuppressWrites = true;
    LogHistory = false;
    ResetRegisterImage();
    emit registersReset();
    emit busyEnded();
    SuppressWrites = false;
    LogHistory = true;
}

void Board::softReset()
{
    WriteRegister(kResetRegister, image.at(kResetRegister) & ~kSrstBit);
}

void Board::reconnect(int dacMasterSlaveIndex, int adcMasterSlaveIndex)
{
    if (!bus.isLoaded()) return;
    LogHistory = false;
    emit busy(kBusyText);
    // Closed while the busy window was being drawn: the reconnect ends here.
    if (closed_) {
        emit busyEnded();
        return;
    }

    ErrorShown = false;
    SuppressWrites = true;
    bus.close();
    Wait(kResetSettleMs);
    if (closed_) {
        emit busyEnded();
        return;
    }
    emit busy(kBusyText);

    ApplyInterface();
    BoardOpen = bus.init(0, &linkSettings);
    if (BoardOpen == 0) {
        emit busyEnded();
        emit connectionChanged(false);
        // "foud" as the program has always put it.
        emit report(ReportKind::ErrorBox, QStringLiteral("No EVM was foud"), QStringLiteral("Error"));
        return;
    }
    emit connectionChanged(true);

    // A failure of the register reset goes unreported (ErrorShown is set for
    // it); failures of the board set-up are reported, one each.
    ErrorShown = true;
    SuppressWrites = false;
    WriteRegister(kResetRegister, kSrstBit); // MRST requested (0), SRST idle (1), the rest 0
    WriteBoardSetup(dacMasterSlaveIndex, adcMasterSlaveIndex);

    SuppressWrites = true;
    ResetRegisterImage();
    ErrorShown = false;
    emit registersReset();
    emit busyEnded();
    SuppressWrites = false;
    LogHistory = true;
}

// ---- Scripts ---------------------------------------------------------------------------

namespace {
// Tells the events where a run has got. Progress that is shown costs far more
// than a register write, so on long scripts it moves only when it has
// advanced a visible step; it is exact whenever the run pauses (a wait or a
// message) and where it ends.
class ProgressSteps {
public:
    ProgressSteps(ScriptEvents* events, qint64 lines) : events_(events), step_(qMax<qint64>(1, lines / 200))
    {
    }
    void at(qint64 i)
    {
        if (i >= next_) exact(i);
    }
    void exact(qint64 i)
    {
        if (!events_) return;
        events_->at(i);
        next_ = i + step_;
    }

private:
    ScriptEvents* events_;
    qint64 step_;
    qint64 next_ = 0;
};
} // namespace

void Board::runScript(const QString& path, ScriptEvents* events)
{
    if (!QFileInfo(path).isFile()) { // a folder of that name is no script file either
        emit report(ReportKind::ErrorBox, QStringLiteral("File not exist."), kScriptCaption);
        return;
    }
    LogHistory = false;
    if (events) events->begun();

    // Whatever ends the run, the events hear of it and the history log
    // records again.
    struct End {
        Board* board;
        ScriptEvents* events;
        ~End()
        {
            if (events) events->finished();
            board->LogHistory = true;
        }
    } end{this, events};

    auto cannotRead = [this](const QString& reason) {
        emit report(ReportKind::ErrorBox, QStringLiteral("Cannot read the script file.\n") + reason,
                    kScriptCaption);
    };

    // Two passes over the file, so that a run holds one chunk of it at a time:
    // the first counts the lines for the progress and finds a file that cannot
    // be read before anything is written.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return cannotRead(file.errorString());
    qint64 count = 0;
    QByteArrayView text;
    {
        textfile::LineReader counter(&file);
        while (counter.next(&text)) ++count;
        if (counter.failed()) return cannotRead(counter.errorString());
    }
    if (!file.seek(0)) return cannotRead(file.errorString());
    if (events) events->counted(count);

    ProgressSteps progress(events, count);
    textfile::LineReader lines(&file);
    bool stopped = false;
    qint64 i = 0;
    for (; !stopped && lines.next(&text); ++i) {
        progress.at(i);
        const scriptline::Line line = scriptline::parse(text);
        switch (line.kind) {
        case scriptline::Kind::Write:
            WriteRegister(unsigned(line.first), line.second);
            break;
        case scriptline::Kind::Empty:
            break;
        case scriptline::Kind::Wait:
            progress.exact(i);
            if (Wait) Wait(line.first);
            stopped = closed_; // closed during the wait
            break;
        case scriptline::Kind::BadWait:
        case scriptline::Kind::BadRecord:
        case scriptline::Kind::BadData: {
            progress.exact(i);
            const QString message = scriptline::errorText(line.kind);
            if (!events || !events->stoppedAt(i, message))
                emit report(ReportKind::ErrorBox, message, kScriptCaption);
            stopped = true;
            break;
        }
        }
    }
    if (lines.failed()) return cannotRead(lines.errorString());
    if (!stopped && i > 0) progress.exact(i - 1);
}

// ---- Snapshot ----------------------------------------------------------------------------

std::array<std::uint8_t, regs::kCount> Board::readAll()
{
    std::array<std::uint8_t, regs::kCount> values{};
    for (int i = 0; i < regs::kCount; ++i) values[std::size_t(i)] = ReadRegister(regs::kFirst + i);
    return values;
}

QByteArray Board::snapshotText(const std::array<std::uint8_t, regs::kCount>& values, const char* lineEnd)
{
    QByteArray bytes;
    for (int i = 0; i < regs::kCount; ++i)
        bytes += evmlink::recordLine(unsigned(regs::kFirst + i), values[std::size_t(i)]).toLatin1() + lineEnd;
    return bytes;
}

bool Board::saveSnapshot(const QString& path)
{
    if (!confirmOverwrite(Question, path)) return false;
    // All reads first: a file is only touched once the chip has answered.
    saveTextFile(path, snapshotText(readAll(), "\r\n"));
    return true;
}

} // namespace evm

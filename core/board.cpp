// The board's operations: start-up, registers and the clock routing, the
// interface, resets and reconnect, scripts and the snapshot.

#include "board.h"

#include "bindingtables.h"
#include "linktext.h"
#include "savefile.h"
#include "termination.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

namespace evm {

namespace {

// Register 0x40 carries the two reset requests, each active low.
constexpr unsigned kResetRegister = 0x40;
constexpr int kMrstBit = 0x80;
constexpr int kSrstBit = 0x40;
// The chip needs this long after a register reset before it is written again.
constexpr int kResetSettleMs = 1000;

// The converters' master/slave fields, whose value the board's clock routing
// follows: 0 is slave, any other value a master mode.
struct ClockField {
    unsigned reg;
    int shift;
    int width;
    Converter converter;
};
constexpr ClockField kClockFields[] = {{0x41, 4, 3, Converter::Dac}, {0x51, 4, 3, Converter::Adc}};

const QString kBusyText = QStringLiteral("Reset in progress ...");
const QString kScriptCaption = QStringLiteral("Script file error");
const QString kNoBoard = QStringLiteral("No EVM was found");
const QString kErrorCaption = QStringLiteral("Error");

} // namespace

Board::Board(QObject* parent) : QObject(parent)
{
    wait = [](int ms) {
        if (ms > 0) QThread::msleep(ulong(ms));
    };
    connect(&transport_, &Transport::report, this, &Board::report);
    connect(&transport_, &Transport::transferFailed, this, &Board::transferFailed);
}

Board::~Board() = default;

// ---- Life -------------------------------------------------------------------------

void Board::loadSettings()
{
    for (const Report& r : settings_.load()) emit report(r);
    transport_.applyInterface(settings_.interface(), settings_.deviceAddress());
}

StartResult Board::startUp(const StartOptions& options)
{
    emit busy(QStringLiteral("Loading..."), 0, 0);
    image_.fillMask();

    switch (transport_.load(options.library)) {
    case HxBusLibrary::LoadResult::NotFound:
        emit busyEnded();
        emit report(
            {ReportCategory::Connection, QStringLiteral("Cannot load DLL"), QStringLiteral("DLL error")});
        return StartResult::NoLibrary;
    case HxBusLibrary::LoadResult::Invalid:
        emit busyEnded();
        emit report({ReportCategory::Connection, QStringLiteral("Invalid DLL"), QStringLiteral("DLL error")});
        return StartResult::InvalidLibrary;
    case HxBusLibrary::LoadResult::Loaded:
        break;
    }

    transport_.holdWrites(true);
    if (transport_.search(settings_.interface(), settings_.deviceAddress()) == 0) {
        emit busyEnded();
        emit connectionChanged(false);
        emit report({ReportCategory::Connection, kNoBoard, kErrorCaption});
        image_.reset();
        emit registersChanged();
        return StartResult::NoBoard;
    }
    emit connectionChanged(true);
    emit busy(QStringLiteral("Initializing..."), 0, regs::kCount - 1);

    transport_.holdWrites(false);
    WriteBoardSetup(options.dac, options.adc);
    if (options.readBack) {
        transport_.holdWrites(true);
        readBack();
        transport_.holdWrites(false);
    }

    if (!options.startupScript.isEmpty() && QFileInfo(options.startupScript).isFile()) {
        // A run ends with the history on; at start-up it starts only at the end.
        Quiet quiet(*this, Quiet::History);
        runScript(options.startupScript, options.scriptEvents);
    }
    if (isClosed()) { // closed during a wait of the start-up script
        emit busyEnded();
        return StartResult::Closed;
    }
    emit registersChanged();
    emit busyEnded();
    logHistory_ = true;
    return StartResult::Ready;
}

void Board::close()
{
    closed_ = true;
    // An operation interrupted by the close sends nothing more.
    transport_.shutdown();
    settings_.close();
}

bool Board::isClosed() const
{
    return closed_ || Termination::caught() != 0;
}

// The eleven board-control writes of a start-up and a reconnect.
void Board::WriteBoardSetup(Role dac, Role adc)
{
    transport_.writeBoardControl(0x00, 0x00);
    transport_.writeBoardControl(0x04, 0x01);
    for (int a = 0x0B; a <= 0x0F; ++a) transport_.writeBoardControl(a, 0x55);
    transport_.writeBoardControl(0x35, 0x01);
    routeClock(Converter::Dac, dac);
    routeClock(Converter::Adc, adc);
}

// IIC: the 31 registers read into the image, masked; SPI reads nothing back
// and takes the defaults. The reset requests read as idle either way.
void Board::readBack()
{
    const bool spi = settings_.interface() == Interface::Spi;
    for (int i = 0; i < regs::kCount; ++i) {
        emit busyStep(i);
        if (spi)
            image_.reset();
        else
            image_.storeReadBack(i, ReadRegister(regs::kFirst + i));
    }
    image_.bytes[0] |= 0xC0;
}

// ---- Registers ----------------------------------------------------------------------

void Board::WriteRegister(unsigned reg, int value)
{
    if (!transport_.isOpen()) return;
    const auto byte = std::uint8_t(value);
    transport_.writeChip(reg, byte);
    // The image and the map follow every write, sent or not, failed or not.
    int shown = 0;
    if (image_.mirrorWrite(reg, value, &shown)) emit registerShown(int(reg) - regs::kFirst, shown);
    // The byte the chip was given: a saved history replays as a script.
    if (logHistory_) emit historyLine(evmlink::recordLine(reg, byte));
}

std::uint8_t Board::ReadRegister(int reg)
{
    return transport_.readChip(reg);
}

void Board::writeField(unsigned reg, int shift, int width, unsigned value)
{
    if (!regs::inImage(reg)) return;
    writeField(reg, shift, width, value, image_.at(reg));
}

void Board::writeField(unsigned reg, int shift, int width, unsigned value, std::uint8_t others)
{
    WriteRegister(reg, int(bind::withField(others, shift, width, int(value))));
    fieldWritten(reg, shift, width, value);
}

void Board::fieldWritten(unsigned reg, int shift, int width, unsigned value)
{
    for (const ClockField& f : kClockFields)
        if (f.reg == reg && f.shift == shift && f.width == width)
            routeClock(f.converter, value == 0 ? Role::Slave : Role::Master);
}

Role Board::imageRole(Converter c) const
{
    for (const ClockField& f : kClockFields)
        if (f.converter == c)
            return bind::fieldValue(image_.at(f.reg), f.shift, f.width) == 0 ? Role::Slave : Role::Master;
    return Role::Slave;
}

void Board::routeClock(Converter c, Role role)
{
    const std::uint8_t slave = role == Role::Slave ? 1 : 0;
    if (c == Converter::Dac) {
        transport_.writeBoardControl(0x37, slave);
    } else {
        transport_.writeBoardControl(0x34, slave);
        transport_.writeBoardControl(0x36, slave);
    }
}

void Board::raiseImage(unsigned reg, std::uint8_t minimum)
{
    if (regs::inImage(reg) && image_.at(reg) < minimum) image_.at(reg) = minimum;
}

void Board::showAllRegisters()
{
    for (int i = 0; i < regs::kCount; ++i) emit registerShown(i, image_.bytes[std::size_t(i)]);
}

bool Board::requireBoard()
{
    if (transport_.isOpen()) return true;
    emit report({ReportCategory::Connection, kNoBoard, kErrorCaption});
    return false;
}

Board::Quiet::Quiet(Board& board, int what)
    : board_(board), held_(board.transport_.writesHeld()), logged_(board.logHistory_)
{
    if (what & Writes) board_.transport_.holdWrites(true);
    if (what & History) board_.logHistory_ = false;
}

Board::Quiet::~Quiet()
{
    board_.transport_.holdWrites(held_);
    board_.logHistory_ = logged_;
}

// ---- Interface and address ------------------------------------------------------------

bool Board::overrideInterface(std::optional<Interface> i, std::optional<std::int32_t> address)
{
    const Interface chosen = i.value_or(settings_.interface());
    std::int32_t a = chosen == settings_.interface() ? settings_.deviceAddress()
                                                     : InterfaceSettings::addressAfterChange(chosen);
    if (address) {
        if (!InterfaceSettings::addressFits(chosen, *address)) {
            emit report({ReportCategory::Settings,
                         QStringLiteral("Invalid device address %1 for %2 (%3)")
                             .arg(evmlink::hex2(unsigned(*address)),
                                  chosen == Interface::Iic ? QStringLiteral("IIC") : QStringLiteral("SPI"),
                                  InterfaceSettings::rangeText(chosen)),
                         {}});
            return false;
        }
        a = *address;
    }
    settings_.set(chosen, a);
    transport_.applyInterface(chosen, a);
    return true;
}

bool Board::changeInterface(Interface i)
{
    // Also reached when the interface is chosen before any library is loaded:
    // only the choice is kept then.
    if (!transport_.isLoaded()) {
        settings_.keepInterfaceChoice(i);
        return false;
    }
    // The new address is taken before the link is opened again, so that the
    // library, the window and the file agree on it at once.
    settings_.selectInterface(i);
    const bool wasOpen = transport_.isOpen();
    transport_.reopen(i, settings_.deviceAddress());
    if (wasOpen && !transport_.isOpen()) connectionLost(kNoBoard);
    return true;
}

void Board::changeAddress(int slot)
{
    if (settings_.interface() != Interface::Iic) return;
    settings_.selectSlot(slot);
    settings_.storeAddress();
}

void Board::connectionLost(const QString& text)
{
    emit connectionChanged(false);
    emit report({ReportCategory::Connection, text, kErrorCaption});
}

// ---- Resets and reconnect --------------------------------------------------------------

void Board::masterReset()
{
    emit busy(kBusyText, 0, 0);
    WriteRegister(kResetRegister, image_.at(kResetRegister) & ~kMrstBit);
    transport_.resetErrorReport();
    wait(kResetSettleMs);
    if (isClosed()) { // closed during the wait
        emit busyEnded();
        return;
    }
    // The chip is back at its power-on values: take the defaults without
    // sending them again and without adding them to the history.
    transport_.holdWrites(true);
    logHistory_ = false;
    image_.reset();
    emit registersReset();
    emit busyEnded();
    transport_.holdWrites(false);
    logHistory_ = true;
}

void Board::softReset()
{
    WriteRegister(kResetRegister, image_.at(kResetRegister) & ~kSrstBit);
}

void Board::reconnect(Role dac, Role adc)
{
    if (!transport_.isLoaded()) return;
    logHistory_ = false;
    emit busy(kBusyText, 0, 0);
    // Closed while the busy window was being drawn: the reconnect ends here.
    if (isClosed()) {
        emit busyEnded();
        return;
    }

    transport_.resetErrorReport();
    transport_.holdWrites(true);
    transport_.closeLink();
    wait(kResetSettleMs);
    if (isClosed()) {
        emit busyEnded();
        return;
    }
    emit busy(kBusyText, 0, 0);

    if (transport_.search(settings_.interface(), settings_.deviceAddress()) == 0) {
        emit busyEnded();
        // "foud" as the program has always put it.
        connectionLost(QStringLiteral("No EVM was foud"));
        return;
    }
    emit connectionChanged(true);

    // A failure of the register reset goes unreported; failures of the board
    // set-up are reported, one each.
    transport_.reportQuietly();
    transport_.holdWrites(false);
    WriteRegister(kResetRegister, kSrstBit); // MRST requested (0), SRST idle (1), the rest 0
    WriteBoardSetup(dac, adc);

    transport_.holdWrites(true);
    image_.reset();
    transport_.resetErrorReport();
    emit registersReset();
    emit busyEnded();
    transport_.holdWrites(false);
    logHistory_ = true;
}

// ---- Scripts ----------------------------------------------------------------------------

void Board::runScript(const QString& path, ScriptEvents* events)
{
    if (!QFileInfo(path).isFile()) { // a folder of that name is no script file either
        emit report({ReportCategory::Script, QStringLiteral("File not exist."), kScriptCaption});
        return;
    }
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        runScript(&file, events);
        return;
    }
    // A file that is there but cannot be opened ends its run as every run ends.
    runGuarded(events, [&] { cannotRead(file.errorString()); });
}

void Board::runScript(QIODevice* device, ScriptEvents* events)
{
    runGuarded(events, [&] { runLines(device, events); });
}

void Board::runGuarded(ScriptEvents* events, const std::function<void()>& body)
{
    logHistory_ = false;
    if (events) events->begun();
    // Whatever ends the run, the controls follow the image, the events hear
    // of it and the history records again.
    struct End {
        Board* board;
        ScriptEvents* events;
        ~End()
        {
            emit board->registersChanged();
            if (events) events->finished();
            board->logHistory_ = true;
        }
    } end{this, events};
    body();
}

void Board::cannotRead(const QString& reason)
{
    emit report(
        {ReportCategory::Script, QStringLiteral("Cannot read the script file.\n") + reason, kScriptCaption});
}

void Board::runLines(QIODevice* device, ScriptEvents* events)
{
    ScriptRunner runner({[this](unsigned reg, int value) { WriteRegister(reg, value); },
                         [this](int ms) {
                             if (wait) wait(ms);
                         },
                         [this] { return isClosed(); }});
    const ScriptRunner::Result r = runner.run(device, events);
    switch (r.outcome) {
    case ScriptRunner::Outcome::BadLine:
        if (!events || !events->stoppedAt(r.line, r.text))
            emit report({ReportCategory::Script, r.text, kScriptCaption});
        break;
    case ScriptRunner::Outcome::Unreadable:
        cannotRead(r.text);
        break;
    case ScriptRunner::Outcome::Completed:
    case ScriptRunner::Outcome::Interrupted:
        break;
    }
}

// ---- Snapshot -----------------------------------------------------------------------------

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
    // Without a board every register would read 0: nothing to save.
    if (!requireBoard()) return false;
    if (!confirmOverwrite(question, path)) return false;
    // All reads first: a file is only touched once the chip has answered.
    saveTextFile(path, snapshotText(readAll(), "\r\n"));
    return true;
}

} // namespace evm

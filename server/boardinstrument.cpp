#include "boardinstrument.h"

#include "attenuationmath.h"
#include "board.h"
#include "evmversion.h"
#include "integertext.h"
#include "linktext.h"
#include "namedfields.h"

#include <QBuffer>

namespace evm::scpi {
namespace {

// The register whose DAMS bit chooses the attenuation fields' dB step.
constexpr int kAttenuationModeRegister = 0x46;

// A script's stop, kept for the client instead of shown.
class ScriptStop : public ScriptEvents {
public:
    bool stoppedAt(qint64 index, const QString& text) override
    {
        line = index + 1;
        this->text = text;
        return true;
    }
    qint64 line = 0;
    QString text;
};

Outcome outcomeOf(const Report& r)
{
    switch (r.category) {
    case ReportCategory::Communication:
        // "Communication error: WRERR0021" (and a hint on the next line):
        // the client gets the library's code.
        return {Fault::Hardware, r.text.section(u'\n', 0, 0).section(u' ', -1)};
    case ReportCategory::Connection:
        return {Fault::NoBoard, r.text};
    case ReportCategory::Settings:
    case ReportCategory::Script:
    case ReportCategory::File:
        break;
    }
    return {Fault::Failed, r.text};
}

Outcome noSuchField(const QString& name)
{
    return {Fault::BadValue, QStringLiteral("No bit field named %1").arg(name)};
}

} // namespace

BoardInstrument::BoardInstrument(Board& board, QObject* parent) : Instrument(parent), board_(board)
{
    connect(&board_, &Board::idle, this, [this] {
        if (!held_) emit idle();
    });
    connect(&board_, &Board::report, this, [this](const Report& r) {
        if (inCommand_ && !firstReport_) firstReport_ = r;
    });
}

// One board operation; the first report made during it is the outcome.
template <class F> Outcome BoardInstrument::command(F&& body)
{
    struct Scope {
        bool& flag;
        ~Scope() { flag = false; }
    } scope{inCommand_};
    firstReport_.reset();
    inCommand_ = true;
    Outcome outcome;
    board_.operation([&] { outcome = body(); });
    return firstReport_ ? outcomeOf(*firstReport_) : outcome;
}

template <class F> Outcome BoardInstrument::fieldCommand(const QString& name, F&& body)
{
    const fields::Field* f = fields::find(name);
    if (!f) return noSuchField(name);
    return command([&] {
        if (!board_.requireBoard()) return Outcome{};
        const std::uint8_t reg = current(f->reg);
        const bool w = f->attenuation && wide();
        return body(*f, reg, w);
    });
}

bool BoardInstrument::busy() const
{
    return held_ || board_.inOperation();
}

void BoardInstrument::holdClients(bool hold)
{
    held_ = hold;
    if (!busy()) emit idle();
}

Identity BoardInstrument::identity() const
{
    const std::optional<int> v = board_.libraryVersion();
    // Without a bound library, what the About box shows then.
    return {int(board_.port()), QStringLiteral(EVM_VERSION),
            v ? evmlink::versionText(*v) : QStringLiteral("0.0.0.0")};
}

Link BoardInstrument::link() const
{
    return {board_.interface() == Interface::Iic, int(board_.deviceAddress())};
}

// A register as it stands: read from the chip under IIC; SPI reads nothing
// back, so there the board's image is the register.
std::uint8_t BoardInstrument::current(int reg)
{
    return board_.interface() == Interface::Iic ? board_.ReadRegister(reg) : board_.image().at(unsigned(reg));
}

bool BoardInstrument::wide()
{
    return atten::isWide(current(kAttenuationModeRegister));
}

Outcome BoardInstrument::readRegister(int address, std::uint8_t* value)
{
    return command([&] {
        if (board_.requireBoard()) *value = board_.ReadRegister(address);
        return Outcome{};
    });
}

Outcome BoardInstrument::writeRegister(int address, std::uint8_t value)
{
    return command([&] {
        if (!board_.requireBoard()) return Outcome{};
        board_.WriteRegister(unsigned(address), value);
        emit registersWritten();
        return Outcome{};
    });
}

Outcome BoardInstrument::readAll(RegisterValues* values)
{
    return command([&] {
        if (board_.requireBoard()) *values = board_.readAll();
        return Outcome{};
    });
}

Outcome BoardInstrument::field(const QString& name, FieldValue* value)
{
    return fieldCommand(name, [&](const fields::Field& f, std::uint8_t reg, bool w) {
        const unsigned v = fields::valueOf(f, reg);
        *value = {v, fields::describe(f, v, w)};
        return Outcome{};
    });
}

Outcome BoardInstrument::setField(const QString& name, const QString& text)
{
    return fieldCommand(name, [&](const fields::Field& f, std::uint8_t reg, bool w) {
        if (failed()) return Outcome{}; // no write over a register that could not be read
        QString error;
        const std::optional<unsigned> v = fields::parseValue(f, text, w, &error);
        if (!v) {
            // A number the field cannot hold is out of range; anything else is no value for it.
            const bool number = parseInteger(text.trimmed(), IntegerRange::Pattern32).has_value();
            return Outcome{number ? Fault::OutOfRange : Fault::BadValue, error};
        }
        board_.WriteRegister(unsigned(f.reg), *fields::withValue(f, reg, *v, nullptr));
        board_.fieldWritten(unsigned(f.reg), f.low, f.width(), *v);
        emit registersWritten();
        return Outcome{};
    });
}

Outcome BoardInstrument::runScript(const QByteArray& text)
{
    return command([&] {
        if (!board_.requireBoard()) return Outcome{};
        QBuffer buffer;
        buffer.setData(text);
        buffer.open(QIODevice::ReadOnly);
        ScriptStop stop;
        board_.runScript(&buffer, &stop);
        if (stop.line > 0)
            return Outcome{Fault::Failed, QStringLiteral("line %1: %2").arg(stop.line).arg(stop.text)};
        return Outcome{};
    });
}

Outcome BoardInstrument::masterReset()
{
    return command([&] {
        if (board_.requireBoard()) board_.masterReset();
        return Outcome{};
    });
}

Outcome BoardInstrument::softReset()
{
    return command([&] {
        if (board_.requireBoard()) board_.softReset();
        return Outcome{};
    });
}

Outcome BoardInstrument::reconnect()
{
    return command([&] {
        // A board that was not found at start-up may be there now; without a
        // library there is nothing to search with.
        if (!board_.isLibraryLoaded())
            board_.requireBoard();
        else
            // The roles the window's master/slave boxes show: the image's fields.
            board_.reconnect(board_.imageRole(Converter::Dac), board_.imageRole(Converter::Adc));
        return Outcome{};
    });
}

} // namespace evm::scpi

#pragma once
// What the SCPI server asks of the board. The server translates SCPI into
// these calls and their outcomes into responses and error-queue entries; the
// board's own rules (transport, error policy, scripts, fields) stay behind it.

#include "registermap.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <array>
#include <cstdint>

namespace evm::scpi {

// How an operation failed. The server queues the SCPI error named here, with
// the outcome's detail after "; " (-240,"Hardware error; WRERR0021").
enum class Fault {
    None,
    Hardware,   // -240 Hardware error: a transfer failed; detail: the library's code
    NoBoard,    // -241 Hardware missing: no board is open
    BadValue,   // -224 Illegal parameter value: no such field, or a value the field cannot take
    OutOfRange, // -222 Data out of range: a value of the right kind outside its range
    Failed,     // -200 Execution error: anything else; a script names its line in the detail
};

struct Outcome {
    Fault fault = Fault::None;
    QString detail;
    bool ok() const { return fault == Fault::None; }
};

// The parts of *IDN? that the instrument knows.
struct Identity {
    int port = 0;           // the board library's port, 0 without a board
    QString programVersion; // "1.1.1"
    QString libraryVersion; // as the About box shows it, "1.1.0.0"
};

// The link in use.
struct Link {
    bool iic = false; // IIC, else SPI
    int address = 0;  // the IIC device address (unused under SPI)
};

using RegisterValues = std::array<std::uint8_t, regs::kCount>; // 0x40..0x5E

// A named bit field's value as the chip holds it.
struct FieldValue {
    unsigned value = 0; // the field's bits as a number
    QString text;       // described as the command-line tool prints it: "ATDA1 = 0xEA (-10.5 dB)"
};

// Every call is one board operation and returns when it is over; the server
// calls none while busy() is true. A call may run a nested event loop (a wait
// of a script): the server starts nothing else meanwhile.
class Instrument : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // True while the board is inside an operation started by anyone (the
    // window's user, a script); idle() is emitted when it becomes false.
    virtual bool busy() const = 0;

    virtual Identity identity() const = 0;
    virtual Link link() const = 0;

    virtual Outcome readRegister(int address, std::uint8_t* value) = 0; // address 0x00..0xFF
    virtual Outcome writeRegister(int address, std::uint8_t value) = 0;
    virtual Outcome readAll(RegisterValues* values) = 0;
    // The named bit field: the instrument resolves the name, reads the field
    // and describes it; it parses a value in the field's own forms (a number,
    // or "-10.5dB" for an attenuation).
    virtual Outcome field(const QString& name, FieldValue* value) = 0;
    virtual Outcome setField(const QString& name, const QString& value) = 0;
    // Runs a script's text with the window's script rules; the detail of a
    // failure names the line ("line 3: Invalid register data!").
    virtual Outcome runScript(const QByteArray& text) = 0;
    virtual Outcome masterReset() = 0; // MRST
    virtual Outcome softReset() = 0;   // SRST
    virtual Outcome reconnect() = 0;

signals:
    void idle();
};

} // namespace evm::scpi

#pragma once
// The board as the SCPI server's instrument. Each call is one operation of
// the board (evm::Board::operation), so a client's command and the window
// user's action never interleave; its outcome is the first report the board
// makes during it, or the command's own verdict.

#include "instrument.h"

#include "boardtypes.h"

#include <optional>

namespace evm {
class Board;
}

namespace evm::scpi {

class BoardInstrument : public Instrument {
    Q_OBJECT
public:
    // The board outlives the instrument.
    explicit BoardInstrument(Board& board, QObject* parent = nullptr);

    bool busy() const override;
    Identity identity() const override;
    Link link() const override;
    Outcome readRegister(int address, std::uint8_t* value) override;
    Outcome writeRegister(int address, std::uint8_t value) override;
    Outcome readAll(RegisterValues* values) override;
    Outcome field(const QString& name, FieldValue* value) override;
    Outcome setField(const QString& name, const QString& value) override;
    Outcome runScript(const QByteArray& text) override;
    Outcome masterReset() override;
    Outcome softReset() override;
    Outcome reconnect() override;

    // True while a client's command runs: its reports go to the client's
    // error queue, a window shows no box for them.
    bool inCommand() const { return inCommand_; }
    // While held, clients wait as for a busy board: a window holds them
    // until its start-up sequence has set the board up.
    void holdClients(bool hold);

signals:
    // A client wrote a register or a field; emitted inside the command's
    // operation, so a window shows the image again (RefreshControls) before
    // anything else runs, as after its own direct write. Scripts, resets and
    // reconnects are announced by the board itself.
    void registersWritten();

private:
    template <class F> Outcome command(F&& body);
    // A command on a named field: `body(field, register as it stands, wide
    // attenuation mode)` on an open board.
    template <class F> Outcome fieldCommand(const QString& name, F&& body);
    bool failed() const { return firstReport_.has_value(); }
    std::uint8_t current(int reg);
    bool wide();

    Board& board_;
    bool inCommand_ = false;
    bool held_ = false;
    std::optional<Report> firstReport_;
};

} // namespace evm::scpi

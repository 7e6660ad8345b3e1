#pragma once
// The board as its front ends see it: one object that holds the link, the
// interface settings and the register image, and carries every rule between a
// person (at a window, a shell or a remote client) and the board access
// library: the start-up, register writes with their mirror and history, the
// board's clock routing, resets and reconnect, scripts and the snapshot.
// Front ends translate between people and these operations and show what the
// board reports; none of them holds a board rule of its own.

#include "boardtypes.h"
#include "interfacesettings.h"
#include "registermap.h"
#include "scriptrunner.h"
#include "transport.h"

#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

class QIODevice;

namespace evm {

// How the board starts.
struct StartOptions {
    QString library = QStringLiteral("HxBus"); // loaded by this bare name
    // The 31 registers read back into the image (IIC) or set to their
    // defaults (SPI); without it the image keeps what it holds.
    bool readBack = true;
    // Run when it is there and a board was found ("startup.csv"); empty: none.
    QString startupScript;
    ScriptEvents* scriptEvents = nullptr;
    // The clock roles the board is set up for.
    Role dac = Role::Slave;
    Role adc = Role::Slave;
};

enum class StartResult {
    NoLibrary,      // the library cannot be loaded
    InvalidLibrary, // an entry point is missing; the library is unloaded again
    NoBoard,        // _init found no board: the image holds the defaults
    Ready,          // the board is set up
    Closed,         // closed during the start-up (a wait of the start-up script)
};

class Board : public QObject {
    Q_OBJECT
public:
    explicit Board(QObject* parent = nullptr);
    ~Board() override;

    // A wait of the calling thread inside an operation (resets, script
    // waits). Default: a blocking sleep. A window lets its windows paint
    // meanwhile; tests record.
    std::function<void(int ms)> wait;
    // A question with Yes and No (overwrite a file?). Default: No.
    std::function<bool(const QString& text, const QString& caption)> question;

    // ---- Life ----------------------------------------------------------------------
    // Reads the settings file into the interface settings; what is wrong
    // with it is reported (category Settings).
    void loadSettings();
    // The whole start-up: the library by its name, the _init search for the
    // interface and address of the settings, the board set-up writes, the
    // read-back or the defaults, the start-up script; busy, connection and
    // report signals on the way. History logging starts at the end.
    StartResult startUp(const StartOptions& options = {});
    // _close and unload once, the settings file flushed; afterwards nothing
    // reaches the board and an operation in progress stops at its next wait
    // or line.
    void close();
    bool isClosed() const;

    // ---- What front ends read ----------------------------------------------------------
    bool isLibraryLoaded() const { return transport_.isLoaded(); }
    bool isOpen() const { return transport_.isOpen(); }
    std::int32_t port() const { return transport_.port(); }
    std::optional<int> libraryVersion() const { return transport_.libraryVersion(); }
    Interface interface() const { return settings_.interface(); }
    std::int32_t deviceAddress() const { return settings_.deviceAddress(); }
    int addressSlot() const { return settings_.slot(); }
    const regs::RegisterImage& image() const { return image_; }
    const Transport& transport() const { return transport_; }
    // True while history lines are logged.
    bool logsHistory() const { return logHistory_; }

    // ---- Registers -------------------------------------------------------------------
    // Writes a chip register: sent (unless writes are held back), mirrored
    // into the image and the register map, and logged while the history is
    // on. Nothing at all while no board is open.
    void WriteRegister(unsigned reg, int value);
    // Reads a chip register; the image stays as it is. 0 while no board is open.
    std::uint8_t ReadRegister(int reg);
    // Writes a field of a register, the other bits from the image. A
    // converter's master/slave field routes the board's clocks after it.
    void writeField(unsigned reg, int shift, int width, unsigned value);
    // The same with the other bits from `others`: a front end that has not
    // read the registers back (a command line) reads the register first.
    void writeField(unsigned reg, int shift, int width, unsigned value, std::uint8_t others);
    // What follows a write of `value` into a field on the board: the clock
    // routing after a converter's master/slave field, nothing for the others.
    // For a front end that writes a field's register byte itself.
    void fieldWritten(unsigned reg, int shift, int width, unsigned value);
    // The clock role a converter's master/slave field in the image gives (0
    // slave, any other value master), as the window's boxes show it.
    Role imageRole(Converter c) const;
    // The board's clock routing for a converter's role (board-control
    // registers 0x37 for the DAC, 0x34 and 0x36 for the ADC).
    void routeClock(Converter c, Role role);
    // Raises an image byte below `minimum` to it, without traffic (the
    // attenuation range follows the attenuation mode even with no board).
    void raiseImage(unsigned reg, std::uint8_t minimum);
    // Every row of the register map from the image.
    void showAllRegisters();
    // The image from the chip: under IIC the 31 registers read back (masked),
    // under SPI, which reads nothing back, the defaults; busyStep(i) before
    // each register.
    void readBack();
    // With no board open: "No EVM was found" is reported and false returned.
    bool requireBoard();

    // ---- Interface and address ---------------------------------------------------------
    // Both for this run only, as a command line gives them: the interface,
    // and a device address that must fit it (an unfitting one is reported
    // and refused). Without an address a change of interface takes the
    // address that interface starts with.
    bool overrideInterface(std::optional<Interface> i, std::optional<std::int32_t> address);
    // The user chose an interface: with a library bound, the address goes
    // back to slot 0 and the link is opened again on its port (true; a board
    // that no longer answers is reported lost); without one only the choice
    // is kept (false). Stores nothing.
    bool changeInterface(Interface i);
    // Stores the interface and the address (each key alone). Throws AppError
    // when the file cannot be written.
    void storeInterface() { settings_.storeInterface(); }
    // The user chose strap slot 0..3 (ignored under SPI): kept and stored.
    void changeAddress(int slot);

    // ---- Resets and reconnect ----------------------------------------------------------
    void masterReset();
    void softReset();
    void reconnect(Role dac, Role adc);

    // ---- Scripts and the snapshot -------------------------------------------------------
    // Runs a script file ("File not exist." when there is none).
    void runScript(const QString& path, ScriptEvents* events = nullptr);
    // Runs a script from an open device (standard input, a remote client's block).
    void runScript(QIODevice* device, ScriptEvents* events = nullptr);
    std::array<std::uint8_t, regs::kCount> readAll();
    static QByteArray snapshotText(const std::array<std::uint8_t, regs::kCount>& values, const char* lineEnd);
    // Asks before replacing a file; reads every register, then saves. False
    // when the user said No or no board is open. A file that cannot be
    // written throws AppError.
    bool saveSnapshot(const QString& path);

    // While it lives, writes send nothing, or the history records nothing,
    // or both; leaving it restores what was before.
    class Quiet {
    public:
        enum What { Writes = 1, History = 2 };
        explicit Quiet(Board& board, int what = Writes | History);
        ~Quiet();
        Quiet(const Quiet&) = delete;
        Quiet& operator=(const Quiet&) = delete;

    private:
        Board& board_;
        bool held_;
        bool logged_;
    };

    // Runs f as one operation: its first communication error is reported,
    // later ones are not. Operations started inside it belong to it.
    template <class F> void operation(F&& f)
    {
        ++operations_;
        struct Leave {
            Board* board;
            ~Leave()
            {
                if (--board->operations_ == 0) emit board->idle();
            }
        } leave{this};
        transport_.operation(std::forward<F>(f));
    }
    // True while an operation runs (it may wait in a nested event loop, or
    // show a box): whoever would start another waits for idle().
    bool inOperation() const { return operations_ > 0; }

signals:
    void report(const evm::Report& report);         // to be shown
    void transferFailed(const evm::Report& report); // every failed transfer, shown or not
    void registerShown(int index, int value);       // a map row to show (index 0 = 0x40)
    void historyLine(const QString& line);          // a register write to log
    void connectionChanged(bool open);              // Ready / No EVM was found
    // The busy window: its text, and a progress bar at step of steps (none
    // for steps 0); busyStep moves the bar.
    void busy(const QString& text, int step, int steps);
    void busyStep(int step);
    void busyEnded();
    void registersChanged(); // the image changed as a whole: controls follow it
    void registersReset();   // the image holds the defaults again (MRST, reconnect)
    void idle();             // the last operation has ended

private:
    void WriteBoardSetup(Role dac, Role adc);
    void runGuarded(ScriptEvents* events, const std::function<void()>& body);
    void runLines(QIODevice* device, ScriptEvents* events);
    void cannotRead(const QString& reason);
    void connectionLost(const QString& text);

    Transport transport_;
    InterfaceSettings settings_;
    regs::RegisterImage image_;
    bool logHistory_ = false;
    bool closed_ = false;
    int operations_ = 0;
};

} // namespace evm

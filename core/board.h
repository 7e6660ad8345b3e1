#pragma once
// The board: everything between a user of the evaluation board and the board
// access library, without any widget. It owns the library binding, the link
// record, the register image and the transport with its error policy, the
// settings file, the board set-up, resets and reconnect, scripts and the
// snapshot. A window or a command-line tool shows what it reports.

#include "core/hxbus.h"
#include "core/linksettings.h"
#include "core/registermap.h"

#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace evmlink {
class ProfileFile;
}

namespace evm {

// How a report is shown: an error box with its own caption, or a plain
// message box under the application title (communication errors, the
// settings file's messages).
enum class ReportKind { ErrorBox, Message };

// What a script run tells whoever shows it. Every call is optional.
struct ScriptEvents {
    virtual ~ScriptEvents() = default;
    // The file exists: the run has begun; finished() follows whatever happens.
    virtual void begun() {}
    // The file has `lines` lines (first pass); the run itself follows.
    virtual void counted(qint64 lines) { Q_UNUSED(lines) }
    // Line `index` (0-based) is next; called sparsely, and exactly at every
    // wait, every stop and the last line.
    virtual void at(qint64 index) { Q_UNUSED(index) }
    // The run stops at line `index` (0-based) for the error `text`. True when
    // the stop has been reported here; otherwise the board reports it.
    virtual bool stoppedAt(qint64 index, const QString& text)
    {
        Q_UNUSED(index)
        Q_UNUSED(text)
        return false;
    }
    virtual void finished() {}
};

class Board : public QObject {
    Q_OBJECT
public:
    explicit Board(QObject* parent = nullptr);
    ~Board() override;

    // ---- Hooks ------------------------------------------------------------------
    // A wait of the calling thread inside an operation. Default: a blocking
    // sleep. The window lets its windows paint meanwhile; tests record.
    std::function<void(int ms)> Wait;
    // A question with Yes and No (overwrite a file?). Default: No.
    std::function<bool(const QString& text, const QString& caption)> Question;

    // ---- State (the names the program has always used) ---------------------------
    LinkSettings linkSettings{};
    HxBusLibrary bus;
    std::int32_t BoardOpen = 0;     // port from _init; 0: no board
    std::int32_t DeviceAddress = 0; // IIC device address
    int interfaceIndex = 1;         // 0 IIC, 1 SPI (the radio group's item)
    regs::RegisterImage image;
    bool ErrorShown = false;     // a failed register read or write was reported in this operation
    bool SuppressWrites = false; // WriteRegister mirrors and logs but sends nothing
    bool LogHistory = false;     // WriteRegister emits a history line

    // ---- Library and link ---------------------------------------------------------
    // Loads the board library by its bare name (or a path) and binds the five
    // entry points.
    HxBusLibrary::LoadResult loadLibrary(const QString& name);
    // _init with port 0 (a search) for the current interface and address.
    // Sets and returns BoardOpen.
    std::int32_t open();
    // _close and unload, once; afterwards nothing reaches the board.
    void close();
    bool isClosed() const { return closed_; }
    // The eleven board-control writes of the start-up; index 0 of each
    // master/slave choice is master.
    void WriteBoardSetup(int dacMasterSlaveIndex, int adcMasterSlaveIndex);
    // IIC: the 31 registers read into the image (masked, 0x40 with its reset
    // bits idle); SPI: the defaults. step(i) before each register.
    void readBack(const std::function<void(int)>& step = {});
    // ResetRegisterImage: the defaults, without traffic.
    void ResetRegisterImage() { image.reset(); }
    // _getVer, or nothing where the library has none.
    std::optional<int> libraryVersion() const;

    // ---- Transport ----------------------------------------------------------------
    void WriteRegister(unsigned reg, int value);
    std::uint8_t ReadRegister(int reg);
    void WriteBoardControl(int address, std::uint8_t value);
    // Every row of the register map from the image (registerShown for each).
    void showAllRegisters();

    // ---- Settings file ------------------------------------------------------------
    // Reads the settings file (EVM2280.ini in the current directory) into
    // interfaceIndex and DeviceAddress, and reports what is wrong with it.
    // shownItem: the address item shown before; returns the one to show.
    int LoadSettings(int shownItem, const QString& path = QStringLiteral("EVM2280.ini"));
    // The link record from interfaceIndex and DeviceAddress.
    void ApplyInterface();
    // The user chose interface `index`: with a library bound, the device
    // address goes back to the first item and the link is re-initialised on
    // the same port (true); without one only the choice is kept (false).
    bool changeInterface(int index);
    // Stores "Type" and "Addr" as they are now. A file that cannot be written
    // throws AppError naming the keys not saved; they go with the next write.
    void storeInterface();
    // The user chose IIC address item `item` (ignored under SPI): kept and stored.
    void changeAddress(int item);

    // ---- Resets and reconnect -------------------------------------------------------
    void masterReset();
    void softReset();
    void reconnect(int dacMasterSlaveIndex, int adcMasterSlaveIndex);

    // ---- Scripts and snapshot --------------------------------------------------------
    void runScript(const QString& path, ScriptEvents* events = nullptr);
    std::array<std::uint8_t, regs::kCount> readAll();
    static QByteArray snapshotText(const std::array<std::uint8_t, regs::kCount>& values, const char* lineEnd);
    // Asks before replacing a file; reads every register, then saves. False
    // when the user said No. A file that cannot be written throws AppError.
    bool saveSnapshot(const QString& path);

    // Runs f as one operation: the first communication error in it is
    // reported, later ones are not. Operations started inside it belong to it.
    template <class F> void operation(F&& f)
    {
        if (operationDepth_++ == 0) ErrorShown = false;
        struct Leave {
            int& depth;
            ~Leave() { --depth; }
        } leave{operationDepth_};
        f();
    }

signals:
    void registerShown(int index, int value); // a map row to show (index 0 = 0x40)
    void historyLine(const QString& line);    // a register write to log
    void report(evm::ReportKind kind, const QString& text, const QString& caption);
    void transferFailed(const QString& text); // every failed transfer, reported or not
    void connectionChanged(bool open);        // Ready / No EVM was found
    void busy(const QString& text);           // the busy window with this text
    void busyEnded();
    void registersReset(); // the image holds the defaults again (MRST, reconnect)

private:
    void registerTransferFailed(const QString& text);

    std::unique_ptr<evmlink::ProfileFile> settings_;
    bool closed_ = false;
    int operationDepth_ = 0;
};

} // namespace evm

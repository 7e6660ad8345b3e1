#pragma once
// The link to the board: the board access library, the link record handed to
// its _init, the port of the open board, and the three transfers through
// which every byte passes (a chip register written or read, a board-control
// register written), with the error policy of the link.

#include "boardtypes.h"
#include "hxbus.h"
#include "linksettings.h"

#include <QObject>

#include <cstdint>
#include <optional>

namespace evm {

class Transport : public QObject {
    Q_OBJECT
public:
    explicit Transport(QObject* parent = nullptr);

    // ---- The library and the link ----------------------------------------------------
    // Loads the library by its bare name (or a path) through the platform's
    // ordinary search and binds the five entry points; an invalid one is
    // unloaded again.
    HxBusLibrary::LoadResult load(const QString& name);
    bool isLoaded() const { return bus_.isLoaded(); }
    // The link record for the interface and address (the next _init gets it).
    void applyInterface(Interface i, std::int32_t deviceAddress);
    // _init with port 0, a search, for the interface and address; the port
    // found is kept (0: no board).
    std::int32_t search(Interface i, std::int32_t deviceAddress);
    // _close, then _init on the port kept, for the interface and address.
    // An open board that no longer answers is gone (the port becomes 0);
    // otherwise the port stays what it was. Returns what _init returned.
    std::int32_t reopen(Interface i, std::int32_t deviceAddress);
    // _close, the port forgotten (0). The library stays loaded.
    void closeLink();
    // _close and unload, once; nothing reaches the board afterwards.
    void shutdown();
    // The port of the open board; 0 when none is open.
    std::int32_t port() const { return port_; }
    bool isOpen() const { return port_ != 0; }
    // _getVer, or nothing where no library is bound.
    std::optional<int> libraryVersion() const;
    // The record the last _init was given.
    const LinkSettings& linkSettings() const { return link_; }

    // ---- Transfers (nothing happens while no board is open) ----------------------------
    // Sends one byte to a chip register unless writes are held back.
    void writeChip(unsigned reg, std::uint8_t value);
    // One chip register; after a failure the byte the library left (0 if none).
    std::uint8_t readChip(int reg);
    // One board-control register, unless writes are held back.
    void writeBoardControl(int address, std::uint8_t value);

    // ---- Modes -------------------------------------------------------------------------
    // While held back, writes send nothing (reads still read).
    void holdWrites(bool hold) { holdWrites_ = hold; }
    bool writesHeld() const { return holdWrites_; }
    // A failed chip transfer is reported only when none has been reported
    // yet; reportQuietly() counts as one already reported.
    void resetErrorReport() { errorReported_ = false; }
    bool errorReported() const { return errorReported_; }
    void reportQuietly() { errorReported_ = true; }
    // Runs f as one operation: its first failed chip transfer is reported,
    // later ones are not. Operations begun inside it belong to it.
    template <class F> void operation(F&& f)
    {
        if (operationDepth_++ == 0) errorReported_ = false;
        struct Leave {
            int& depth;
            ~Leave() { --depth; }
        } leave{operationDepth_};
        f();
    }

signals:
    // A failure to show (the first of an operation; every board-control one).
    void report(const evm::Report& report);
    // Every failed transfer, shown or not.
    void transferFailed(const evm::Report& report);
    // Every transfer that reached the library, as it happened: the channel,
    // the register, the byte written or read, and the library's return code.
    void transferred(int channel, int address, int value, bool write, int code);

private:
    void chipFailed(const QString& text);

    HxBusLibrary bus_;
    LinkSettings link_{};
    std::int32_t port_ = 0;
    bool holdWrites_ = true; // nothing is sent until the board has been set up
    bool errorReported_ = false;
    int operationDepth_ = 0;
};

} // namespace evm

#pragma once
// The serial interface and the IIC device address, kept in the settings file
// EVM2280.ini from one run to the next, with their rules: the address range
// of each interface, the address the board takes after a change of interface.
// Nothing here talks to the board; the board hands the two values to the
// link when it opens it.

#include "boardtypes.h"

#include <QByteArrayView>
#include <QList>
#include <QString>

#include <cstdint>
#include <memory>

namespace evmlink {
class ProfileFile;
}

namespace evm {

class InterfaceSettings {
public:
    // path: the settings file, a bare name resolved against the current
    // directory when it is loaded.
    explicit InterfaceSettings(QString path = QStringLiteral("EVM2280.ini"));
    ~InterfaceSettings();

    // ---- The rules --------------------------------------------------------------
    // The chip's strap selects one of four addresses: 0x4C..0x4F under IIC;
    // under SPI the address slot itself (0..3) is kept, though the link never
    // sees it.
    static constexpr std::int32_t kFirstIicAddress = 0x4C;
    static constexpr int kSlots = 4;
    // The address of strap slot 0..3 under an interface.
    static constexpr std::int32_t slotAddress(Interface i, int slot)
    {
        return i == Interface::Iic ? kFirstIicAddress + slot : slot;
    }
    // The slot an address stands for (the address must fit).
    static constexpr int addressSlot(Interface i, std::int32_t address)
    {
        return i == Interface::Iic ? int(address - kFirstIicAddress) : int(address);
    }
    // True when the address is one the interface can use.
    static constexpr bool addressFits(Interface i, std::int32_t address)
    {
        return address >= slotAddress(i, 0) && address <= slotAddress(i, kSlots - 1);
    }
    // "0x4C..0x4F" or "0..3", for messages.
    static QString rangeText(Interface i);
    // After a change of interface the board takes slot 0 again.
    static constexpr std::int32_t addressAfterChange(Interface i) { return slotAddress(i, 0); }

    // ---- The file ---------------------------------------------------------------
    // Reads the file (a missing one is empty): "Type" 0 selects IIC, any other
    // value SPI (default SPI); "Addr" the device address (default 77), brought
    // into the interface's range. Returns what is wrong with it, to be shown;
    // after a value that is no integer the rest is skipped and the address is
    // that of the slot chosen so far. Writes nothing.
    QList<Report> load();
    // Stores "Type", then "Addr", as they are now, each key alone: the file
    // is read again and only that key's value changes, so that another
    // program using the same file keeps its keys. Throws AppError naming the
    // keys that could not be written; they go with the next write that works.
    void storeInterface();
    // Stores "Addr" alone, likewise.
    void storeAddress();
    // Writes what has not reached the file yet, and lets the file go.
    void close();

    // ---- The values ---------------------------------------------------------------
    Interface interface() const { return interface_; }
    std::int32_t deviceAddress() const { return address_; }
    int slot() const { return slot_; }
    // A change of interface: the address becomes that of slot 0.
    void selectInterface(Interface i);
    // The interface alone, where no link follows the choice: the address and
    // the file stay as they are.
    void keepInterfaceChoice(Interface i) { interface_ = i; }
    // The address of strap slot 0..3 under the current interface.
    void selectSlot(int slot);
    // Both values for this run only (they are not stored); the address must fit.
    void set(Interface i, std::int32_t address);

private:
    void store(std::initializer_list<std::pair<QByteArrayView, QString>> keys);

    QString path_;
    std::unique_ptr<evmlink::ProfileFile> file_;
    Interface interface_ = Interface::Spi;
    std::int32_t address_ = 0x4D;
    int slot_ = 0;
};

} // namespace evm

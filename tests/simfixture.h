#pragma once
// Test fixture without windows: the simulator's control functions on the same
// loaded library instance the program uses, and a file-size limit.

#include "linksettings.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// While it lives, every write past `bytes` fails, for root as well, as on a
// full disk, and raises SIGXFSZ, which the program ignores (the program's
// windows must exist). Only where the platform has file size limits
// (supported()).
class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    static bool supported();

private:
    unsigned long long old_ = 0;
};

// A settings file that selects IIC at the simulator's strapped address.
inline const QByteArray kIic = "[SerialInterface]\nType=0\nAddr=0x4C\n";

class SimBoard {
public:
    explicit SimBoard(const QString& library = QStringLiteral("HxBus"));
    ~SimBoard();
    bool loaded() const { return handle_ != nullptr; }

    void reset();
    void setPresent(bool present);
    void setStrap(int address);
    void setVersion(int version);
    void setPort(int port);
    void setZeroFlags(int flags);
    void failRead(int address, int code);
    void failWrite(int channel, int address, int code);
    void clearFaults();
    void setRegister(int address, int value);
    void setOverflowFlags(int flags);
    int reg(int address);
    int boardControl(int address);
    bool isOpen();
    QStringList trace();
    void clearTrace();
    // Trace lines that start with prefix ("write ch=0", "read", "init", "close").
    QStringList traceOf(const QString& prefix);
    // The chip writes as "addr=data" pairs in hex, e.g. "40=C6".
    QStringList chipWrites();
    bool lastSettings(LinkSettings* out);

private:
    void* fn(const char* name);
    // An operating-system reference of our own: QLibrary::unload() in the
    // program really unloads a library even while another QLibrary holds it.
    void* handle_ = nullptr;
};

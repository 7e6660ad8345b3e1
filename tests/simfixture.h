#pragma once
// Test fixture without windows: the simulator's control functions on the same
// loaded library instance the program uses, a folder of a test's own, a board
// over the simulator with everything it reports collected, and file-system
// conditions (a file-size limit, a folder that refuses new files).

#include "board.h"
#include "linksettings.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

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

// While it lives, no new file can be made in folder but file stays writable:
// the folder is read-only and, since root ignores that, a root process works
// on files as an ordinary user meanwhile. POSIX permissions only.
class NoNewFileIn {
public:
    NoNewFileIn(const QString& folder, const QString& file);
    ~NoNewFileIn();
    NoNewFileIn(const NoNewFileIn&) = delete;
    NoNewFileIn& operator=(const NoNewFileIn&) = delete;
    bool refusesNewFiles() const;

private:
    QByteArray folder_;
    bool asUser_ = false;
};

// A settings file that selects IIC at the simulator's strapped address.
inline const QByteArray kIic = "[SerialInterface]\nType=0\nAddr=0x4C\n";

class SimBoard {
public:
    explicit SimBoard(const QString& library = QStringLiteral("HxBus"));
    ~SimBoard();
    bool loaded() const { return handle_ != nullptr; }

    // The simulator's control functions (sim/hxbus_sim.cpp).
    void reset() { call<void()>("hxsim_reset")(); }
    void setPresent(bool present) { call<void(int)>("hxsim_set_board_present")(present ? 1 : 0); }
    void setStrap(int address) { call<void(int)>("hxsim_set_strap_address")(address); }
    void setVersion(int version) { call<void(int)>("hxsim_set_version")(version); }
    void setPort(int port) { call<void(int)>("hxsim_set_port")(port); }
    void setZeroFlags(int flags) { call<void(int)>("hxsim_set_zero_flags")(flags); }
    void failRead(int address, int code) { call<void(int, int)>("hxsim_fail_read")(address, code); }
    void failWrite(int channel, int address, int code)
    {
        call<void(int, int, int)>("hxsim_fail_write")(channel, address, code);
    }
    void clearFaults() { call<void()>("hxsim_clear_faults")(); }
    void setRegister(int address, int value) { call<void(int, int)>("hxsim_set_register")(address, value); }
    void setOverflowFlags(int flags) { call<void(int)>("hxsim_set_overflow_flags")(flags); }
    int reg(int address) { return call<int(int)>("hxsim_register")(address); }
    int boardControl(int address) { return call<int(int)>("hxsim_board_control")(address); }
    bool isOpen() { return call<int()>("hxsim_is_open")() != 0; }
    void clearTrace() { call<void()>("hxsim_clear_trace")(); }
    QStringList trace();
    // Trace lines that start with prefix ("write ch=0", "read", "init", "close").
    QStringList traceOf(const QString& prefix);
    // The chip writes as "addr=data" pairs in hex, e.g. "40=C6".
    QStringList chipWrites();
    bool lastSettings(LinkSettings* out);
    // The trace of the eleven board set-up writes, for the converters' roles.
    static QStringList boardSetup(evm::Role dac = evm::Role::Slave, evm::Role adc = evm::Role::Slave);

private:
    void* fn(const char* name);
    template <class F> F* call(const char* name) { return reinterpret_cast<F*>(fn(name)); }
    // An operating-system reference of our own: QLibrary::unload() in the
    // program really unloads a library even while another QLibrary holds it.
    void* handle_ = nullptr;
};

// A temporary folder as the current directory, where the program looks for its
// settings file and its start-up script, with the simulator at power-on.
class SimFolder {
public:
    explicit SimFolder(const QString& simLibrary = QStringLiteral("HxBus"));
    ~SimFolder();
    SimFolder(const SimFolder&) = delete;
    SimFolder& operator=(const SimFolder&) = delete;
    QString path(const QString& name) const { return dir_.filePath(name); }
    void writeFile(const QString& name, const QByteArray& bytes);
    QByteArray readFile(const QString& name) const;

    SimBoard sim;

private:
    QTemporaryDir dir_;
    QString oldDir_;
};

// An evm::Board over the simulator, held as a front end holds it: every wait
// recorded instead of slept, questions answered from a list, and what it
// reports collected in the order it came.
class BoardRig : public SimFolder {
public:
    explicit BoardRig(const QString& simLibrary = QStringLiteral("HxBus"));
    ~BoardRig();
    // Writes the settings file (none for an empty one), reads it and starts.
    evm::StartResult start(const QByteArray& ini = kIic, evm::StartOptions options = {});
    // Forgets the simulator's trace and everything collected so far.
    void clear();
    QStringList reportTexts() const;

    evm::Board board;
    QList<evm::Report> reports;
    QStringList history; // the history lines
    // In order: "busy TEXT" (with " STEP/STEPS" when it has a bar), "step N",
    // "ended", "connection 0|1", "report TEXT", "changed", "reset" (each
    // marked when told while the board was not quiet), "wait MS",
    // "question CAPTION: TEXT".
    QStringList events;
    QList<int> waits;
    std::function<void(int)> onWait; // called in each recorded wait
    QList<bool> answers;             // to the questions, in order; none left: No
};

#pragma once
// The board's vocabulary, shared by the core and every front end: the serial
// interface, the converters' clock roles, and what the board reports.

#include <QString>

#include <cstdint>

namespace evm {

// The serial control interface between the board and the chip.
enum class Interface { Iic, Spi };

// Who drives the audio clocks of a converter: the chip (master) or the
// board (slave). The board's clock routing follows it.
enum class Role { Slave, Master };
enum class Converter { Dac, Adc };

// What went wrong, so that each front end picks its own form (a box, a line
// on standard error and an exit status, an entry in an error queue).
enum class ReportCategory {
    Communication, // a register or board-control transfer failed
    Settings,      // the settings file could not be read or holds a bad value
    Script,        // a script file is missing, unreadable or holds a bad line
    Connection,    // the board library or the board itself is not there
    File,          // a file could not be written
};

struct Report {
    ReportCategory category = ReportCategory::Connection;
    QString text;
    QString caption; // empty: the application's own title
};

} // namespace evm

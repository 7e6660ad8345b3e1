#pragma once
// What one script line asks for: a register write, a wait, nothing, or an
// error that stops the run.

#include <QByteArrayView>
#include <QString>

#include <cstdint>

namespace scriptline {

enum class Kind {
    Empty,     // no field at all: the line is skipped
    Wait,      // "sleep" and a number of milliseconds in `first`
    Write,     // address in `first`, data 0..255 in `second`
    BadWait,   // "sleep" without a usable wait (missing, no number, negative)
    BadRecord, // fewer than two fields, or an address or data that is no number
    BadData,   // data outside 0..255 taken as unsigned
};

struct Line {
    Kind kind = Kind::Empty;
    std::int32_t first = 0;
    std::int32_t second = 0;
};

// Classifies one line of a script. A third and further fields are ignored.
Line parse(QByteArrayView line);

// The text of the error box for an error kind; empty for the others.
QString errorText(Kind kind);

} // namespace scriptline

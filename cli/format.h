#pragma once
// evm2280's output formats over the core's texts: the plain lines and the
// JSON documents (stable keys, numbers as numbers) of each command.

#include "namedfields.h"
#include "options.h"
#include "snapshotcompare.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace evm {
class Board;
}

namespace evm::cli {

struct RegisterValue {
    int address = 0;
    std::uint8_t value = 0;
};

// -v: "w 0x41 0x05", "r 0x42 0x00", "w board 0x37 0x01", with " failed 0x0021" after a failure.
QString transferLine(int channel, int address, int value, bool write, int code);

// info: "library: 1.1.0.0", "port: 1", "interface: IIC", "address: 0x4C".
QStringList infoLines(const Board& board);
// {"library": "1.1.0.0", "version": 4352, "port": 1, "interface": "IIC", "address": 76};
// library and version null where the library has no version.
QJsonObject infoJson(const Board& board);

// {"registers": [{"address": 65, "value": 5}, ...]}
QJsonObject registersJson(const QList<RegisterValue>& values);

// {"differences": [{"address": 67, "a": 0, "b": 1, "groups": [{"control": "cInvDAC1", "bits":
// ["REVDA1"]}]}]}; a missing side is null, as is the control of bits no control covers.
QJsonObject differencesJson(const QList<compare::Difference>& differences);

// {"fields": [Field JSON, ...]}
QJsonObject fieldsJson(const QList<QJsonObject>& fields);
// fields: "0x41 [3:0] FMTDA = 0x4 (24bit IIS DSP)", "0x41 [7]   PSMDA = 0x0".
QString fieldRow(const fields::Field& field, unsigned value, bool wide);

} // namespace evm::cli

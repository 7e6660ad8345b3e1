#pragma once
// The chip's register bit fields by name, for the command-line tool and the
// remote-control server. Derived from the register map's bit names: names in
// one register that share a stem and whose last digits run n..0 (n >= 1) over
// neighbouring bits, highest digit on the highest bit, form one field named by
// the stem (AMUTE3..AMUTE0 -> AMUTE, ATDA17..ATDA10 -> ATDA1); every other
// name is a one-bit field of that name (REVDA8..REVDA1 do not reach 0, a lone
// X0 has no run); "-" is no field. Where a panel control shows exactly that
// field, the field carries the control's item texts; the DAC attenuation
// fields also read and show decibels as the window's dB edits do.

#include "registermap.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <cstdint>
#include <optional>
#include <span>

namespace evm::fields {

struct Field {
    QString name;
    int reg = 0;                   // register address
    int high = 0;                  // highest bit, 0..7
    int low = 0;                   // lowest bit, 0..high
    const char* control = nullptr; // the panel control showing exactly this field, if any
    QStringList items;             // text of value i; empty where the control has no items
    bool attenuation = false;      // a DAC attenuation code: 255 is 0 dB, values may be given in dB

    int width() const { return high - low + 1; }
    unsigned maximum() const { return (1u << width()) - 1; }
};

// The naming rule over `rows` (register firstAddress first), in address order
// and, within a register, from the highest bit. When two fields share a name
// (case-insensitively) *error names it; the list is still returned.
QList<Field> derive(std::span<const regs::RegisterInfo> rows, int firstAddress, QString* error);

// Every field of the chip, with controls, items and the attenuation mark. A
// repeated name in the register map stops the program here, at the table's
// first use: lookup by name would be ambiguous.
const QList<Field>& all();

// The field named `name`, ignoring case (SCPI is case-insensitive); null if none.
const Field* find(QStringView name);

// The field's value held in register byte `reg`.
unsigned valueOf(const Field& field, std::uint8_t reg);

// `reg` with the field's bits replaced by `value`, other bits kept; nothing
// (and *error says why) when the value does not fit the field.
std::optional<std::uint8_t> withValue(const Field& field, std::uint8_t reg, unsigned value, QString* error);

// Reads a value for the field: a number (65, 0x41, $41, x41) or, for an
// attenuation field, decibels ("-10.5dB", "-10.5 dB", suffix in any case, '.'
// as decimal point) converted and clamped as the window's dB edit does in the
// mode given by `wide` (DAMS). Nothing, with *error set, for anything else or a
// value the field cannot hold.
std::optional<unsigned> parseValue(const Field& field, QStringView text, bool wide, QString* error);

// The value in hex as the program writes numbers: "0x", upper-case digits, one
// digit for fields of up to 4 bits, two for wider ones ("0x4", "0xEA").
QString hexText(const Field& field, unsigned value);

// The value's meaning: the control's item text, the dB text of an attenuation
// code ("-10.5 dB"), or empty where there is none.
QString meaning(const Field& field, unsigned value, bool wide);

// "FMTDA = 0x4 (24bit IIS DSP)", "ATDA1 = 0xEA (-10.5 dB)", "ZERO1 = 0x1".
QString describe(const Field& field, unsigned value, bool wide);

// Machine form: name, register, high, low, value (numbers), text (the meaning,
// or null where there is none).
QJsonObject toJson(const Field& field, unsigned value, bool wide);

} // namespace evm::fields

#pragma once
// The arguments of evm2280's commands as values: numbers in the script
// file's forms, register addresses and ranges, bit fields by name, NAME=VALUE
// settings. Each returns false with a one-line message in *error.

#include "options.h"

#include <QString>
#include <QStringList>

#include <cstdint>

namespace evm::cli {

// A number as a script file writes it: 65, 0x41, $41, x41.
bool parseNumber(const QString& text, std::int32_t* value, QString* error);
// A number 0x00..0xFF; `tooLarge` is the message for one outside.
bool parseByte(const QString& text, const QString& tooLarge, std::uint8_t* value, QString* error);
// Register addresses (0x00..0xFF) and inclusive ranges (0x40-0x4F), in the
// order given; with `names`, bit fields by name too.
bool parseTargets(const QStringList& args, bool names, QList<Target>* targets, QString* error);
// Bit fields by name.
bool parseFieldNames(const QStringList& args, QList<Target>* targets, QString* error);
// NAME=VALUE pairs, each value one the field can take.
bool parseSettings(const QStringList& args, QList<FieldSetting>* settings, QString* error);

// The command's arguments (after its name) into *inv, whose command is set.
bool parseArguments(const QStringList& args, Invocation* inv, QString* error);

} // namespace evm::cli

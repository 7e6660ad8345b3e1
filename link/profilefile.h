#pragma once
// The settings file in the form of the platform's private-profile files:
// plain text, "[Section]" headers, "key=value" lines, CR LF after every line.
// A value is the raw text after '=' (blanks trimmed, one pair of enclosing
// double quotes removed); nothing in it is interpreted, so the program parses
// its own integer text. Written keys keep the file's natural order: the
// SerialInterface section first, "Type" before "Addr".

#include <QIODevice>
#include <QSettings>

namespace evmlink {
// The QSettings format that reads and writes such files.
QSettings::Format profileFormat();
bool readProfile(QIODevice& device, QSettings::SettingsMap& map);
bool writeProfile(QIODevice& device, const QSettings::SettingsMap& map);
} // namespace evmlink

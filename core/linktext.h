#pragma once
// Texts of the link: communication error reports and the history line.

#include <QString>

namespace evmlink {
// "Communication error: WRERR" etc. followed by the code as upper-case hex,
// at least four digits, the code taken as unsigned 32-bit.
QString commErrorText(const char* kind, int code);
QString writeErrorText(int code); // WRERR
QString readErrorText(int code);  // RDERR + "\nPlease check interface setting."
QString boardErrorText(int code); // SPERR
// "0x" + at least two upper-case hex digits.
QString hex2(unsigned value);
// History line / register record: "0x4A, 0x0A".
QString recordLine(unsigned address, unsigned value);
// The library version as the About box shows it, "%1d.%1d.%1d.%1d": v/4096,
// (v%4096)/256, (v%256)/16, v%16, each truncating toward zero with the
// remainder taking v's sign.
QString versionText(int v);
} // namespace evmlink

// The register snapshot: every chip register as the chip reports it, saved as
// a script that writes the values back.

#include "ui/TForm1.h"

#include "ui/dialogs.h"
#include "core/linktext.h"
#include "ui/savefile.h"

void TForm1::SaveRegisterDumpClick()
{
    const QString path = dialogs_->saveFile(*SaveDialog1);
    if (path.isEmpty() || !confirmOverwrite(*dialogs_, path)) return;

    // All reads first: a file is only touched once the chip has answered.
    std::array<std::uint8_t, regs::kCount> values{};
    for (int i = 0; i < regs::kCount; ++i) values[std::size_t(i)] = ReadRegister(regs::kFirst + i);

    QByteArray bytes;
    for (int i = 0; i < regs::kCount; ++i)
        bytes += evmlink::recordLine(unsigned(regs::kFirst + i), values[std::size_t(i)]).toLatin1() + "\r\n";
    saveTextFile(path, bytes);
}

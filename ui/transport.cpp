// Every byte to or from the board: chip registers on channel 0, board-control
// registers on channel 7.

#include "ui/TForm1.h"

#include "ui/dialogs.h"
#include "ui/globals.h"
#include "core/linktext.h"
#include "ui/regviewform.h"

void TForm1::WriteRegister(unsigned reg, int value)
{
    if (BoardOpen == 0) return;
    unsigned char buffer[evmlink::kBufferSize] = {};
    buffer[0] = static_cast<unsigned char>(value);
    if (!SuppressWrites) {
        const int rc = bus.writeData(evmlink::kChannelChip, int(reg), buffer, 1);
        if (rc != 0 && !ErrorShown) {
            ErrorShown = true;
            dialogs_->message(evmlink::writeErrorText(rc));
        }
    }
    int shown = 0;
    if (image.mirrorWrite(reg, value, &shown) && RegViewForm)
        RegViewForm->ShowRegister(int(reg) - regs::kFirst, shown);
    // The byte the chip was given: a saved history replays as a script.
    if (LogHistory) AppendHistory(evmlink::recordLine(reg, buffer[0]));
}

std::uint8_t TForm1::ReadRegister(int reg)
{
    if (BoardOpen == 0) return 0;
    unsigned char buffer[evmlink::kBufferSize] = {};
    const int rc = bus.readData(evmlink::kChannelChip, reg, buffer, 1);
    if (rc != 0 && !ErrorShown) {
        ErrorShown = true;
        dialogs_->message(evmlink::readErrorText(rc));
    }
    return buffer[0];
}

void TForm1::WriteBoardControl(int address, std::uint8_t value)
{
    if (BoardOpen == 0) return;
    unsigned char buffer[evmlink::kBufferSize] = {};
    buffer[0] = value;
    if (SuppressWrites) return;
    const int rc = bus.writeData(evmlink::kChannelBoard, address, buffer, 1);
    if (rc != 0) dialogs_->message(evmlink::boardErrorText(rc));
}

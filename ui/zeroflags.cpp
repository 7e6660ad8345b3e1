// Zero-flag lamps: register 0x45 read on demand into eight lamps.

#include "TForm1.h"

#include <QLabel>
#include <QVariant>

namespace {

constexpr int kZeroFlagRegister = 0x45;
constexpr int kLampOff = 0; // ImageList1: unlit
constexpr int kLampOn = 2;  // ImageList1: green

// Shows picture `index` of ImageList1 in a lamp and redraws it now. The
// picture shown is also kept as the lamp's "imageIndex" property.
void setLamp(QLabel* lamp, const TImageList* pictures, int index)
{
    if (!lamp) return;
    if (pictures && index < pictures->images.size()) lamp->setPixmap(pictures->images[index]);
    lamp->setProperty("imageIndex", index);
    lamp->repaint();
}

} // namespace

void TForm1::btnZeroClrClick()
{
    for (QLabel* lamp : ZeroLamps) setLamp(lamp, ImageList1, kLampOff);
}

void TForm1::btnZeroReadClick()
{
    // Without a board there are no flags to show: the lamps stay as they are.
    if (!board_.requireBoard()) return;
    // The flags are status, not settings: the raw value goes to the lamps and
    // never into the register image.
    const std::uint8_t flags = board_.ReadRegister(kZeroFlagRegister);
    for (int i = 0; i < int(ZeroLamps.size()); ++i)
        setLamp(ZeroLamps[i], ImageList1, (flags >> i) & 1 ? kLampOn : kLampOff);
}

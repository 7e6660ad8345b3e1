// Interface, device address and the settings file.

#include "app/TForm1.h"

#include "app/widgets.h"

void TForm1::LoadSettings()
{
    rgInterface->setItemIndex(1);
    DeviceAddress = 0x4D;
}

void TForm1::ApplyInterface(int index) { evmlink::applyInterface(linkSettings, index, DeviceAddress); }
void TForm1::rgInterfaceClick() {}
void TForm1::cbAddrChange() {}

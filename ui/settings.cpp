// Interface and device address: the radio group and the address box over the
// board's settings.

#include "ui/TForm1.h"

#include "core/settingstext.h"
#include "ui/widgets.h"

#include <QComboBox>

void TForm1::LoadSettings()
{
    rgInterface->setItemIndex(evmlink::kSpiIndex);
    const int item = board_.LoadSettings(cbAddr->currentIndex());
    rgInterface->setItemIndex(board_.interfaceIndex);
    cbAddr->setCurrentIndex(item);
}

void TForm1::rgInterfaceClick()
{
    if (!board_.changeInterface(rgInterface->itemIndex())) return;
    const bool iic = board_.interfaceIndex == evmlink::kIicIndex;
    cbAddr->setEnabled(iic);
    cbAddr->setCurrentIndex(0);
    // Stored last: a file that cannot be written is reported, but the window
    // and the link already follow the user's choice.
    board_.storeInterface();
}

void TForm1::cbAddrChange()
{
    board_.changeAddress(cbAddr->currentIndex());
}

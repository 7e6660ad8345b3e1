// Interface and device address: the radio group and the address box over the
// board's settings.

#include "TForm1.h"

#include "widgets.h"

#include <QComboBox>

namespace {
// The radio group lists IIC first, then SPI.
int interfaceItem(evm::Interface i)
{
    return i == evm::Interface::Iic ? 0 : 1;
}
} // namespace

void TForm1::LoadSettings()
{
    rgInterface->setItemIndex(interfaceItem(evm::Interface::Spi)); // as designed
    board_.loadSettings();
    rgInterface->setItemIndex(interfaceItem(board_.interface()));
    cbAddr->setCurrentIndex(board_.addressSlot());
}

void TForm1::rgInterfaceClick()
{
    const evm::Interface chosen = rgInterface->itemIndex() == 0 ? evm::Interface::Iic : evm::Interface::Spi;
    if (!board_.changeInterface(chosen)) return;
    cbAddr->setEnabled(chosen == evm::Interface::Iic);
    cbAddr->setCurrentIndex(board_.addressSlot());
    // Stored last: a file that cannot be written is reported, but the window
    // and the link already follow the user's choice.
    board_.storeInterface();
}

void TForm1::cbAddrChange()
{
    board_.changeAddress(cbAddr->currentIndex());
}

// Chip resets (MRST, SRST) and reconnect of the board: the board does the
// work; the window shows the busy window and the panel as the board reports.

#include "TForm1.h"

#include <QComboBox>

void TForm1::btnMRSTClick()
{
    board_.masterReset();
}

void TForm1::btnSRSTClick()
{
    board_.softReset();
}

void TForm1::bBDRSTClick()
{
    board_.reconnect(roleShown(cbDACMasterSlave), roleShown(cbADCMasterSlave));
}

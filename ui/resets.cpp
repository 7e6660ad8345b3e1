// Chip resets (MRST, SRST) and reconnect of the board.

#include "ui/TForm1.h"

#include "ui/dialogs.h"
#include "ui/globals.h"
#include "ui/splashform.h"
#include "ui/widgets.h"

#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>

namespace {

// Register 0x40 carries the two reset requests, each active low.
constexpr unsigned kResetRegister = 0x40;
constexpr int kMrstBit = 0x80;
constexpr int kSrstBit = 0x40;
// The chip needs this long after a register reset before it is written again.
constexpr int kResetSettleMs = 1000;

const QString kBusyText = QStringLiteral("Reset in progress ...");

// On the screen and drawn before the reset starts. Clicks and keys meanwhile
// wait until the operation is over rather than start other work inside it.
void showBusySplash()
{
    if (!SplashForm) return;
    SplashForm->Label1->setText(kBusyText);
    SplashForm->ProgressBar1->setValue(0);
    SplashForm->ProgressBar1->hide();
    showPainted(SplashForm);
}

void repaintSplash()
{
    if (SplashForm) SplashForm->repaint();
}

void hideSplash()
{
    if (SplashForm) SplashForm->hide();
}

} // namespace

void TForm1::btnMRSTClick()
{
    showBusySplash();
    WriteRegister(kResetRegister, image.at(kResetRegister) & ~kMrstBit);
    ErrorShown = false;
    Wait(kResetSettleMs);
    if (closed_) { // the window was closed during the wait
        hideSplash();
        return;
    }
    // The chip is back at its power-on values: take the defaults without
    // sending them again and without adding them to the history.
    SuppressWrites = true;
    LogHistory = false;
    ResetRegisterImage();
    RefreshControls();
    btnZeroClrClick();
    hideSplash();
    SuppressWrites = false;
    LogHistory = true;
}

void TForm1::btnSRSTClick()
{
    WriteRegister(kResetRegister, image.at(kResetRegister) & ~kSrstBit);
}

void TForm1::bBDRSTClick()
{
    if (!bus.isLoaded()) return;
    LogHistory = false;
    showBusySplash();
    // A close of the window while the busy window was being drawn ends the
    // reconnect here.
    if (closed_) {
        hideSplash();
        return;
    }

    ErrorShown = false;
    SuppressWrites = true;
    bus.close();
    Wait(kResetSettleMs);
    if (closed_) {
        hideSplash();
        return;
    }
    repaintSplash();

    ApplyInterface(rgInterface->itemIndex());
    BoardOpen = bus.init(0, &linkSettings);
    if (BoardOpen == 0) {
        hideSplash();
        StatusBar1->showMessage(QStringLiteral("No EVM was found"));
        ShowConnection(0);
        dialogs().errorBox(QStringLiteral("No EVM was foud"), QStringLiteral("Error"));
        return;
    }
    StatusBar1->showMessage(QStringLiteral("Ready"));
    ShowConnection(1);

    // A failure of the register reset goes unreported (ErrorShown is set for
    // it); failures of the board set-up are reported, one each.
    ErrorShown = true;
    SuppressWrites = false;
    WriteRegister(kResetRegister, kSrstBit); // MRST requested (0), SRST idle (1), the rest 0
    WriteBoardSetup();

    SuppressWrites = true;
    ResetRegisterImage();
    ErrorShown = false;
    RefreshControls();
    btnZeroClrClick();
    hideSplash();
    SuppressWrites = false;
    LogHistory = true;
}

// Placeholder layout: only the controls the start-up sequence needs.

#include "app/TForm1.h"

#include "app/dialogs.h"
#include "app/widgets.h"

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTabWidget>

void TForm1::buildLayout()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("EVM Controller"));
    auto* central = new QWidget(this);
    setCentralWidget(central);
    auto name = [this](QWidget* w, const char* n) {
        w->setObjectName(QLatin1String(n));
        registerControl(w);
    };
    MainTab = new QTabWidget(central);
    name(MainTab, "MainTab");
    StatusBar1 = statusBar();
    name(StatusBar1, "StatusBar1");
    imgConnection = new QLabel(central);
    name(imgConnection, "imgConnection");
    rgInterface = new TRadioGroup(QStringLiteral("Interface"), {QStringLiteral("IIC"), QStringLiteral("SPI")}, 1, central);
    name(rgInterface, "rgInterface");
    rgInterface->setItemIndex(1);
    cbAddr = new QComboBox(central);
    cbAddr->addItems({QStringLiteral("00"), QStringLiteral("01"), QStringLiteral("10"), QStringLiteral("11")});
    name(cbAddr, "cbAddr");
    cbDACMasterSlave = new QComboBox(central);
    cbDACMasterSlave->addItems({QStringLiteral("Slave"), QStringLiteral("Master (768fs)")});
    name(cbDACMasterSlave, "cbDACMasterSlave");
    cbADCMasterSlave = new QComboBox(central);
    cbADCMasterSlave->addItems({QStringLiteral("Slave"), QStringLiteral("Master (768fs)")});
    name(cbADCMasterSlave, "cbADCMasterSlave");
    Memo1 = new QPlainTextEdit(central);
    name(Memo1, "Memo1");
    RDA_reg = new TEdit(QStringLiteral("0x40"), central);
    name(RDA_reg, "RDA_reg");
    RDA_data = new TEdit(QStringLiteral("0x00"), central);
    name(RDA_data, "RDA_data");
    OpenDialog1 = new FileDialogSettings(this);
    OpenDialog1->setObjectName(QStringLiteral("OpenDialog1"));
    SaveDialog1 = new FileDialogSettings(this);
    SaveDialog1->setObjectName(QStringLiteral("SaveDialog1"));
    ImageList1 = new TImageList(this);
    ImageList2 = new TImageList(this);
}

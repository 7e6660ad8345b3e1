#include "regview/regviewform.h"

#include "registers/registermap.h"

#include <QLabel>
#include <QPushButton>

// Placeholder grid; the full window is built in its own change.
TRegViewForm::TRegViewForm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("RegViewForm"));
    setWindowTitle(QStringLiteral("Register View"));
    pRegView = new QWidget(this);
    pRegView->setObjectName(QStringLiteral("pRegView"));
    for (int i = 0; i < regs::kCount; ++i)
        for (int j = 0; j < 8; ++j) {
            auto* l = new QLabel(QLatin1String(regs::bitName(i, 7 - j)), pRegView);
            cells_[i][j] = l;
        }
    bClose = new QPushButton(QStringLiteral("Close"), this);
    bClose->setObjectName(QStringLiteral("bClose"));
    connect(bClose, &QPushButton::clicked, this, &TRegViewForm::bCloseClick);
}

void TRegViewForm::ShowRegister(int row, int value) { (void)row; (void)value; }
void TRegViewForm::bCloseClick() { hide(); }

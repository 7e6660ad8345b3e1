#include "app/aboutdialog.h"

#include <QLabel>
#include <QPushButton>

TAboutDialog::TAboutDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutDialog"));
    setWindowTitle(QStringLiteral("About"));
    lDLLver = new QLabel(QStringLiteral("0.0.0.0"), this);
    lDLLver->setObjectName(QStringLiteral("lDLLver"));
    lPort = new QLabel(QStringLiteral("0"), this);
    lPort->setObjectName(QStringLiteral("lPort"));
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    connect(OKBtn, &QPushButton::clicked, this, &TAboutDialog::OKBtnClick);
}

void TAboutDialog::OKBtnClick() { accept(); }

QString versionText(int v)
{
    return QStringLiteral("%1.%2.%3.%4").arg(v / 4096).arg((v % 4096) / 256).arg((v % 256) / 16).arg(v % 16);
}

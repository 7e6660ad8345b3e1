#include "aboutdialog.h"

#include "evmversion.h"

#include "TForm1.h"
#include "globals.h"
#include "widgets.h"

#include <QApplication>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QPushButton>

namespace {

// A label that takes the size of its text (see fitLabels).
QLabel* addLabel(QWidget* parent, const char* name, const QString& text, int x, int y,
                 const QFont* font = nullptr)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    if (font) l->setFont(*font);
    l->move(x, y);
    return l;
}

} // namespace

TAboutDialog::TAboutDialog(QWidget* parent)
    : TNoEscapeDialog(parent, kFixedDialogFlags | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("AboutDialog"));
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(313, 214);
    setFont(pixelFont(QStringLiteral("MS PGothic"), 12));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
    setPalette(pal);
    setAutoFillBackground(true);

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel1->setGeometry(8, 8, 297, 161);

    const QFont title = pixelFont(QStringLiteral("Arial Black"), 19);
    const QFont version = pixelFont(QStringLiteral("Arial Black"), 16);
    Label1 = addLabel(this, "Label1", QStringLiteral("ORV2280/1"), 96, 32, &title);
    Label3 = addLabel(this, "Label3", QStringLiteral(" EVM Control software"), 40, 70, &title);
    Label2 = addLabel(this, "Label2", QStringLiteral("Version " EVM_VERSION), 96, 105, &version);
    Label4 = addLabel(this, "Label4", QStringLiteral("DLL: "), 96, 140);
    lDLLver = addLabel(this, "lDLLver", QStringLiteral("0.0.0.0"), 128, 140);
    Label5 = addLabel(this, "Label5", QStringLiteral("Port:"), 177, 140);
    lPort = addLabel(this, "lPort", QStringLiteral("0"), 208, 140);

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setGeometry(119, 180, 75, 25);
    OKBtn->setDefault(true);
    connect(OKBtn, &QPushButton::clicked, this, &TAboutDialog::OKBtnClick);
}

void TAboutDialog::OKBtnClick()
{
    accept();
}

void TAboutDialog::setLibraryVersion(const QString& text)
{
    lDLLver->setText(text);
}

void TAboutDialog::setPort(int port)
{
    lPort->setText(QString::number(port));
}

// Sizing a label loads its font, and the dialog's faces are looked up
// through font substitution, which costs milliseconds: it is done when the
// dialog is about to be shown rather than at program start.
void TAboutDialog::fitLabels()
{
    for (QLabel* l : {Label1, Label3, Label2, Label4, lDLLver, Label5, lPort}) l->adjustSize();
}

void TAboutDialog::showEvent(QShowEvent* e)
{
    fitLabels();
    // Created without a parent, so centre over the main window by hand.
    if (const QWidget* owner = parentWidget() ? parentWidget() : static_cast<QWidget*>(Form1)) {
        QRect frame = frameGeometry();
        frame.moveCenter(owner->frameGeometry().center());
        move(frame.topLeft());
    }
    QDialog::showEvent(e);
    belongToMainWindow(this);
}

#include "scriptprogress.h"

#include "widgets.h"

#include <QFont>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>

TscriptProgress::TscriptProgress(QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::CustomizeWindowHint)
{
    setObjectName(QStringLiteral("scriptProgress"));
    setWindowTitle(QStringLiteral("Script progress"));
    setFixedSize(313, 182);

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::Box);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(8, 8, 297, 161);

    Label1 = new QLabel(QStringLiteral("Executing ..."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(pixelFont(QStringLiteral("Arial Black"), 12));
    Label1->setGeometry(40, 56, 82, 17);

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(40, 88, 233, 17);
    ProgressBar1->setTextVisible(false); // a plain smooth bar, no percentage text
    ProgressBar1->setRange(0, 100);
}

void TscriptProgress::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    // Centre the whole window, title bar and frame included.
    if (const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
        const QRect frame = frameGeometry();
        move(s->geometry().center() - (frame.center() - frame.topLeft()));
    }
    belongToMainWindow(this);
}

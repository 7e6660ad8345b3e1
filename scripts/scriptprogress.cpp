#include "scripts/scriptprogress.h"

#include <QLabel>
#include <QProgressBar>

TscriptProgress::TscriptProgress(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("scriptProgress"));
    setWindowTitle(QStringLiteral("Script progress"));
    setFixedSize(313, 182);
    Label1 = new QLabel(QStringLiteral("Executing ..."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(40, 56, 82, 17);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(40, 88, 233, 17);
    ProgressBar1->setRange(0, 100);
}

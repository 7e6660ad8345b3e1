#include "splashform.h"

#include "widgets.h"

#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>

namespace {
// A smooth bar painted flat: the splash repaints it at every step of the
// start-up read-back, and the style's gradient bar costs several times more.
class FlatProgressBar : public QProgressBar {
public:
    using QProgressBar::QProgressBar;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const QRect r = rect();
        p.fillRect(r, palette().color(QPalette::Base));
        const qint64 span = qint64(maximum()) - minimum();
        const qint64 done = qMax<qint64>(0, qint64(value()) - minimum());
        const int w = span > 0 ? int((r.width() - 2) * qMin(done, span) / span) : 0;
        p.fillRect(1, 1, w, r.height() - 2, palette().color(QPalette::Highlight));
        p.setPen(palette().color(QPalette::Mid));
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }
};
} // namespace

TSplashForm::TSplashForm(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("SplashForm"));
    setFixedSize(313, 182);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(pixelFont(QStringLiteral("Arial Black"), 12));
    Label1->setAutoFillBackground(true);
    Label1->setPalette(pal);
    Label1->setGeometry(24, 64, 265, 17);

    ProgressBar1 = new FlatProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(24, 88, 265, 17);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->hide();

    if (const QScreen* s = QGuiApplication::primaryScreen()) move(s->geometry().center() - rect().center());
}

void TSplashForm::setText(const QString& text)
{
    Label1->setText(text);
    repaint();
}

void showPainted(QWidget* window)
{
    window->show();
    window->raise();
    waitUntilExposed(window);
    window->repaint();
}

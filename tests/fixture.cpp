#include "fixture.h"

#include "appwindows.h"

#include <QDialog>
#include <QGuiApplication>
#include <QImage>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>

QStringList RecordingDialogs::texts(const QString& kind) const
{
    QStringList out;
    for (const Shown& s : shown)
        if (kind.isEmpty() || s.kind == kind) out << s.text;
    return out;
}

void RecordingDialogs::record(const QString& kind, const QString& text, const QString& caption)
{
    shown.append({kind, text, caption});
    if (onShow) onShow(shown.constLast());
}

QString RecordingDialogs::pick(const QString& kind, QStringList& answers, FileDialogSettings& d)
{
    record(kind, d.filter, d.defaultExt);
    const QString name = answers.isEmpty() ? QString() : answers.takeFirst();
    if (!name.isEmpty()) d.fileName = name;
    return name;
}

int RecordingDialogs::execModal(QDialog* dialog)
{
    record("modal", dialog->objectName(), dialog->windowTitle());
    return onModal ? onModal(dialog) : int(QDialog::Accepted);
}

AppFixture::AppFixture(const QString& lib, const QString& simLib) : SimFolder(simLib), library(lib) {}

AppFixture::~AppFixture()
{
    if (created_) DestroyAppWindows();
}

void AppFixture::create()
{
    AppOptions o;
    o.libraryName = library;
    o.dialogs = &dialogs;
    if (!realWait)
        o.wait = [this](int ms) {
            waits.append(ms);
            if (onWait) onWait(ms);
        };
    CreateAppWindows(o);
    created_ = true;
}

void AppFixture::start()
{
    if (!created_) create();
    Form1->show();
    // The start-up sequence is queued by the first show: run it now.
    QCoreApplication::sendPostedEvents(Form1, QEvent::MetaCall);
}

void AppFixture::startOverIic()
{
    writeFile("EVM2280.ini", kIic);
    start();
}

void AppFixture::startClean()
{
    start();
    sim.clearTrace();
    dialogs.clear();
    waits.clear();
}

QWidget* AppFixture::clickOnPage(const QString& name)
{
    auto* w = find<QWidget>(name);
    if (!w) qFatal("no %s", qPrintable(name));
    for (QWidget* p = w; p; p = p->parentWidget())
        if (const int i = form()->MainTab->indexOf(p); i >= 0) form()->MainTab->setCurrentIndex(i);
    QTest::mouseClick(w, Qt::LeftButton);
    return w;
}

QStringList AppFixture::historyLines() const
{
    return form()->Memo1->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void AppFixture::close()
{
    if (Form1) Form1->close();
}

TForm1* AppFixture::form() const
{
    return Form1;
}

double shownOnScreen(QWidget* window)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return -1;
    const QRect g = window->geometry(); // the client area, in screen coordinates
    const QImage screen = QGuiApplication::primaryScreen()
                              ->grabWindow(0, g.x(), g.y(), g.width(), g.height())
                              .toImage()
                              .convertToFormat(QImage::Format_RGB32);
    const QImage own = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (screen.size() != own.size() || own.isNull()) return 0;
    qint64 same = 0;
    for (int y = 0; y < own.height(); ++y)
        for (int x = 0; x < own.width(); ++x) same += screen.pixel(x, y) == own.pixel(x, y);
    return double(same) / (qint64(own.width()) * own.height());
}

#include "tests/fixture.h"

#include "ui/appwindows.h"
#include "ui/globals.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <dlfcn.h>
#include <sys/resource.h>
#endif

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>

#ifdef _WIN32
FileSizeLimit::FileSizeLimit(qint64) {}
FileSizeLimit::~FileSizeLimit() = default;
bool FileSizeLimit::supported()
{
    return false;
}
#else
FileSizeLimit::FileSizeLimit(qint64 bytes)
{
    rlimit l{};
    getrlimit(RLIMIT_FSIZE, &l);
    old_ = l.rlim_cur;
    l.rlim_cur = rlim_t(bytes);
    setrlimit(RLIMIT_FSIZE, &l);
}

FileSizeLimit::~FileSizeLimit()
{
    rlimit l{};
    getrlimit(RLIMIT_FSIZE, &l);
    l.rlim_cur = rlim_t(old_);
    setrlimit(RLIMIT_FSIZE, &l);
}

bool FileSizeLimit::supported()
{
    return true;
}
#endif

SimBoard::SimBoard(const QString& library)
{
#ifdef _WIN32
    handle_ = reinterpret_cast<void*>(LoadLibraryW(reinterpret_cast<LPCWSTR>((library + ".dll").utf16())));
#else
    handle_ = dlopen(QByteArray("lib" + library.toLocal8Bit() + ".so").constData(), RTLD_NOW);
#endif
    if (!handle_) qWarning("simulator %s not loaded", qPrintable(library));
}

// The library stays mapped while the test holds it, so its state survives the
// program's own unload at close.
SimBoard::~SimBoard()
{
#ifdef _WIN32
    if (handle_) FreeLibrary(static_cast<HMODULE>(handle_));
#else
    if (handle_) dlclose(handle_);
#endif
}

void* SimBoard::fn(const char* name)
{
    if (!handle_) qFatal("simulator not loaded");
#ifdef _WIN32
    void* f = reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
#else
    void* f = dlsym(handle_, name);
#endif
    if (!f) qFatal("simulator function %s missing", name);
    return f;
}

#define SIMCALL(name, sig) reinterpret_cast<sig>(fn(name))
void SimBoard::reset()
{
    SIMCALL("hxsim_reset", void (*)())();
}
void SimBoard::setPresent(bool p)
{
    SIMCALL("hxsim_set_board_present", void (*)(int))(p ? 1 : 0);
}
void SimBoard::setStrap(int a)
{
    SIMCALL("hxsim_set_strap_address", void (*)(int))(a);
}
void SimBoard::setVersion(int v)
{
    SIMCALL("hxsim_set_version", void (*)(int))(v);
}
void SimBoard::setPort(int p)
{
    SIMCALL("hxsim_set_port", void (*)(int))(p);
}
void SimBoard::setZeroFlags(int f)
{
    SIMCALL("hxsim_set_zero_flags", void (*)(int))(f);
}
void SimBoard::failRead(int a, int c)
{
    SIMCALL("hxsim_fail_read", void (*)(int, int))(a, c);
}
void SimBoard::failWrite(int ch, int a, int c)
{
    SIMCALL("hxsim_fail_write", void (*)(int, int, int))(ch, a, c);
}
void SimBoard::setRegister(int a, int v)
{
    SIMCALL("hxsim_set_register", void (*)(int, int))(a, v);
}
void SimBoard::setOverflowFlags(int f)
{
    SIMCALL("hxsim_set_overflow_flags", void (*)(int))(f);
}
void SimBoard::clearFaults()
{
    SIMCALL("hxsim_clear_faults", void (*)())();
}
int SimBoard::reg(int a)
{
    return SIMCALL("hxsim_register", int (*)(int))(a);
}
int SimBoard::boardControl(int a)
{
    return SIMCALL("hxsim_board_control", int (*)(int))(a);
}
bool SimBoard::isOpen()
{
    return SIMCALL("hxsim_is_open", int (*)())() != 0;
}
void SimBoard::clearTrace()
{
    SIMCALL("hxsim_clear_trace", void (*)())();
}

QStringList SimBoard::trace()
{
    auto count = SIMCALL("hxsim_trace_count", int (*)());
    auto line = SIMCALL("hxsim_trace_line", int (*)(int, char*, int));
    QStringList out;
    char buf[256];
    for (int i = 0, n = count(); i < n; ++i) {
        line(i, buf, sizeof buf);
        out << QString::fromLatin1(buf);
    }
    return out;
}

QStringList SimBoard::traceOf(const QString& prefix)
{
    QStringList out;
    for (const QString& l : trace())
        if (l.startsWith(prefix)) out << l;
    return out;
}

QStringList SimBoard::chipWrites()
{
    static const QRegularExpression re(QStringLiteral("^write ch=0 addr=0x([0-9A-F]+) data=0x([0-9A-F]+)"));
    QStringList out;
    for (const QString& l : trace()) {
        const auto m = re.match(l);
        if (m.hasMatch()) out << m.captured(1) + QLatin1Char('=') + m.captured(2);
    }
    return out;
}

bool SimBoard::lastSettings(LinkSettings* out)
{
    return SIMCALL("hxsim_last_settings", int (*)(unsigned char*))(reinterpret_cast<unsigned char*>(out)) !=
           0;
}
#undef SIMCALL

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

void RecordingDialogs::errorBox(const QString& text, const QString& caption)
{
    record("error", text, caption);
}
void RecordingDialogs::message(const QString& text)
{
    record("message", text, QLatin1String(kAppTitle));
}
bool RecordingDialogs::question(const QString& text, const QString& caption)
{
    record("question", text, caption);
    return questionAnswers.isEmpty() ? false : questionAnswers.takeFirst();
}
void RecordingDialogs::generalError(const QString& text)
{
    record("general", text, QLatin1String(kAppTitle));
}
QString RecordingDialogs::openFile(FileDialogSettings& d)
{
    record("open", d.filter, d.defaultExt);
    const QString name = openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
    if (!name.isEmpty()) d.fileName = name;
    return name;
}
QString RecordingDialogs::saveFile(FileDialogSettings& d)
{
    record("save", d.filter, d.defaultExt);
    const QString name = saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
    if (!name.isEmpty()) d.fileName = name;
    return name;
}
int RecordingDialogs::execModal(QDialog* dialog)
{
    record("modal", dialog->objectName(), dialog->windowTitle());
    return onModal ? onModal(dialog) : int(QDialog::Accepted);
}

AppFixture::AppFixture(const QString& lib, const QString& simLib) : library(lib), sim(simLib)
{
    oldDir_ = QDir::currentPath();
    QDir::setCurrent(dir_.path());
    sim.reset();
}

AppFixture::~AppFixture()
{
    if (created_) DestroyAppWindows();
    QDir::setCurrent(oldDir_);
}

void AppFixture::writeFile(const QString& name, const QByteArray& bytes)
{
    QFile f(path(name));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) qFatal("cannot write %s", qPrintable(name));
    f.write(bytes);
}

QByteArray AppFixture::readFile(const QString& name) const
{
    QFile f(QDir::isAbsolutePath(name) ? name : path(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
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

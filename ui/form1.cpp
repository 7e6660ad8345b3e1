// The main window's life: creation, the start-up sequence, close, the
// connection indicator, the image buttons and Exit.

#include "TForm1.h"

#include "dialogs.h"
#include "globals.h"
#include "splashform.h"
#include "widgets.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>

TForm1::TForm1(const QString& libraryName, Dialogs* dialogs, QWidget* parent)
    : QMainWindow(parent), libraryName_(libraryName)
{
    if (!dialogs) {
        ownDialogs_ = std::make_unique<QtDialogs>(this);
        dialogs = ownDialogs_.get();
    }
    dialogs_ = dialogs;
    board_.wait = [this](int ms) { busyWait(ms); };
    board_.question = [this](const QString& text, const QString& caption) {
        return dialogs_->question(text, caption);
    };
    buildLayout();
    connectHandlers();
    listenToBoard();
    guarded([this] { FormCreate(); });
}

TForm1::~TForm1() = default;

// What the board reports, shown: boxes, the history log, the connection
// state, the busy window, and the panel whenever the image changed as a
// whole. (The register map window listens to the board itself.)
void TForm1::listenToBoard()
{
    connect(&board_, &evm::Board::report, this, [this](const evm::Report& r) { showReport(r); });
    connect(&board_, &evm::Board::historyLine, this, &TForm1::AppendHistory);
    connect(&board_, &evm::Board::connectionChanged, this, [this](bool open) {
        StatusBar1->showMessage(open ? QStringLiteral("Ready") : QStringLiteral("No EVM was found"));
        ShowConnection(open ? 1 : 0);
    });
    connect(&board_, &evm::Board::busy, this, [](const QString& text, int step, int steps) {
        if (!SplashForm) return;
        SplashForm->Label1->setText(text);
        QProgressBar* bar = SplashForm->ProgressBar1;
        if (steps > 0) {
            bar->setRange(0, steps);
            bar->setValue(step);
            SplashForm->repaint();
            bar->setVisible(true);
        } else {
            bar->setValue(0);
            bar->hide();
            showPainted(SplashForm);
        }
    });
    connect(&board_, &evm::Board::busyStep, this, [](int step) {
        if (SplashForm) SplashForm->ProgressBar1->setValue(step);
    });
    connect(&board_, &evm::Board::busyEnded, this, [] {
        if (SplashForm) SplashForm->hide();
    });
    connect(&board_, &evm::Board::registersChanged, this, &TForm1::RefreshControls);
    connect(&board_, &evm::Board::registersReset, this, [this] {
        RefreshControls();
        btnZeroClrClick();
    });
}

// Each kind of report in the box the program has always used for it.
void TForm1::showReport(const evm::Report& r)
{
    if (reportsElsewhere && reportsElsewhere()) return;
    switch (r.category) {
    case evm::ReportCategory::Communication:
    case evm::ReportCategory::Settings:
        dialogs_->message(r.text);
        break;
    case evm::ReportCategory::Script:
    case evm::ReportCategory::Connection:
        dialogs_->errorBox(r.text, r.caption);
        break;
    case evm::ReportCategory::File:
        reportError(r.text);
        break;
    }
}

void TForm1::reportError(const QString& text)
{
    dialogs_->generalError(apperr::withFullStop(text));
}

void TForm1::FormCreate()
{
    TrackReady = true;

    TImageButton* buttons[7] = {nullptr, nullptr, imgSave, imgClear, imgRead, imgWrite, imgExit};
    for (int i = 0; i < 7; ++i) {
        imageButtons[i] = {};
        if (TImageButton* b = buttons[i]) {
            imageButtons[i] = {b->x(), b->y(), b};
            b->resize(b->width(), 24);
        }
    }

    for (int n = 0; n < 8; ++n) ZeroLamps[n] = findChild<QLabel*>(QStringLiteral("ZERO%1").arg(n + 1));

    LoadSettings(); // selects the interface and the address item
    cbAddr->setEnabled(rgInterface->itemIndex() == 0);

    FillAttenuation();
    FillBindings();
    btnZeroClrClick();
}

bool TForm1::event(QEvent* e)
{
    // The status bar holds the connection state. Qt would replace it with the
    // (empty) status tip of every menu item the pointer passes over.
    if (e->type() == QEvent::StatusTip) return true;
    return QMainWindow::event(e);
}

void TForm1::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    if (shown_) return;
    shown_ = true;
    // The start-up sequence runs once the window is on the screen, so that it
    // can be closed during a long start-up script.
    QMetaObject::invokeMethod(this, &TForm1::startUp, Qt::QueuedConnection);
}

void TForm1::startUp()
{
    if (!board_.isClosed()) emit startingUp();
    if (!board_.isClosed()) guarded([this] { FormShow(); });
}

void TForm1::busyWait(int ms)
{
    if (board_.isClosed() || ms <= 0) return;
    // Paint, expose and timer events go on, so every window stays drawn; user
    // input is dropped while the board is busy. A close ends the wait at once,
    // also the window manager's, which an ExcludeUserInputEvents loop would
    // hold back on X11.
    UserInputBlock noInput;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &TForm1::closing, &loop, &QEventLoop::quit);
    timer.start(ms);
    loop.exec();
}

// The start-up sequence is the board's; the window shows it through the
// busy window, the connection indicator, the boxes and the panel.
void TForm1::FormShow()
{
    Memo1->clear();
    const std::unique_ptr<evm::ScriptEvents> progress = scriptEvents(false);
    evm::StartOptions o;
    o.library = libraryName_;
    o.startupScript = QStringLiteral("startup.csv");
    o.scriptEvents = progress.get();
    o.dac = roleShown(cbDACMasterSlave);
    o.adc = roleShown(cbADCMasterSlave);
    board_.startUp(o);
}

void TForm1::ShowConnection(int index)
{
    if (ImageList2 && index >= 0 && index < ImageList2->images.size())
        imgConnection->setPixmap(ImageList2->images[index]);
    imgConnection->setProperty("connectionIndex", index);
    imgConnection->repaint();
}

void TForm1::closeEvent(QCloseEvent* e)
{
    // The board closes once, however many close requests come.
    guarded([this] { FormClose(); });
    emit closing();
    e->accept();
    // Closing the main window ends the program, whatever else is open. Queued,
    // so that it also takes effect when the close came before the event loop
    // ran, or inside an operation's wait.
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

void TForm1::FormClose()
{
    // _close, the library unloaded, the settings file flushed; an operation
    // interrupted by the close sends nothing more.
    board_.close();
}

void TForm1::imgMouseDown(TImageButton* sender)
{
    const ImageButtonEntry& e = imageButtons[tagOf(sender)];
    sender->setGeometry(e.left + 1, e.top + 1, sender->width(), 23);
}

void TForm1::imgMouseUp(TImageButton* sender)
{
    const ImageButtonEntry& e = imageButtons[tagOf(sender)];
    sender->setGeometry(e.left, e.top, sender->width(), 24);
}

void TForm1::ExitClick()
{
    close();
}

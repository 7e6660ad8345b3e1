// The main window's life: creation, the start-up sequence, close, the
// connection indicator, the image buttons and Exit.

#include "ui/TForm1.h"

#include "ui/dialogs.h"
#include "ui/globals.h"
#include "ui/splashform.h"
#include "ui/widgets.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
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
    board_.Wait = [this](int ms) { busyWait(ms); };
    board_.Question = [this](const QString& text, const QString& caption) {
        return dialogs_->question(text, caption);
    };
    buildLayout();
    connectHandlers();
    listenToBoard();
    guarded([this] { FormCreate(); });
}

TForm1::~TForm1() = default;

// What the board reports, shown: boxes, the history log, the connection
// state, the busy window, and the panel after a reset. (The register map
// window listens to the board itself.)
void TForm1::listenToBoard()
{
    connect(&board_, &evm::Board::report, this,
            [this](evm::ReportKind kind, const QString& text, const QString& caption) {
                if (kind == evm::ReportKind::ErrorBox)
                    dialogs_->errorBox(text, caption);
                else
                    dialogs_->message(text);
            });
    connect(&board_, &evm::Board::historyLine, this, &TForm1::AppendHistory);
    connect(&board_, &evm::Board::connectionChanged, this, [this](bool open) {
        StatusBar1->showMessage(open ? QStringLiteral("Ready") : QStringLiteral("No EVM was found"));
        ShowConnection(open ? 1 : 0);
    });
    connect(&board_, &evm::Board::busy, this, [](const QString& text) {
        if (!SplashForm) return;
        SplashForm->Label1->setText(text);
        SplashForm->ProgressBar1->setValue(0);
        SplashForm->ProgressBar1->hide();
        showPainted(SplashForm);
    });
    connect(&board_, &evm::Board::busyEnded, this, [] {
        if (SplashForm) SplashForm->hide();
    });
    connect(&board_, &evm::Board::registersReset, this, [this] {
        RefreshControls();
        btnZeroClrClick();
    });
}

void TForm1::reportError(const QString& text)
{
    dialogs_->generalError(apperr::withFullStop(text));
}

void TForm1::FormCreate()
{
    board_.bus.unload();
    board_.ErrorShown = false;
    board_.SuppressWrites = true;
    board_.LogHistory = false;
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

    evmlink::initLinkSettings(board_.linkSettings);
    LoadSettings(); // selects the interface, DeviceAddress and the address item
    cbAddr->setEnabled(rgInterface->itemIndex() == 0);
    board_.ApplyInterface();

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
    if (!closed_) emit startingUp();
    if (!closed_) guarded([this] { FormShow(); });
}

void TForm1::busyWait(int ms)
{
    if (closed_ || ms <= 0) return;
    // Paint, expose and timer events go on, so every window stays drawn; user
    // input waits until the operation is over. A close ends the wait at once.
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &TForm1::closing, &loop, &QEventLoop::quit);
    timer.start(ms);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void TForm1::FormShow()
{
    Memo1->clear();
    if (SplashForm) {
        SplashForm->setText(QStringLiteral("Loading..."));
        showPainted(SplashForm);
    }
    auto hideSplash = [] {
        if (SplashForm) SplashForm->hide();
    };

    board_.image.fillMask();

    switch (board_.loadLibrary(libraryName_)) {
    case HxBusLibrary::LoadResult::NotFound:
        hideSplash();
        dialogs_->errorBox(QStringLiteral("Cannot load DLL"), QStringLiteral("DLL error"));
        return;
    case HxBusLibrary::LoadResult::Invalid:
        hideSplash();
        dialogs_->errorBox(QStringLiteral("Invalid DLL"), QStringLiteral("DLL error"));
        return;
    case HxBusLibrary::LoadResult::Loaded:
        break;
    }

    board_.SuppressWrites = true;
    if (board_.open() == 0) {
        hideSplash();
        StatusBar1->showMessage(QStringLiteral("No EVM was found"));
        ShowConnection(0);
        dialogs_->errorBox(QStringLiteral("No EVM was found"), QStringLiteral("Error"));
        board_.ResetRegisterImage();
        RefreshControls();
        return;
    }

    StatusBar1->showMessage(QStringLiteral("Ready"));
    ShowConnection(1);
    QProgressBar* bar = SplashForm ? SplashForm->ProgressBar1 : nullptr;
    if (SplashForm) {
        SplashForm->Label1->setText(QStringLiteral("Initializing..."));
        bar->setRange(0, 30);
        bar->setValue(0);
        bar->setVisible(true);
        SplashForm->repaint();
    }

    board_.SuppressWrites = false;
    WriteBoardSetup();

    board_.SuppressWrites = true;
    board_.readBack([bar](int i) {
        if (bar) bar->setValue(i);
    });
    board_.SuppressWrites = false;

    if (QFileInfo(QStringLiteral("startup.csv")).isFile()) RunScript(QStringLiteral("startup.csv"), false);
    if (closed_) { // closed during a wait of the start-up script
        hideSplash();
        return;
    }
    RefreshControls();
    hideSplash();
    board_.LogHistory = true;
}

void TForm1::WriteBoardSetup()
{
    board_.WriteBoardSetup(cbDACMasterSlave->currentIndex(), cbADCMasterSlave->currentIndex());
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
    if (!closed_) {
        closed_ = true;
        guarded([this] { FormClose(); });
        emit closing();
    }
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

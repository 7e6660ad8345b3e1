#pragma once
// The main window: the view of the board. It holds the evm::Board that owns
// the link, the register image and every operation on the chip, and keeps the
// window's own behaviour: the layout, the bindings of the panel controls to
// the image (RefreshControls and the control handlers), the dialogs, and the
// busy and progress windows that follow the board.

#include "bindingtables.h"
#include "board.h"
#include "registermap.h"
#include "bindings.h"
#include "tabrows.h"

#include <QHash>
#include <QMainWindow>
#include <QPixmap>
#include <QVector>

#include <array>
#include <functional>
#include <memory>

class Dialogs;
class FileDialogSettings;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QStatusBar;
class TEdit;
class TImageButton;
class TRadioGroup;
class TTrackBar;

// A list of equally sized pictures (ImageList1, ImageList2).
class TImageList : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    QVector<QPixmap> images;
};

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // libraryName: the board access library, loaded by that bare name.
    // dialogs: message boxes and file dialogs; null = the real ones.
    explicit TForm1(const QString& libraryName = QStringLiteral("HxBus"), Dialogs* dialogs = nullptr,
                    QWidget* parent = nullptr);
    ~TForm1() override;

    // The board behind the window: link, register image, transport and its
    // flags, settings file, resets, scripts and snapshot.
    evm::Board& board() { return board_; }
    const evm::Board& board() const { return board_; }

    // ---- Window state ------------------------------------------------------------
    bool TrackReady = false;
    struct ImageButtonEntry {
        std::int32_t left = 0, top = 0;
        TImageButton* button = nullptr;
    };
    std::array<ImageButtonEntry, 7> imageButtons{};
    std::array<BitBinding, bind::kCheckTagCount> CheckBindings{};
    std::array<FieldBinding, bind::kComboCount> ComboBindings{};
    std::array<BitBinding, bind::kRadioCount> RadioBindings{};
    std::array<AttenuationChannel, bind::kChannelCount + 1> AttenuationChannels{}; // Tags 1..8
    std::array<QLabel*, 8> ZeroLamps{};
    // The window has been closed (or the program told to end): an operation
    // that was waiting stops instead of going on.
    bool isClosed() const { return board_.isClosed(); }
    Dialogs& dialogs() { return *dialogs_; }
    const QString& libraryName() const { return libraryName_; }

    // ---- Controls the logic uses (all created by the layout) -------------------
    TTabRows* MainTab = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* imgConnection = nullptr;
    TRadioGroup* rgInterface = nullptr;
    QComboBox* cbAddr = nullptr;
    QComboBox* cbDACMasterSlave = nullptr;
    QComboBox* cbADCMasterSlave = nullptr;
    TRadioGroup* rgDACAttMode = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    TEdit* RDA_reg = nullptr;
    TEdit* RDA_data = nullptr;
    TImageButton* imgSave = nullptr;
    TImageButton* imgClear = nullptr;
    TImageButton* imgRead = nullptr;
    TImageButton* imgWrite = nullptr;
    TImageButton* imgExit = nullptr;
    FileDialogSettings* OpenDialog1 = nullptr;
    FileDialogSettings* SaveDialog1 = nullptr;
    TImageList* ImageList1 = nullptr; // lamps: 0 unlit, 1 red, 2 green
    TImageList* ImageList2 = nullptr; // connection plates: 0 No EVM, 1 Connected
    // Any control of the window by its name.
    QWidget* control(const QString& name) const { return controls_.value(name); }

    // ---- Life, layout, image buttons, About -----------------------------------------
    void FormCreate();
    void FormShow();
    void FormClose();
    void ShowConnection(int index);
    void imgMouseDown(TImageButton* sender);
    void imgMouseUp(TImageButton* sender);
    void ExitClick();
    void About2Click();
    // Runs a handler as one operation: the first communication error in it is
    // reported, later ones are not; an error that escapes it goes to the
    // general error report.
    template <class F> void guarded(F&& f);
    void reportError(const QString& text);
    void showReport(const evm::Report& r);
    // While it answers true, reports are not shown: someone else (a remote
    // client's error queue) receives them.
    std::function<bool()> reportsElsewhere;
    // The clock role a master/slave box shows: its first item is slave.
    static evm::Role roleShown(const QComboBox* box);

    // ---- Interface, address, resets and reconnect --------------------------------
    void LoadSettings();
    void rgInterfaceClick();
    void cbAddrChange();
    void btnMRSTClick();
    void btnSRSTClick();
    void bBDRSTClick();

    // ---- Panel bindings, attenuation, zero lamps -----------------------------------
    void FillBindings();    // CheckBindings, ComboBindings, RadioBindings
    void FillAttenuation(); // AttenuationChannels
    void RefreshControls();
    void CheckBoxChecked(QCheckBox* sender);
    void ComboBoxChange(QComboBox* sender);
    void RadioGroupClick(TRadioGroup* sender);
    void TrackChange(TTrackBar* sender);
    void TrackEditKeyUp(TEdit* sender, int key);
    void AttenuationRangeUpdate();
    QString dbText(int value) const; // "0.0" pattern, factor from the image of 0x46
    void btnZeroClrClick();
    void btnZeroReadClick();

    // ---- Scripts, snapshot, direct access, history --------------------------------
    void RunScript(const QString& fileName, bool showProgress);
    // What a script run tells the progress dialog (shown or not) and the panel.
    std::unique_ptr<evm::ScriptEvents> scriptEvents(bool showProgress);
    void Open1Click();
    void SaveRegisterDumpClick();
    void ReadClick();
    void WriteClick();
    void RDA_regKeyUp(int key);
    void RDA_dataKeyUp(int key);
    void KeyPressStopBeep(QChar ch, bool* swallow);
    void bClearHistryClick();
    void bSaveHistryClick();
    void AppendHistory(const QString& line);

    // ---- Register map (menu) ---------------------------------------------------------
    void RegisterMap1Click();

signals:
    // The main window is being closed; a wait in progress ends.
    void closing();
    // The start-up sequence (FormShow) is about to run, once the window is up.
    void startingUp();

protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void buildLayout();     // form1_layout.cpp: every control, menu, pictures
    void connectHandlers(); // form1_wiring.cpp
    void listenToBoard();   // form1.cpp: what the board reports, shown
    void registerControl(QWidget* w) { controls_.insert(w->objectName(), w); }
    friend class Form1Builder;

    evm::Board board_;
    QString libraryName_;
    std::unique_ptr<Dialogs> ownDialogs_;
    Dialogs* dialogs_ = nullptr;
    QHash<QString, QWidget*> controls_;
    void busyWait(int ms);
    void startUp();

    bool shown_ = false;
};

#include "apperror.h"

template <class F> void TForm1::guarded(F&& f)
{
    // A handler raised from inside another (a control set by RefreshControls)
    // belongs to the outer operation and keeps its error state.
    board_.operation([&] {
        try {
            f();
        } catch (const AppError& e) {
            reportError(e.text());
        } catch (const std::exception& e) {
            reportError(QString::fromLocal8Bit(e.what()));
        }
    });
}

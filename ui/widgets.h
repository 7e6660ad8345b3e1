#pragma once
// Small control classes that give Qt widgets the event behaviour the panel
// relies on.

#include <QButtonGroup>
#include <QDialog>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QStringList>

class QRadioButton;

// The integer every panel control carries; handlers index their tables by it.
int tagOf(const QObject* control);
void setTag(QObject* control, int tag);

// Call from a dialog's showEvent, after the base class has placed it: the
// window manager then keeps the dialog above the main window ("Form1"), and
// minimises and restores it with the main window (WM_TRANSIENT_FOR on X11).
// Without it Qt makes a parentless dialog transient for its hidden group leader.
void belongToMainWindow(QWidget* dialog);

// A titled group of radio buttons, one item selected. click() fires whenever
// the selected item changes, from the user or from code.
class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    TRadioGroup(const QString& title, const QStringList& items, int columns, QWidget* parent = nullptr);
    int itemIndex() const { return group_.checkedId(); }
    void setItemIndex(int index);
    int count() const { return int(group_.buttons().size()); }
    QRadioButton* button(int index) const;

signals:
    void click();

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    void placeButtons();
    QButtonGroup group_;
    int columns_;
};

// A track bar: change() fires at every position change (also from code, and
// when a new minimum clamps the position), and once more when a drag or a key
// press ends, as the platform's scroll notifications do.
class TTrackBar : public QSlider {
    Q_OBJECT
public:
    explicit TTrackBar(QWidget* parent = nullptr);

signals:
    void change();

protected:
    bool event(QEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    void endPress();
    bool pressed_ = false;     // a mouse press on the bar is in progress
    bool interrupted_ = false; // a modal box came up during the last press
};

// A picture that acts as a button: mouseDown/mouseUp for any mouse button,
// click() only for a left press and release over the picture. Tab reaches it
// (a mouse click leaves the focus where it was); Space works it as a left
// button does, Enter clicks it at once.
class TImageButton : public QLabel {
    Q_OBJECT
public:
    explicit TImageButton(QWidget* parent = nullptr);
    // Runs the click, as Enter or an assistive tool's press action asks.
    void trigger() { emit click(); }

signals:
    void mouseDown();
    void mouseUp();
    void click();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    bool leftDown_ = false;
    bool spaceDown_ = false;
};

// A one-line edit with key-press and key-release events. A key-press handler
// sets *swallow to drop the character before the field sees it. keyUp comes
// only for a key whose press came to this field: the Enter that dismisses a
// message box is pressed in the box and released here.
class TEdit : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

signals:
    void keyPress(QChar ch, bool* swallow);
    void keyUp(int key);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    QList<int> pressed_; // keys pressed here and not yet released
};

// Qt offers a tooltip request that a widget leaves unanswered to its parent,
// so a label in a group would show the group's hint. A control passed here
// answers the request itself: with its own hint, or with none at all.
void showOwnHintOnly(QWidget* control);

// The title bar of a fixed-size dialog or message box: caption and a close
// button, no minimise or maximise.
inline constexpr Qt::WindowFlags kFixedDialogFlags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint |
                                                     Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                                     Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

// A window without a Cancel button: Escape closes nothing (a QDialog would
// reject itself); its own buttons and the title bar's close box do.
class TNoEscapeDialog : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;

protected:
    void keyPressEvent(QKeyEvent* e) override;
};

// While it lives, clicks, key presses and other user input to any window of
// the program are dropped; everything else (paint, timers, the window
// manager's close request) is handled as usual. A wait that must let the
// close through uses this instead of QEventLoop::ExcludeUserInputEvents:
// Qt's X11 backend counts WM_DELETE_WINDOW as user input and would hold the
// close back until the wait is over.
class UserInputBlock : public QObject {
public:
    UserInputBlock();
    ~UserInputBlock() override;
    UserInputBlock(const UserInputBlock&) = delete;
    UserInputBlock& operator=(const UserInputBlock&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
};

// Returns once a shown top-level window is on the screen (exposed), or after
// a time limit if no window manager maps it; events other than user input are
// handled meanwhile. On X11 a window just shown is mapped, framed and placed
// by the window manager only when the program's event loop turns.
void waitUntilExposed(QWidget* window);

// Enter in either of its two forms.
bool isEnterKey(int key);

// A face of the given family and pixel height. Arial Black is asked for with
// its black weight too, so that where it is substituted the stand-in is heavy.
QFont pixelFont(const QString& family, int pixels);

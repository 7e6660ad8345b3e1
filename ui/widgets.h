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
    void keyReleaseEvent(QKeyEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
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
// sets *swallow to drop the character before the field sees it.
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
};

// Qt offers a tooltip request that a widget leaves unanswered to its parent,
// so a label in a group would show the group's hint. A control passed here
// answers the request itself: with its own hint, or with none at all.
void showOwnHintOnly(QWidget* control);

// A window without a Cancel button: Escape closes nothing (a QDialog would
// reject itself); its own buttons and the title bar's close box do.
class TNoEscapeDialog : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;

protected:
    void keyPressEvent(QKeyEvent* e) override;
};

// Enter in either of its two forms.
bool isEnterKey(int key);

// A face of the given family and pixel height. Arial Black is asked for with
// its black weight too, so that where it is substituted the stand-in is heavy.
QFont pixelFont(const QString& family, int pixels);

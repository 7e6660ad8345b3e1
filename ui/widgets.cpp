#include "widgets.h"

#include "groupboxstyle.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QRadioButton>
#include <QTimer>
#include <QToolTip>
#include <QVariant>
#include <QWindow>

#include <utility>

int tagOf(const QObject* control)
{
    return control ? control->property("Tag").toInt() : 0;
}
void setTag(QObject* control, int tag)
{
    control->setProperty("Tag", tag);
}

QFont pixelFont(const QString& family, int pixels)
{
    QFont f(family);
    f.setPixelSize(pixels);
    if (family == QLatin1String("Arial Black")) f.setWeight(QFont::Black);
    return f;
}

bool isEnterKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

TRadioGroup::TRadioGroup(const QString& title, const QStringList& items, int columns, QWidget* parent)
    : QGroupBox(title, parent), columns_(columns < 1 ? 1 : columns)
{
    frameThroughCaption(this); // placeButtons() puts the first row just below the caption
    group_.setExclusive(true);
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], this);
        group_.addButton(b, i);
    }
    connect(&group_, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked) emit click();
    });
    placeButtons();
}

void TRadioGroup::setItemIndex(int index)
{
    if (index == itemIndex()) return;
    if (QAbstractButton* b = group_.button(index)) {
        b->setChecked(true);
    } else if (QAbstractButton* cur = group_.checkedButton()) {
        group_.setExclusive(false);
        cur->setChecked(false);
        group_.setExclusive(true);
    }
}

QRadioButton* TRadioGroup::button(int index) const
{
    return static_cast<QRadioButton*>(group_.button(index));
}

void TRadioGroup::resizeEvent(QResizeEvent* e)
{
    QGroupBox::resizeEvent(e);
    placeButtons();
}

// Items in columns, filled top to bottom, as the platform's radio group lays them out.
void TRadioGroup::placeButtons()
{
    const auto buttons = group_.buttons();
    const int n = int(buttons.size());
    if (n == 0) return;
    const int rows = (n + columns_ - 1) / columns_;
    const int top = 16, left = 8, bottom = 4;
    const int colWidth = (width() - left - 4) / columns_;
    const int rowHeight = qMax(16, (height() - top - bottom) / rows);
    for (int i = 0; i < n; ++i) {
        const int col = i / rows, row = i % rows;
        group_.button(i)->setGeometry(left + col * colWidth, top + row * rowHeight, colWidth - 2,
                                      qMin(rowHeight, 20));
    }
}

namespace {
// Track bars draw a thumb 14 pixels long, whatever the style's own length.
class TrackBarStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric m, const QStyleOption* o, const QWidget* w) const override
    {
        return m == PM_SliderLength ? 14 : QProxyStyle::pixelMetric(m, o, w);
    }
};
} // namespace

TTrackBar::TTrackBar(QWidget* parent) : QSlider(Qt::Horizontal, parent)
{
    static QPointer<TrackBarStyle> style;
    if (!style) {
        style = new TrackBarStyle;
        style->setParent(QCoreApplication::instance()); // one for all bars, gone with the application
    }
    setStyle(style);
    connect(this, &QSlider::valueChanged, this, &TTrackBar::change);
}

void TTrackBar::keyReleaseEvent(QKeyEvent* e)
{
    QSlider::keyReleaseEvent(e);
    switch (e->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        if (!e->isAutoRepeat()) emit change(); // end of the key scroll
        break;
    default:
        break;
    }
}

// A change that shows a message box (a failed write) blocks the window: the
// button's release goes to the box, so the bar would keep its press, and its
// page repeat would step on behind the box and write again after it. The
// press ends when the box comes up, without the change at its end: one click,
// one write, one report.
bool TTrackBar::event(QEvent* e)
{
    if (e->type() == QEvent::WindowBlocked && pressed_) {
        interrupted_ = true;
        endPress();
    }
    return QSlider::event(e);
}

void TTrackBar::endPress()
{
    pressed_ = false;
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(), QPointF(), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QSlider::mouseReleaseEvent(&release); // stops the repeat, lets the handle go
}

void TTrackBar::mousePressEvent(QMouseEvent* e)
{
    pressed_ = e->button() == Qt::LeftButton;
    interrupted_ = false;
    QSlider::mousePressEvent(e);
    // The slider arms its page repeat after the first step, when a box that
    // step raised has already been answered.
    if (interrupted_) setRepeatAction(SliderNoAction);
}

void TTrackBar::mouseReleaseEvent(QMouseEvent* e)
{
    const bool own = pressed_ && e->button() == Qt::LeftButton;
    if (own) pressed_ = false;
    QSlider::mouseReleaseEvent(e);
    if (own) emit change(); // end of the drag or page click
}

TImageButton::TImageButton(QWidget* parent) : QLabel(parent)
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop); // drawn unscaled from the top-left corner
    setFocusPolicy(Qt::TabFocus);
}

void TImageButton::mousePressEvent(QMouseEvent* e)
{
    leftDown_ = e->button() == Qt::LeftButton;
    emit mouseDown();
}

// The second press of a double click shows the pressed look but is no click:
// a double click on Write writes once.
void TImageButton::mouseDoubleClickEvent(QMouseEvent*)
{
    leftDown_ = false;
    emit mouseDown();
}

void TImageButton::mouseReleaseEvent(QMouseEvent* e)
{
    // The picture moves while pressed; test the release against where it was.
    const bool inside = rect().adjusted(-1, -1, 1, 1).contains(e->position().toPoint());
    const bool wasLeft = leftDown_ && e->button() == Qt::LeftButton;
    leftDown_ = false;
    emit mouseUp();
    if (wasLeft && inside) emit click();
}

// Space is the left button: the pressed look while it is down, the click when
// it comes up. Enter clicks at once, as on a focused desktop button.
void TImageButton::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Space && e->modifiers() == Qt::NoModifier) {
        if (!e->isAutoRepeat() && !spaceDown_) {
            spaceDown_ = true;
            emit mouseDown();
        }
        return;
    }
    if (isEnterKey(e->key()) && !(e->modifiers() & ~Qt::KeypadModifier)) {
        if (!e->isAutoRepeat()) emit click();
        return;
    }
    QLabel::keyPressEvent(e);
}

void TImageButton::keyReleaseEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Space && !e->isAutoRepeat() && spaceDown_) {
        spaceDown_ = false;
        emit mouseUp();
        emit click();
        return;
    }
    QLabel::keyReleaseEvent(e);
}

// The focus left while Space was down: back in place, no click.
void TImageButton::focusOutEvent(QFocusEvent* e)
{
    if (std::exchange(spaceDown_, false)) emit mouseUp();
    QLabel::focusOutEvent(e);
}

// A dotted line inside the plate shows the focus, as on desktop buttons; the
// plate is dark, so the line is white.
void TImageButton::paintEvent(QPaintEvent* e)
{
    QLabel::paintEvent(e);
    if (!hasFocus()) return;
    QPainter p(this);
    p.setPen(QPen(Qt::white, 1, Qt::DotLine));
    p.drawRect(rect().adjusted(3, 3, -4, -4));
}

void TEdit::keyPressEvent(QKeyEvent* e)
{
    if (!e->isAutoRepeat() && !pressed_.contains(e->key())) pressed_.append(e->key());
    bool swallow = false;
    const QString t = e->text();
    emit keyPress(t.isEmpty() ? QChar() : t.front(), &swallow);
    if (swallow) {
        e->accept();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

void TEdit::keyReleaseEvent(QKeyEvent* e)
{
    QLineEdit::keyReleaseEvent(e);
    if (!e->isAutoRepeat() && pressed_.removeOne(e->key())) emit keyUp(e->key());
}

// A key held while the focus leaves is released elsewhere.
void TEdit::focusOutEvent(QFocusEvent* e)
{
    pressed_.clear();
    QLineEdit::focusOutEvent(e);
}

namespace {
class OwnHintOnly : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() != QEvent::ToolTip || !static_cast<QWidget*>(watched)->toolTip().isEmpty())
            return false;
        QToolTip::hideText();
        e->accept(); // answered: not passed on to the parent
        return true;
    }
};
} // namespace

void showOwnHintOnly(QWidget* control)
{
    static QPointer<OwnHintOnly> filter;
    if (!filter) {
        filter = new OwnHintOnly;
        filter->setParent(QCoreApplication::instance()); // one for all controls, gone with the application
    }
    control->installEventFilter(filter);
}

UserInputBlock::UserInputBlock()
{
    QCoreApplication::instance()->installEventFilter(this);
}

UserInputBlock::~UserInputBlock()
{
    QCoreApplication::instance()->removeEventFilter(this);
}

bool UserInputBlock::eventFilter(QObject*, QEvent* e)
{
    switch (e->type()) {
    case QEvent::ShortcutOverride:
        e->accept(); // taken by the focus widget: no menu shortcut fires either
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::NativeGesture:
        return true;
    default:
        return false;
    }
}

namespace {
// Ends a local event loop when the watched window is exposed.
class ExposeWatch : public QObject {
public:
    ExposeWatch(QWindow* window, QEventLoop* loop) : window_(window), loop_(loop)
    {
        window->installEventFilter(this);
    }
    ~ExposeWatch() override { window_->removeEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Expose && window_->isExposed()) loop_->quit();
        return false;
    }

private:
    QWindow* window_;
    QEventLoop* loop_;
};

// Longest wait for a window manager to map the window before the work starts
// anyway; under an ordinary desktop this takes a few milliseconds.
constexpr int kExposeTimeoutMs = 2000;
} // namespace

void waitUntilExposed(QWidget* window)
{
    QWindow* handle = window->windowHandle();
    if (!handle || !window->isVisible() || handle->isExposed()) return;
    QEventLoop loop;
    ExposeWatch watch(handle, &loop);
    QTimer::singleShot(kExposeTimeoutMs, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void TNoEscapeDialog::keyPressEvent(QKeyEvent* e)
{
    if (e->matches(QKeySequence::Cancel)) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

void belongToMainWindow(QWidget* dialog)
{
    // Not a Qt parent: the dialogs stay windows of their own, made in the
    // program's fixed order, and keep the place they choose themselves.
    QWindow* own = dialog->windowHandle();
    if (!own) return;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != dialog && w->objectName() == QLatin1String("Form1") && w->windowHandle()) {
            own->setTransientParent(w->windowHandle());
            return;
        }
    }
}

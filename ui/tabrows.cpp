#include "tabrows.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QShortcut>
#include <QStackedWidget>
#include <QStyleOptionTab>
#include <QStylePainter>

#include <algorithm>

TTabRows::TTabRows(QWidget* parent) : QWidget(parent), stack_(new QStackedWidget(this))
{
    setFocusPolicy(Qt::StrongFocus); // a click on a tab focuses the control, as on the desktop
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    // Ctrl+Tab and Ctrl+Shift+Tab turn the pages from anywhere inside the
    // control, as dialog keys do on the desktop: a shortcut sees them before
    // the focused control, which might keep them (a combo box searches its
    // items for the tab character).
    auto* next = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), this);
    auto* previous = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), this);
    for (QShortcut* s : {next, previous}) s->setContext(Qt::WidgetWithChildrenShortcut);
    connect(next, &QShortcut::activated, this, [this] { turnPage(1); });
    connect(previous, &QShortcut::activated, this, [this] { turnPage(-1); });
    connect(stack_, &QStackedWidget::currentChanged, this, &TTabRows::pageChanged);
    connect(stack_, &QStackedWidget::widgetRemoved, this, &TTabRows::pageRemoved);
    layoutTabs();
}

int TTabRows::addTab(QWidget* page, const QString& text)
{
    tabs_.append(Tab{text});
    stack_->addWidget(page); // the first page becomes current and announces itself
    layoutTabs();
    return count() - 1;
}

int TTabRows::indexOf(const QWidget* page) const
{
    return stack_->indexOf(page);
}

QWidget* TTabRows::widget(int index) const
{
    return stack_->widget(index);
}

QString TTabRows::tabText(int index) const
{
    return index >= 0 && index < count() ? tabs_[index].text : QString();
}

int TTabRows::currentIndex() const
{
    return stack_->currentIndex();
}

QWidget* TTabRows::currentWidget() const
{
    return stack_->currentWidget();
}

void TTabRows::setCurrentIndex(int index)
{
    if (index >= 0 && index < count()) stack_->setCurrentIndex(index);
}

void TTabRows::pageChanged(int index)
{
    // While a page is being removed the stack reports the new current page
    // before the removal; the tabs are laid out again right after.
    if (index >= 0 && index < count()) frontRow_ = tabs_[index].row;
    update();
#if QT_CONFIG(accessibility)
    // Screen readers follow the selected tab (children 0..count-1 are the tabs).
    if (QAccessible::isActive() && index >= 0 && index < count()) {
        if (hasFocus()) {
            QAccessibleEvent focus(this, QAccessible::Focus);
            focus.setChild(index);
            QAccessible::updateAccessibility(&focus);
        }
        QAccessibleEvent selection(this, QAccessible::Selection);
        selection.setChild(index);
        QAccessible::updateAccessibility(&selection);
    }
#endif
    emit currentChanged(index);
}

void TTabRows::pageRemoved(int index)
{
    if (index >= 0 && index < count()) tabs_.removeAt(index);
    layoutTabs();
}

// Rows from the top: the back rows, then the row next to the page. Selecting
// a tab rotates the rows, so they keep their order round the cycle.
int TTabRows::rowTop(int row) const
{
    const int turn = (row - frontRow_ + rows_) % rows_; // 0 = next to the page
    return (rows_ - 1 - turn) * rowHeight_;
}

QRect TTabRows::tabRect(int index) const
{
    if (index < 0 || index >= count()) return {};
    const Tab& t = tabs_[index];
    return QRect(t.left, rowTop(t.row), t.width, rowHeight_);
}

int TTabRows::tabAt(const QPoint& pos) const
{
    for (int i = 0; i < count(); ++i)
        if (tabRect(i).contains(pos)) return i;
    return -1;
}

// The size a one-row tab bar gives a tab with this caption.
QSize TTabRows::tabSizeFor(const QString& text) const
{
    QStyleOptionTab opt;
    opt.initFrom(this);
    opt.shape = QTabBar::RoundedNorth;
    opt.text = text;
    const int hspace = style()->pixelMetric(QStyle::PM_TabBarTabHSpace, &opt, this);
    const int vspace = style()->pixelMetric(QStyle::PM_TabBarTabVSpace, &opt, this);
    const QFontMetrics fm = fontMetrics();
    const QSize contents(fm.size(Qt::TextShowMnemonic, text).width() + hspace, fm.height() + vspace);
    return style()->sizeFromContents(QStyle::CT_TabBarTab, &opt, contents, this);
}

void TTabRows::layoutTabs()
{
    const int width = std::max(1, this->width());
    QList<int> rowWidths;
    rowHeight_ = tabSizeFor(QString()).height();
    int x = 0;
    for (Tab& t : tabs_) {
        const QSize s = tabSizeFor(t.text);
        rowHeight_ = std::max(rowHeight_, s.height());
        t.width = std::min(s.width(), width);
        if (rowWidths.isEmpty() || x + t.width > width) {
            rowWidths.append(0);
            x = 0;
        }
        t.row = int(rowWidths.size()) - 1;
        t.left = x;
        x += t.width;
        rowWidths.last() = x;
    }
    rows_ = std::max(1, int(rowWidths.size()));
    // One row keeps its tabs' own widths; several rows are each stretched to
    // the full width, the spare pixels shared out from the left.
    if (rows_ > 1) {
        for (int row = 0; row < rows_; ++row) {
            int n = 0;
            for (const Tab& t : tabs_) n += t.row == row;
            const int spare = width - rowWidths[row];
            int k = 0, left = 0;
            for (Tab& t : tabs_) {
                if (t.row != row) continue;
                t.width += spare / n + (k++ < spare % n ? 1 : 0);
                t.left = left;
                left += t.width;
            }
        }
    }
    const int current = currentIndex();
    frontRow_ = current >= 0 && current < count() ? tabs_[current].row : 0;

    QStyleOptionTabWidgetFrame opt;
    frameOption(&opt);
    stack_->setGeometry(style()->subElementRect(QStyle::SE_TabWidgetTabContents, &opt, this));
    updateGeometry();
    update();
}

// The frame of the page, as a tab widget describes it to the style: its tab
// bar is all the rows.
void TTabRows::frameOption(QStyleOptionTabWidgetFrame* opt) const
{
    opt->initFrom(this);
    opt->shape = QTabBar::RoundedNorth;
    opt->lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    opt->tabBarSize = QSize(width(), rows_ * rowHeight_);
    opt->tabBarRect = QRect(QPoint(0, 0), opt->tabBarSize);
    opt->leftCornerWidgetSize = opt->rightCornerWidgetSize = QSize(0, 0);
    opt->selectedTabRect = tabRect(currentIndex());
}

// A tab as a tab bar describes it to the style, with its neighbours in its row.
void TTabRows::tabOption(QStyleOptionTab* opt, int index) const
{
    opt->initFrom(this);
    opt->state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
    opt->shape = QTabBar::RoundedNorth;
    opt->features |= QStyleOptionTab::HasFrame; // joined to the page's frame, as in a tab widget
    opt->text = tabs_[index].text;
    opt->rect = tabRect(index);
    const int row = tabs_[index].row;
    opt->row = (row - frontRow_ + rows_) % rows_;
    const bool first = index == 0 || tabs_[index - 1].row != row;
    const bool last = index == count() - 1 || tabs_[index + 1].row != row;
    opt->position = first && last ? QStyleOptionTab::OnlyOneTab
                    : first       ? QStyleOptionTab::Beginning
                    : last        ? QStyleOptionTab::End
                                  : QStyleOptionTab::Middle;
    const int current = currentIndex();
    opt->selectedPosition = !first && current == index - 1  ? QStyleOptionTab::PreviousIsSelected
                            : !last && current == index + 1 ? QStyleOptionTab::NextIsSelected
                                                            : QStyleOptionTab::NotAdjacent;
    if (index == current) {
        opt->state |= QStyle::State_Selected;
        if (hasFocus()) opt->state |= QStyle::State_HasFocus;
    }
    if (index == hover_ && isEnabled()) opt->state |= QStyle::State_MouseOver;
}

void TTabRows::paintEvent(QPaintEvent*)
{
    QStylePainter p(this);
    QStyleOptionTabWidgetFrame frame;
    frameOption(&frame);
    frame.rect = style()->subElementRect(QStyle::SE_TabWidgetTabPane, &frame, this);
    p.drawPrimitive(QStyle::PE_FrameTabWidget, frame);

    // Back rows first, so that each row in front covers what the one behind
    // draws below itself; in each row the selected tab last, over its neighbours.
    const int current = currentIndex();
    for (int turn = rows_ - 1; turn >= 0; --turn) {
        const int row = (frontRow_ + turn) % rows_;
        p.save();
        p.setClipRect(QRect(0, rowTop(row), width(), rows_ * rowHeight_ - rowTop(row)));
        for (int i = 0; i < count(); ++i) {
            if (tabs_[i].row != row || i == current) continue;
            QStyleOptionTab tab;
            tabOption(&tab, i);
            p.drawControl(QStyle::CE_TabBarTab, tab);
        }
        if (current >= 0 && tabs_[current].row == row) {
            QStyleOptionTab tab;
            tabOption(&tab, current);
            p.drawControl(QStyle::CE_TabBarTab, tab);
        }
        p.restore();
    }
}

void TTabRows::mousePressEvent(QMouseEvent* e)
{
    const int index = e->button() == Qt::LeftButton ? tabAt(e->position().toPoint()) : -1;
    if (index < 0) {
        e->ignore();
        return;
    }
    setCurrentIndex(index);
}

void TTabRows::turnPage(int step)
{
    if (count() > 0) setCurrentIndex((currentIndex() + step + count()) % count());
}

// Arrows step through the tabs, without wrapping, while the control itself
// has the focus; an arrow that a control on a page leaves unused turns nothing.
void TTabRows::keyPressEvent(QKeyEvent* e)
{
    const int key = e->key();
    const int current = currentIndex();
    if (hasFocus()) {
        if (key == Qt::Key_Left || key == Qt::Key_Up) {
            setCurrentIndex(current - 1);
            return;
        }
        if (key == Qt::Key_Right || key == Qt::Key_Down) {
            setCurrentIndex(current + 1);
            return;
        }
    }
    e->ignore();
}

void TTabRows::setHover(int index)
{
    if (index == hover_) return;
    hover_ = index;
    update();
}

bool TTabRows::event(QEvent* e)
{
    switch (e->type()) {
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
        setHover(tabAt(static_cast<QHoverEvent*>(e)->position().toPoint()));
        break;
    case QEvent::HoverLeave:
        setHover(-1);
        break;
    default:
        break;
    }
    return QWidget::event(e);
}

void TTabRows::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::FontChange || e->type() == QEvent::StyleChange) layoutTabs();
    QWidget::changeEvent(e);
}

void TTabRows::resizeEvent(QResizeEvent* e)
{
    layoutTabs();
    QWidget::resizeEvent(e);
}

QSize TTabRows::sizeHint() const
{
    int width = 0;
    for (const Tab& t : tabs_) width += tabSizeFor(t.text).width();
    const QSize page = stack_->sizeHint();
    return QSize(std::max(width, page.width()), rowHeight_ + page.height());
}

QSize TTabRows::minimumSizeHint() const
{
    int width = 0;
    for (const Tab& t : tabs_) width = std::max(width, tabSizeFor(t.text).width());
    return QSize(width, rowHeight_ * std::max(1, count()));
}

#include "accessibility.h"

#include "tabrows.h"
#include "widgets.h"

#include <QAccessibleWidget>
#include <QEvent>
#include <QHash>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include <utility>

namespace accessibility {

namespace {

// One tab of the rows: it has no QObject of its own, so the tab rows'
// interface makes these and registers them with the accessibility cache.
class PageTab : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    PageTab(TTabRows* tabs, int index) : tabs_(tabs), index_(index) {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }
    bool isValid() const override { return tabs_ && index_ < tabs_->count(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return tabs_ ? tabs_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(tabs_); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name && isValid() ? tabs_->tabText(index_) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override
    {
        if (!isValid()) return {};
        const QRect r = tabs_->tabRect(index_);
        return QRect(tabs_->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override { return QAccessible::PageTab; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        const bool current = index_ == tabs_->currentIndex();
        s.selectable = true;
        s.focusable = true; // the rows take the focus; the arrows pick a tab
        s.selected = current;
        s.focused = current && tabs_->hasFocus();
        s.invisible = !tabs_->isVisible();
        s.disabled = !tabs_->isEnabled();
        return s;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override
    {
        if (name == pressAction() && isValid()) tabs_->setCurrentIndex(index_);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<TTabRows> tabs_;
    int index_;
};

// The tab rows as a page-tab list: first its page tabs, then the pages' stack.
class TabRowsInterface : public QAccessibleWidget {
public:
    explicit TabRowsInterface(TTabRows* rows) : QAccessibleWidget(rows, QAccessible::PageTabList) {}
    ~TabRowsInterface() override
    {
        for (QAccessible::Id id : std::as_const(tabs_)) QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return rows()->count() + QAccessibleWidget::childCount(); }
    QAccessibleInterface* child(int index) const override
    {
        const int n = rows()->count();
        if (index < 0) return nullptr;
        return index < n ? tab(index) : QAccessibleWidget::child(index - n);
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        for (auto it = tabs_.cbegin(); it != tabs_.cend(); ++it)
            if (QAccessible::accessibleInterface(it.value()) == child) return it.key();
        const int i = QAccessibleWidget::indexOfChild(child);
        return i < 0 ? -1 : rows()->count() + i;
    }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        const int i = rows()->tabAt(rows()->mapFromGlobal(QPoint(x, y)));
        return i >= 0 ? tab(i) : QAccessibleWidget::childAt(x, y);
    }
    QAccessibleInterface* focusChild() const override
    {
        const int current = rows()->currentIndex();
        return rows()->hasFocus() && current >= 0 ? tab(current) : QAccessibleWidget::focusChild();
    }

private:
    TTabRows* rows() const { return static_cast<TTabRows*>(widget()); }
    QAccessibleInterface* tab(int index) const
    {
        if (const auto it = tabs_.constFind(index); it != tabs_.cend())
            return QAccessible::accessibleInterface(it.value());
        auto* iface = new PageTab(rows(), index);
        tabs_.insert(index, QAccessible::registerAccessibleInterface(iface));
        return iface;
    }
    mutable QHash<int, QAccessible::Id> tabs_;
};

// A picture that acts as a button is a button: its word is its name, and
// pressing it runs its click.
class ImageButtonInterface : public QAccessibleWidget {
public:
    explicit ImageButtonInterface(TImageButton* b) : QAccessibleWidget(b, QAccessible::Button) {}
    QStringList actionNames() const override
    {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& name) override
    {
        if (name == pressAction())
            static_cast<TImageButton*>(widget())->trigger();
        else
            QAccessibleWidget::doAction(name);
    }
};

QAccessibleInterface* factory(const QString& className, QObject* object)
{
    if (className == QLatin1String("TTabRows"))
        if (auto* rows = qobject_cast<TTabRows*>(object)) return new TabRowsInterface(rows);
    if (className == QLatin1String("TImageButton"))
        if (auto* b = qobject_cast<TImageButton*>(object)) return new ImageButtonInterface(b);
    return nullptr;
}

class PropertyName : public QObject {
public:
    PropertyName(QWidget* picture, const char* property, std::function<QString(const QVariant&)> describe)
        : QObject(picture), property_(property), describe_(std::move(describe))
    {
        picture->installEventFilter(this);
        update(picture);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() == QEvent::DynamicPropertyChange &&
            static_cast<QDynamicPropertyChangeEvent*>(e)->propertyName() == property_)
            update(static_cast<QWidget*>(watched));
        return false;
    }

private:
    void update(QWidget* picture)
    {
        // Announced to assistive tools as a name change.
        picture->setAccessibleName(describe_(picture->property(property_.constData())));
    }
    QByteArray property_;
    std::function<QString(const QVariant&)> describe_;
};

} // namespace

void install()
{
    static bool installed = false;
    if (std::exchange(installed, true)) return;
    QAccessible::installFactory(factory);
}

void nameFromProperty(QWidget* picture, const char* property,
                      std::function<QString(const QVariant&)> describe)
{
    new PropertyName(picture, property, std::move(describe));
}

} // namespace accessibility

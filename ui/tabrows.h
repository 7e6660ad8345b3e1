#pragma once
// A tab control whose tabs wrap onto as many rows as their captions need,
// as a desktop multi-row tab control draws them. QTabBar keeps one row and
// scrolls it, which hides tabs behind arrows.

#include <QList>
#include <QString>
#include <QWidget>

class QStackedWidget;
class QStyleOptionTab;
class QStyleOptionTabWidgetFrame;

// Rows of tabs above a stack of pages, drawn by the current style. No scroll
// arrows: when the tabs need more than one row, every row is stretched to the
// full width, and the row of the selected tab always stands next to the page;
// picking a tab of a back row rotates the rows to bring it forward. The page
// API follows QTabWidget's.
class TTabRows : public QWidget {
    Q_OBJECT
public:
    explicit TTabRows(QWidget* parent = nullptr);

    // Appends `page` (the control takes it over) with the caption `text`;
    // returns its index. The first page added becomes the current one.
    int addTab(QWidget* page, const QString& text);
    int count() const { return int(tabs_.size()); }
    int indexOf(const QWidget* page) const;
    QWidget* widget(int index) const;
    QString tabText(int index) const;
    int currentIndex() const;
    QWidget* currentWidget() const;

    // Where tab `index` stands now, in this widget's coordinates (empty if none).
    QRect tabRect(int index) const;
    // The tab under `pos`, or -1.
    int tabAt(const QPoint& pos) const;
    int rowCount() const { return rows_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public slots:
    void setCurrentIndex(int index);

signals:
    void currentChanged(int index);

protected:
    bool event(QEvent* e) override;
    void changeEvent(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    struct Tab {
        QString text;
        int row = 0;   // in wrapping order: row 0 holds the first tab
        int left = 0;  // within the row
        int width = 0; // after stretching
    };
    void layoutTabs();
    void pageChanged(int index);
    void pageRemoved(int index);
    QSize tabSizeFor(const QString& text) const;
    int rowTop(int row) const;
    void frameOption(QStyleOptionTabWidgetFrame* opt) const;
    void tabOption(QStyleOptionTab* opt, int index) const;
    void setHover(int index);
    void turnPage(int step); // round the pages, wrapping

    QStackedWidget* stack_;
    QList<Tab> tabs_;
    int rows_ = 1;
    int rowHeight_ = 0;
    int frontRow_ = 0; // the row that stands next to the page
    int hover_ = -1;
};

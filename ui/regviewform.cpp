#include "regviewform.h"

#include "registermap.h"
#include "widgets.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>

namespace {

constexpr int kCellWidth = 58, kCellHeight = 13;
constexpr int kColumnLeft = 68, kColumnPitch = 60;
constexpr int kRowTop = 23, kRowPitch = 15;
constexpr int kHeaderLeft = 8, kHeaderTop = 8;

} // namespace

TRegViewForm::TRegViewForm(QWidget* parent) : TNoEscapeDialog(parent, kFixedDialogFlags)
{
    setObjectName(QStringLiteral("RegViewForm"));
    setWindowTitle(QStringLiteral("Register View"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setFixedSize(555, 301);

    pRegView = new QWidget(this);
    pRegView->setObjectName(QStringLiteral("pRegView"));
    pRegView->setGeometry(0, 0, 555, 263);
    pRegView->installEventFilter(this);
    pRegViewButton = new QWidget(this);
    pRegViewButton->setObjectName(QStringLiteral("pRegViewButton"));
    pRegViewButton->setGeometry(0, 263, 555, 38);
    bClose = new QPushButton(QStringLiteral("Close"), pRegViewButton);
    bClose->setObjectName(QStringLiteral("bClose"));
    bClose->setGeometry(456, 6, 75, 25);
    connect(bClose, &QPushButton::clicked, this, &TRegViewForm::bCloseClick);

    // Every label of the grid takes the panel's font and white background;
    // set once on the panel, not on each of the 288 labels.
    QFont courier(QStringLiteral("Courier"), 8);
    courier.setStyleHint(QFont::TypeWriter);
    pRegView->setFont(courier);
    zero_ = palette();
    zero_.setColor(QPalette::Window, QColor(0xFF, 0xFF, 0xFF));
    zero_.setColor(QPalette::WindowText, Qt::black);
    one_ = zero_;
    one_.setColor(QPalette::Window, QColor(0xAF, 0xFD, 0x86));
    pRegView->setPalette(zero_); // the panel itself paints no background
}

// The 288 labels cost a noticeable part of the program's start, for a window
// that many runs never open: they are made when the window is first shown (or
// a cell is asked for). ShowRegister keeps every row's value meanwhile, so the
// cells take the right colours the moment they exist.
void TRegViewForm::buildGrid()
{
    if (gridBuilt_) return;
    gridBuilt_ = true;
    auto label = [this](const QString& text, int left, int top) {
        auto* l = new QLabel(text, pRegView);
        l->setAlignment(Qt::AlignCenter);
        l->setAutoFillBackground(true); // opaque
        l->setGeometry(left, top, kCellWidth, kCellHeight);
        if (pRegView->isVisible()) l->show(); // children made later start hidden
        return l;
    };
    label(QStringLiteral("Reg #"), kHeaderLeft, kHeaderTop);
    for (int j = 0; j < 8; ++j)
        label(QStringLiteral("B%1").arg(7 - j), kColumnLeft + kColumnPitch * j, kHeaderTop);
    for (int i = 0; i < kRows; ++i) {
        const int top = kRowTop + kRowPitch * i;
        // Rows from 0x50 on lie below the panel's height and are cut off.
        label(QString::asprintf("%02X", regs::kFirst + i), kHeaderLeft, top);
        for (int j = 0; j < 8; ++j) {
            QLabel* c = label(QLatin1String(regs::bitName(i, 7 - j)), kColumnLeft + kColumnPitch * j, top);
            if (i >= kVisibleRows) c->setHidden(true);
            cells_[i][j] = c;
        }
    }
}

// Every register write passes through here, a script's too, so the call only
// notes the row's new value. The cells take their colours just before the
// window paints (or when it is shown, or a cell is asked for), and then only
// the cells whose colour differs from what they show are touched: a burst of
// writes costs one palette change per cell that really changed.
void TRegViewForm::ShowRegister(int row, int value)
{
    if (row < 0 || row >= kRows) return;
    shown_[row] = std::uint8_t(value);
    if (shown_[row] == painted_[row]) return;
    pendingRows_ |= 1u << row;
    if (!repaintRequested_ && isVisible()) {
        repaintRequested_ = true;
        // A corner of the panel that no label covers: cheap to repaint, and it
        // brings the paint pass in which the pending rows are applied.
        pRegView->update(0, 0, 1, 1);
    }
}

void TRegViewForm::paintRow(int row) const
{
    const std::uint8_t changed = shown_[row] ^ painted_[row];
    if (!changed) return;
    for (int j = 0; j < 8; ++j) {
        const int bit = 1 << (7 - j);
        if (changed & bit) cells_[row][j]->setPalette(shown_[row] & bit ? one_ : zero_);
    }
    painted_[row] = shown_[row];
}

void TRegViewForm::applyPending() const
{
    repaintRequested_ = false;
    if (!gridBuilt_) return; // the rows stay pending until the cells exist
    for (int row = 0; pendingRows_; ++row)
        if (pendingRows_ & (1u << row)) {
            pendingRows_ &= ~(1u << row);
            paintRow(row);
        }
}

QLabel* TRegViewForm::cell(int row, int column) const
{
    const_cast<TRegViewForm*>(this)->buildGrid();
    applyPending();
    return cells_[row][column];
}

bool TRegViewForm::event(QEvent* e)
{
    // The window's paint pass: colour the cells first, so that the cells
    // whose palette changes now are painted in this same pass.
    if (e->type() == QEvent::UpdateRequest) applyPending();
    return QDialog::event(e);
}

// Painting the panel by other roads (grab, render) colours the cells as well:
// the panel paints before its cells.
bool TRegViewForm::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == pRegView && e->type() == QEvent::Paint) applyPending();
    return QDialog::eventFilter(watched, e);
}

void TRegViewForm::setVisible(bool visible)
{
    if (visible) buildGrid(); // before showing, so that the cells are shown with the window
    TNoEscapeDialog::setVisible(visible);
}

void TRegViewForm::showEvent(QShowEvent* e)
{
    applyPending();
    QDialog::showEvent(e); // centred on the screen
    belongToMainWindow(this);
}

void TRegViewForm::bCloseClick()
{
    hide();
}

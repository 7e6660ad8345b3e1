#pragma once
// The register map window: one row per register, one cell per bit, coloured
// by the bit's value.

#include "widgets.h"

#include <QPalette>

#include <array>
#include <cstdint>

class QLabel;
class QPushButton;
class QWidget;

// Hidden only by Close and the close box, not by Escape.
class TRegViewForm : public TNoEscapeDialog {
    Q_OBJECT
public:
    static constexpr int kRows = 31;        // registers 0x40..0x5E
    static constexpr int kVisibleRows = 16; // 0x40..0x4F; the others exist but stay hidden

    explicit TRegViewForm(QWidget* parent = nullptr);
    // Colours row `row` (register 0x40 + row) from the low 8 bits of `value`:
    // light green for 1, white for 0. Rows outside 0..30 are ignored.
    void ShowRegister(int row, int value);
    // Bit cell of row `row`, column `column` (column 0 = bit 7), with its colour up to date.
    QLabel* cell(int row, int column) const;
    // The byte a row shows.
    int shownValue(int row) const { return shown_[row]; }

    QWidget* pRegView = nullptr;
    QWidget* pRegViewButton = nullptr;
    QPushButton* bClose = nullptr;
    void bCloseClick();
    void setVisible(bool visible) override;

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    void buildGrid();
    void applyPending() const;
    void paintRow(int row) const;

    std::array<std::array<QLabel*, 8>, kRows> cells_{};
    std::array<std::uint8_t, kRows> shown_{};           // value each row stands for
    mutable std::array<std::uint8_t, kRows> painted_{}; // value its cells' colours show now
    mutable std::uint32_t pendingRows_ = 0;             // rows whose cells lag behind shown_
    mutable bool repaintRequested_ = false;
    bool gridBuilt_ = false;
    QPalette one_, zero_;
};

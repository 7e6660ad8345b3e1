#pragma once
// The register map window: one row per register, one cell per bit, coloured
// by the bit's value.

#include <QDialog>
#include <array>

class QLabel;
class QPushButton;
class QWidget;

class TRegViewForm : public QDialog {
    Q_OBJECT
public:
    explicit TRegViewForm(QWidget* parent = nullptr);
    // Colours row `row` (register 0x40 + row) from `value`: light green for 1, white for 0.
    void ShowRegister(int row, int value);
    QLabel* cell(int row, int column) const { return cells_[row][column]; }
    QWidget* pRegView = nullptr;
    QWidget* pRegViewButton = nullptr;
    QPushButton* bClose = nullptr;
    void bCloseClick();

private:
    std::array<std::array<QLabel*, 8>, 31> cells_{};
};

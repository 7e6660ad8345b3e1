#pragma once
// The small dialog that shows how far a script run from the menu has got.

#include <QDialog>

class QFrame;
class QLabel;
class QProgressBar;

class TscriptProgress : public QDialog {
    Q_OBJECT
public:
    explicit TscriptProgress(QWidget* parent = nullptr);
    QFrame* Bevel1 = nullptr;
    QLabel* Label1 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;

protected:
    void showEvent(QShowEvent* e) override;
};

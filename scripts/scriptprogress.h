#pragma once
// The script progress dialog shown while a script from the menu runs.

#include <QDialog>

class QLabel;
class QProgressBar;

class TscriptProgress : public QDialog {
    Q_OBJECT
public:
    explicit TscriptProgress(QWidget* parent = nullptr);
    QLabel* Label1 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
};

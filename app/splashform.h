#pragma once
// Borderless, always-on-top busy window used at start-up, reset and reconnect.

#include <QWidget>

class QLabel;
class QProgressBar;

class TSplashForm : public QWidget {
    Q_OBJECT
public:
    explicit TSplashForm(QWidget* parent = nullptr);
    QLabel* Label1 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;

    // Set the label text and repaint at once.
    void setText(const QString& text);
};

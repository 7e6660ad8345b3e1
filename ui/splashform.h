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

// Shows a busy window and returns once it is on the screen and drawn. On X11 a
// window just mapped is drawn only after the server's expose event has been
// handled, so a repaint right after show() would draw nothing while the work
// that follows keeps the event loop from running. Other events than user
// input are handled meanwhile.
void showPainted(QWidget* window);

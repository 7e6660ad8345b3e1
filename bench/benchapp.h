#pragma once
// Shared set-up of the window benchmarks: the offscreen platform unless one is
// chosen, a temporary current directory whose settings file selects IIC at
// 0x4C (the simulator's strapped address), and the five windows with Form1
// shown, so the start-up sequence has run against the simulated board.

#include "dialogs.h"

#include <QString>
#include <QTemporaryDir>

// No box may block a benchmark; count what would have been shown.
class SilentDialogs : public Dialogs {
public:
    int shown = 0;
    void errorBox(const QString&, const QString&) override { ++shown; }
    void message(const QString&) override { ++shown; }
    bool question(const QString&, const QString&) override { return ++shown, false; }
    void generalError(const QString&) override { ++shown; }
    QString openFile(FileDialogSettings&) override { return ++shown, QString(); }
    QString saveFile(FileDialogSettings&) override { return ++shown, QString(); }
    int execModal(QDialog*) override { return ++shown, 1; }
};

// Call before the QApplication is made.
void useOffscreenUnlessChosen();

class BenchApp {
public:
    BenchApp();
    ~BenchApp();
    QString path(const QString& name) const { return dir_.filePath(name); }
    SilentDialogs dialogs;

private:
    QTemporaryDir dir_;
    QString oldDir_;
};

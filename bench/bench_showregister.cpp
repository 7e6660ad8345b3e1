// Cost of colouring the register map: ShowRegister alone, and a whole
// WriteRegister on the simulated board over IIC, with the map shown and hidden.
// Prints figures only.

#include "benchapp.h"
#include "TForm1.h"
#include "appwindows.h"
#include "globals.h"
#include "regviewform.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

template <class F> double nsPerCall(int n, F&& f)
{
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < n; ++i) f(i);
    return double(t.nsecsElapsed()) / n;
}

void report(const char* what, double ns)
{
    std::printf("%-58s %9.3f us\n", what, ns / 1000.0);
}

} // namespace

int main(int argc, char** argv)
{
    useOffscreenUnlessChosen();
    QApplication qapp(argc, argv);
    BenchApp bench;

    const int n = 100000;
    // Alternating values: all eight cells of the row change at every call.
    auto alternate = [](int i) { return (i & 1) ? 0xAA : 0x55; };
    // One bit toggling: the common case of a panel control.
    auto oneBit = [](int i) { return (i & 1) ? 0x01 : 0x00; };
    evm::Board::Quiet quiet(
        Form1->board(), evm::Board::Quiet::History); // as during a script; the history has its own benchmark

    RegViewForm->hide();
    report("ShowRegister, map hidden, 8 cells change",
           nsPerCall(n, [&](int i) { RegViewForm->ShowRegister(1, alternate(i)); }));
    report("ShowRegister, map hidden, 1 cell changes",
           nsPerCall(n, [&](int i) { RegViewForm->ShowRegister(1, oneBit(i)); }));
    report("ShowRegister, map hidden, same value",
           nsPerCall(n, [&](int) { RegViewForm->ShowRegister(1, 0x5A); }));
    report("WriteRegister 0x41 over IIC, map hidden, 8 cells change",
           nsPerCall(n, [&](int i) { Form1->board().WriteRegister(0x41, alternate(i)); }));

    Form1->RegisterMap1Click();
    QCoreApplication::processEvents();
    report("ShowRegister, map shown, 8 cells change",
           nsPerCall(n, [&](int i) { RegViewForm->ShowRegister(1, alternate(i)); }));
    report("ShowRegister, map shown, 1 cell changes",
           nsPerCall(n, [&](int i) { RegViewForm->ShowRegister(1, oneBit(i)); }));
    report("ShowRegister, map shown, same value",
           nsPerCall(n, [&](int) { RegViewForm->ShowRegister(1, 0x5A); }));
    report("WriteRegister 0x41 over IIC, map shown, 8 cells change",
           nsPerCall(n, [&](int i) { Form1->board().WriteRegister(0x41, alternate(i)); }));
    report("WriteRegister 0x41 over IIC, map shown, 1 cell changes",
           nsPerCall(n, [&](int i) { Form1->board().WriteRegister(0x41, oneBit(i)); }));
    QElapsedTimer t;
    t.start();
    QCoreApplication::processEvents(); // the repaint the writes left behind
    report("one repaint of the shown map afterwards", double(t.nsecsElapsed()));

    return 0;
}

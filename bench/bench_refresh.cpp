// Cost of RefreshControls on the simulated board over IIC: on an image every
// control already shows, and on two images that differ in every field, taken
// in turn (every control changes, and the raised events write their registers).
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
#include <QLibrary>
#include <QTemporaryDir>

#include <cstdio>

namespace {

void report(const char* what, double ns)
{
    std::printf("%-62s %9.3f us\n", what, ns / 1000.0);
}

std::array<std::uint8_t, regs::kCount> imageOf(int fields, int attenuation)
{
    std::array<std::uint8_t, regs::kCount> b{};
    b.fill(std::uint8_t(fields));
    b[0] |= 0xC0;
    for (int i = 0x48 - regs::kFirst; i <= 0x4F - regs::kFirst; ++i) b[i] = std::uint8_t(attenuation);
    b[0x45 - regs::kFirst] = 0x00;
    b[0x56 - regs::kFirst] &= 0xC0;
    return b;
}

} // namespace

// Puts the bytes into the board's image as writes that send nothing.
void loadImage(evm::Board& board, const std::array<std::uint8_t, regs::kCount>& bytes)
{
    evm::Board::Quiet quiet(board);
    for (int i = 0; i < regs::kCount; ++i)
        board.WriteRegister(unsigned(regs::kFirst + i), bytes[std::size_t(i)]);
}

int main(int argc, char** argv)
{
    useOffscreenUnlessChosen();
    QApplication qapp(argc, argv);
    BenchApp bench;
    TForm1* f = Form1;
    evm::Board::Quiet quiet(f->board(), evm::Board::Quiet::History); // as at the end of a script run

    // The simulator's trace would grow with every raised write.
    QLibrary sim(QStringLiteral("HxBus"));
    auto clearTrace = reinterpret_cast<void (*)()>(sim.resolve("hxsim_clear_trace"));

    // Both images differ in every bound field; their attenuation codes lie in
    // the range of either mode, so no bar clamps.
    const auto low = imageOf(0x00, 200);
    const auto high = imageOf(0xFF, 160);

    for (bool mapShown : {false, true}) {
        mapShown ? RegViewForm->show() : RegViewForm->hide();
        QCoreApplication::processEvents();

        loadImage(f->board(), high);
        f->RefreshControls();
        const int n = 20000;
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < n; ++i) f->RefreshControls();
        report(mapShown ? "RefreshControls, image matches every control, map shown"
                        : "RefreshControls, image matches every control, map hidden",
               double(t.nsecsElapsed()) / n);

        const int batches = 50, perBatch = 100;
        qint64 ns = 0;
        for (int b = 0; b < batches; ++b) {
            if (clearTrace) clearTrace();
            for (int i = 0; i < perBatch; ++i) {
                loadImage(f->board(), (i & 1) ? high : low);
                t.restart();
                f->RefreshControls();
                ns += t.nsecsElapsed();
            }
        }
        report(mapShown ? "RefreshControls, every field differs, map shown"
                        : "RefreshControls, every field differs, map hidden",
               double(ns) / (batches * perBatch));
    }
    return 0;
}

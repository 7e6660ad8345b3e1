// The floor under evm2280's figures: a bare QtCore program that loads the board
// library by its bare name as evm2280 does, calls _init and _close, and with a
// count N makes N register writes in between (the library calls of an N-line
// script, in bench_cli's order). Exit status 0 once the board was open.

#include <QCoreApplication>
#include <QLibrary>

#include <cstdint>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QLibrary lib(QStringLiteral("HxBus"));
    if (!lib.load()) return 2;
    using InitFn = int (*)(int, void*);
    using CloseFn = int (*)();
    using WriteFn = int (*)(int, int, unsigned char*, int);
    const auto init = reinterpret_cast<InitFn>(lib.resolve("_init"));
    const auto close = reinterpret_cast<CloseFn>(lib.resolve("_close"));
    const auto write = reinterpret_cast<WriteFn>(lib.resolve("_writeData"));
    if (!init || !close || !write) return 2;

    unsigned char settings[64] = {};
    const std::int32_t spi = 3, word56 = 3; // the link record evm2280 sends by default
    std::memcpy(settings, &spi, 4);
    std::memcpy(settings + 56, &word56, 4);
    if (init(0, settings) == 0) return 2;

    const long n = argc > 1 ? std::atol(argv[1]) : 0;
    unsigned x = 12345;
    unsigned char buffer[10] = {};
    for (long i = 0; i < n; ++i) {
        x = x * 1103515245u + 12345u;
        buffer[0] = static_cast<unsigned char>((x >> 20) & 0xFF);
        write(0, int(0x41 + (x >> 8) % 0x1E), buffer, 1);
    }
    close();
    return 0;
}

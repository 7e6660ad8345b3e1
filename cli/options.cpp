#include "options.h"

#include "arguments.h"
#include "evmversion.h"

#include <QCommandLineParser>

#include <climits>

namespace evm::cli {
namespace {

// The options that belong to some commands only.
enum CommandOption : unsigned {
    kJson = 1,
    kQuiet = 2,
    kMask = 4,
    kVerify = 8,
    kSoft = 16,
    kInterval = 32,
    kListen = 64
};

struct Syntax {
    const char* name;
    Command command;
    int minArgs;
    int maxArgs;
    unsigned options;
    const char* usage;
    const char* summary;
};
constexpr int kMany = INT_MAX;

// One row per command, in the order --help lists them; the dispatcher in
// commands.cpp has a case for each.
constexpr Syntax kCommands[] = {
    {"info", Command::Info, 0, 0, kJson, "info", "library version, port, interface, device address"},
    {"read", Command::Read, 1, kMany, kJson, "read ADDR...",
     "registers (ADDR or FIRST-LAST), \"0xAA, 0xVV\" each"},
    {"write", Command::Write, 2, 2, kMask | kVerify, "write ADDR DATA [--mask MASK] [--verify]",
     "one register; only MASK's bits; read back"},
    {"get", Command::Get, 1, kMany, kJson, "get NAME...", "bit fields by name: \"NAME = VALUE (meaning)\""},
    {"set", Command::Set, 1, kMany, 0, "set NAME=VALUE...", "bit fields, read-modify-write (ATDA1=-10.5dB)"},
    {"fields", Command::Fields, 0, 0, kJson, "fields", "every bit field: register, bits, value"},
    {"run", Command::Run, 1, 1, kQuiet, "run FILE|-", "runs a script file, - for standard input"},
    {"dump", Command::Dump, 0, 1, kJson, "dump [FILE|-]",
     "the 31 registers as a snapshot (none or -: stdout)"},
    {"compare", Command::Compare, 1, 2, kJson, "compare A [B]", "two snapshots, or A against the chip"},
    {"reset", Command::Reset, 0, 0, kSoft, "reset [--soft]", "register reset (MRST), or SRST with --soft"},
    {"watch", Command::Watch, 1, kMany, kInterval, "watch [--interval MS] ADDR|NAME...",
     "a time-stamped line at each change, until interrupted"},
    {"serve", Command::Serve, 0, 0, kListen, "serve [--listen [ADDR:]PORT]",
     "SCPI over TCP (127.0.0.1:5025), until interrupted"},
};

const char* const kUsage = "Usage: evm2280 [--board sim|linux|DIR] [options] COMMAND [ARGS]";

QString description()
{
    QString text = QStringLiteral(
        "Drives the ORV2280 evaluation board through the board library, as the EVM Controller\n"
        "window does. The interface and device address come from EVM2280.ini in the current\n"
        "folder unless -i or -a is given; evm2280 never writes that file.\n\nCommands:\n");
    for (const Syntax& s : kCommands)
        text += QStringLiteral("  %1 %2\n").arg(QLatin1String(s.usage), -40).arg(QLatin1String(s.summary));
    text += QStringLiteral(
        "Numbers: 65, 0x41, $41, x41 (a negative one after \"--\"). Bit field names: evm2280 fields.\n"
        "Exit status: 0 success, 1 compare found differences, 2 trouble, 128+N ended by signal N.\n"
        "See evm2280(1).");
    return text;
}

QString listOf(unsigned option)
{
    QStringList names;
    for (const Syntax& s : kCommands)
        if (s.options & option) names << QLatin1String(s.name);
    return names.size() == 1 ? names[0]
                             : names.mid(0, names.size() - 1).join(QStringLiteral(", ")) +
                                   QStringLiteral(" and ") + names.last();
}

Parsed error(const QString& text)
{
    return {Parsed::Error, {}, text};
}

} // namespace

Parsed parseCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(description());
    const auto option = [&parser](const QStringList& names, const char* text, const char* value = nullptr) {
        QCommandLineOption o(names, QString::fromLatin1(text),
                             value ? QString::fromLatin1(value) : QString());
        parser.addOption(o);
        return o;
    };
    const QCommandLineOption board =
        option({"board"},
               "The board library: sim (the simulator), linux (a chip on this host's bus) or a folder "
               "holding libHxBus.so. Taken by the installed command before any other option.",
               "sim|linux|DIR");
    const QCommandLineOption iface = option({"i", "interface"}, "Serial interface for this run.", "iic|spi");
    const QCommandLineOption address =
        option({"a", "address"}, "Device address for this run (IIC: 0x4C..0x4F).", "ADDR");
    const QCommandLineOption json =
        option({"json"}, "One JSON document on standard output (info, read, get, dump, compare, fields).");
    const QCommandLineOption quiet = option({"q", "quiet"}, "run: no progress on a terminal.");
    const QCommandLineOption verbose =
        option({"v", "verbose"},
               "Every transfer on standard error as it happens: \"w 0x41 0x05\", \"r 0x42 0x00\".");
    const QCommandLineOption mask =
        option({"mask"}, "write: only the bits set in MASK, the others read from the chip.", "MASK");
    const QCommandLineOption verify =
        option({"verify"}, "write: read the register back; status 2 when it differs.");
    const QCommandLineOption soft = option({"soft"}, "reset: SRST instead of MRST.");
    const QCommandLineOption interval =
        option({"interval"}, "watch: milliseconds between reads (200).", "MS");
    const QCommandLineOption listen = option(
        {"listen"}, "serve: the address and port (127.0.0.1:5025; loopback unless named).", "[ADDR:]PORT");
    const QCommandLineOption help = option({"h", "help"}, "This text.");
    const QCommandLineOption version = option({"version"}, "The version.");

    if (!parser.parse(arguments)) return error(parser.errorText());
    if (parser.isSet(help)) {
        QString text = parser.helpText();
        text.replace(0, text.indexOf(QLatin1Char('\n')), QLatin1String(kUsage));
        return {Parsed::Help, {}, text};
    }
    if (parser.isSet(version)) return {Parsed::Version, {}, QStringLiteral("evm2280 " EVM_VERSION "\n")};
    if (parser.isSet(board))
        return error(QStringLiteral("--board goes first, where the installed command takes it; this program "
                                    "loads the board library the library search finds"));

    QStringList args = parser.positionalArguments();
    if (args.isEmpty()) return error(QStringLiteral("no command given (try --help)"));
    const QString name = args.takeFirst();
    const Syntax* syntax = nullptr;
    for (const Syntax& row : kCommands)
        if (name == QLatin1String(row.name)) syntax = &row;
    if (!syntax) return error(QStringLiteral("unknown command '%1' (try --help)").arg(name));
    if (args.size() < syntax->minArgs || args.size() > syntax->maxArgs)
        return error(QStringLiteral("usage: evm2280 [options] %1").arg(QLatin1String(syntax->usage)));
    const std::pair<const QCommandLineOption*, CommandOption> owned[] = {
        {&json, kJson}, {&quiet, kQuiet},       {&mask, kMask},    {&verify, kVerify},
        {&soft, kSoft}, {&interval, kInterval}, {&listen, kListen}};
    for (const auto& [o, bit] : owned)
        if (parser.isSet(*o) && !(syntax->options & bit))
            return error(QStringLiteral("--%1 belongs to %2").arg(o->names().last(), listOf(bit)));

    Invocation inv;
    inv.command = syntax->command;
    inv.json = parser.isSet(json);
    inv.quiet = parser.isSet(quiet);
    inv.verbose = parser.isSet(verbose);
    inv.verify = parser.isSet(verify);
    inv.soft = parser.isSet(soft);
    if (parser.isSet(listen)) inv.listen = parser.value(listen);
    QString text;
    if (parser.isSet(iface)) {
        const QString v = parser.value(iface).toLower();
        if (v != QLatin1String("iic") && v != QLatin1String("spi"))
            return error(QStringLiteral("-i takes iic or spi, not '%1'").arg(parser.value(iface)));
        inv.interface = v == QLatin1String("iic") ? Interface::Iic : Interface::Spi;
    }
    if (parser.isSet(address)) {
        std::int32_t a = 0;
        if (!parseNumber(parser.value(address), &a, &text)) return error(text);
        inv.deviceAddress = a;
    }
    if (parser.isSet(mask)) {
        std::uint8_t m = 0;
        const QString v = parser.value(mask);
        if (!parseByte(v, QStringLiteral("Invalid mask %1: 0x00..0xFF").arg(v), &m, &text))
            return error(text);
        inv.mask = m;
    }
    if (parser.isSet(interval)) {
        std::int32_t ms = 0;
        if (!parseNumber(parser.value(interval), &ms, &text)) return error(text);
        if (ms < 1) return error(QStringLiteral("--interval takes at least 1 millisecond"));
        inv.intervalMs = ms;
    }

    if (!parseArguments(args, &inv, &text)) return error(text);
    return {Parsed::Run, inv, {}};
}

} // namespace evm::cli

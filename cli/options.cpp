#include "options.h"

#include "apperror.h"
#include "integertext.h"

#include <QCommandLineParser>

namespace evm::cli {
namespace {

const char* const kDescription =
    "Drives the EVM board through the board library, as the EVM Controller window does.\n"
    "The interface and device address come from EVM2280.ini in the current directory\n"
    "unless -i or -a is given; evm2280 never writes that file.\n"
    "\n"
    "Commands:\n"
    "  info                 library version, port, interface, device address\n"
    "  read ADDR            one register, printed as \"0xAA, 0xVV\"\n"
    "  write ADDR DATA      one register write (DATA 0..0xFF)\n"
    "  run FILE             runs a script file\n"
    "  dump [FILE]          the 31 registers in the snapshot format (FILE is replaced)\n"
    "  compare A [B]        two snapshot files, or snapshot A against the chip\n"
    "  reset [--soft]       register reset (MRST), or SRST with --soft\n"
    "Numbers take every form a script file takes: 65, 0x41, $41, x41.\n"
    "\n"
    "Exit status: 0 success, 1 compare found differences, 2 trouble.";

struct Syntax {
    const char* name;
    Command command;
    int minArgs;
    int maxArgs;
    const char* usage;
};
constexpr Syntax kSyntax[] = {
    {"info", Command::Info, 0, 0, "info"},
    {"read", Command::Read, 1, 1, "read ADDR"},
    {"write", Command::Write, 2, 2, "write ADDR DATA"},
    {"run", Command::Run, 1, 1, "run FILE"},
    {"dump", Command::Dump, 0, 1, "dump [FILE]"},
    {"compare", Command::Compare, 1, 2, "compare A [B]"},
    {"reset", Command::Reset, 0, 0, "reset [--soft]"},
};

// A number in any form a script file takes; the window's text for one that is none.
bool number(const QString& text, std::int32_t* value, QString* error)
{
    if (const auto n = evm::parseInteger(text, evm::IntegerRange::Pattern32)) {
        *value = *n;
        return true;
    }
    *error = apperr::withFullStop(apperr::notAnInteger(text));
    return false;
}

} // namespace

std::optional<Invocation> parseCommandLine(const QStringList& arguments, QString* error)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption interfaceOption(QStringList{QStringLiteral("i"), QStringLiteral("interface")},
                                             QStringLiteral("Serial interface for this run: iic or spi."),
                                             QStringLiteral("iic|spi"));
    const QCommandLineOption addressOption(QStringList{QStringLiteral("a"), QStringLiteral("address")},
                                           QStringLiteral("Device address for this run (IIC: 0x4C..0x4F)."),
                                           QStringLiteral("ADDR"));
    const QCommandLineOption softOption(QStringLiteral("soft"),
                                        QStringLiteral("reset: SRST instead of MRST."));
    parser.addOption(interfaceOption);
    parser.addOption(addressOption);
    parser.addOption(softOption);
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("One of the commands above."),
                                 QStringLiteral("COMMAND [ARGS]"));

    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return std::nullopt;
    }
    if (parser.isSet(QStringLiteral("help"))) parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version"))) parser.showVersion();

    QStringList args = parser.positionalArguments();
    if (args.isEmpty()) {
        *error = QStringLiteral("no command given (try --help)");
        return std::nullopt;
    }
    const QString name = args.takeFirst();
    const Syntax* syntax = nullptr;
    for (const Syntax& s : kSyntax)
        if (name == QLatin1String(s.name)) syntax = &s;
    if (!syntax) {
        *error = QStringLiteral("unknown command '%1' (try --help)").arg(name);
        return std::nullopt;
    }
    if (args.size() < syntax->minArgs || args.size() > syntax->maxArgs) {
        *error = QStringLiteral("usage: evm2280 [-i iic|spi] [-a ADDR] %1").arg(QLatin1String(syntax->usage));
        return std::nullopt;
    }

    Invocation inv;
    inv.command = syntax->command;
    if (parser.isSet(softOption) && inv.command != Command::Reset) {
        *error = QStringLiteral("--soft belongs to reset");
        return std::nullopt;
    }
    inv.soft = parser.isSet(softOption);
    if (parser.isSet(interfaceOption)) {
        const QString v = parser.value(interfaceOption).toLower();
        if (v != QLatin1String("iic") && v != QLatin1String("spi")) {
            *error = QStringLiteral("-i takes iic or spi, not '%1'").arg(parser.value(interfaceOption));
            return std::nullopt;
        }
        inv.interface = v == QLatin1String("iic") ? Interface::Iic : Interface::Spi;
    }
    if (parser.isSet(addressOption)) {
        std::int32_t a = 0;
        if (!number(parser.value(addressOption), &a, error)) return std::nullopt;
        inv.deviceAddress = a;
    }

    switch (inv.command) {
    case Command::Read:
        if (!number(args[0], &inv.address, error)) return std::nullopt;
        break;
    case Command::Write:
        if (!number(args[0], &inv.address, error) || !number(args[1], &inv.data, error)) return std::nullopt;
        // As in a script line: the data is one byte, taken as unsigned.
        if (std::uint32_t(inv.data) > 0xFFu) {
            *error = QStringLiteral("Invalid register data!");
            return std::nullopt;
        }
        break;
    case Command::Run:
    case Command::Dump:
        inv.fileA = args.value(0);
        break;
    case Command::Compare:
        inv.fileA = args[0];
        inv.fileB = args.value(1);
        break;
    case Command::Info:
    case Command::Reset:
        break;
    }
    return inv;
}

bool needsBoard(const Invocation& inv)
{
    return !(inv.command == Command::Compare && !inv.fileB.isEmpty());
}

} // namespace evm::cli

#include "arguments.h"

#include "integertext.h"
#include "linktext.h"
#include "registermap.h"
#include "scriptline.h"

namespace evm::cli {
namespace {

bool fail(QString* error, const QString& text)
{
    *error = text;
    return false;
}

bool parseAddress(const QString& text, int* address, QString* error)
{
    std::int32_t a = 0;
    if (!parseNumber(text, &a, error)) return false;
    if (!regs::isAddress(a))
        return fail(error, QStringLiteral("Invalid register address %1: registers are 0x00..%2")
                               .arg(text, evmlink::hex2(regs::kAddressLimit)));
    *address = a;
    return true;
}

const fields::Field* fieldNamed(const QString& name, QString* error)
{
    const fields::Field* f = fields::find(name);
    if (!f) *error = QStringLiteral("No bit field is named '%1' (evm2280 fields lists them)").arg(name);
    return f;
}

} // namespace

bool parseNumber(const QString& text, std::int32_t* value, QString* error)
{
    if (const auto n = parseInteger(text, IntegerRange::Pattern32)) {
        *value = *n;
        return true;
    }
    return fail(error, QStringLiteral("'%1' is not a number (65, 0x41, $41 or x41)").arg(text));
}

bool parseByte(const QString& text, const QString& tooLarge, std::uint8_t* value, QString* error)
{
    std::int32_t n = 0;
    if (!parseNumber(text, &n, error)) return false;
    // As a script line takes its data: one byte, read as unsigned.
    if (std::uint32_t(n) > 0xFFu) return fail(error, tooLarge);
    *value = std::uint8_t(n);
    return true;
}

bool parseTargets(const QStringList& args, bool names, QList<Target>* targets, QString* error)
{
    for (const QString& arg : args) {
        if (names && !arg.isEmpty() && arg[0].isLetter() && !parseInteger(arg, IntegerRange::Pattern32)) {
            const fields::Field* f = fieldNamed(arg, error);
            if (!f) return false;
            targets->append({f->reg, f});
            continue;
        }
        // A range's dash comes after its first number; a leading one is a sign.
        const qsizetype dash = arg.indexOf(QLatin1Char('-'), 1);
        int first = 0, last = 0;
        if (dash < 0) {
            if (!parseAddress(arg, &first, error)) return false;
            last = first;
        } else if (!parseAddress(arg.left(dash), &first, error) ||
                   !parseAddress(arg.mid(dash + 1), &last, error)) {
            return false;
        } else if (first > last) {
            return fail(error, QStringLiteral("The range %1 runs backwards").arg(arg));
        }
        for (int a = first; a <= last; ++a) targets->append({a, nullptr});
    }
    return true;
}

bool parseFieldNames(const QStringList& args, QList<Target>* targets, QString* error)
{
    for (const QString& arg : args) {
        const fields::Field* f = fieldNamed(arg, error);
        if (!f) return false;
        targets->append({f->reg, f});
    }
    return true;
}

bool parseSettings(const QStringList& args, QList<FieldSetting>* settings, QString* error)
{
    for (const QString& arg : args) {
        const qsizetype eq = arg.indexOf(QLatin1Char('='));
        if (eq <= 0) return fail(error, QStringLiteral("set takes NAME=VALUE, not '%1'").arg(arg));
        const fields::Field* f = fieldNamed(arg.left(eq), error);
        if (!f) return false;
        const QString value = arg.mid(eq + 1);
        // Checked now, in either attenuation mode alike; converted at the write.
        if (!fields::parseValue(*f, value, false, error)) return false;
        settings->append({f, value});
    }
    return true;
}

bool parseArguments(const QStringList& args, Invocation* inv, QString* error)
{
    switch (inv->command) {
    case Command::Read:
        return parseTargets(args, false, &inv->targets, error);
    case Command::Watch:
        return parseTargets(args, true, &inv->targets, error);
    case Command::Write:
        if (!parseTargets(args.mid(0, 1), false, &inv->targets, error)) return false;
        if (inv->targets.size() != 1)
            return fail(error, QStringLiteral("write takes one register, not a range"));
        // Above 0xFF as a script line says it.
        return parseByte(args[1], scriptline::errorText(scriptline::Kind::BadData), &inv->data, error);
    case Command::Get:
        return parseFieldNames(args, &inv->targets, error);
    case Command::Set:
        return parseSettings(args, &inv->settings, error);
    case Command::Run:
    case Command::Dump:
        inv->fileA = args.value(0);
        return true;
    case Command::Compare:
        inv->fileA = args.value(0);
        inv->fileB = args.value(1);
        if (inv->fileA == QLatin1String("-") && inv->fileB == QLatin1String("-"))
            return fail(error,
                        QStringLiteral("standard input can be read once: only one of A and B can be -"));
        return true;
    case Command::Info:
    case Command::Fields:
    case Command::Reset:
    case Command::Serve:
        return true;
    }
    return true;
}

} // namespace evm::cli

// get, set and fields: the chip's bit fields by name, from the core's table.

#include "format.h"
#include "handlers.h"
#include "session.h"

namespace evm::cli {

int get(Session& s, const Invocation& inv)
{
    // Each register read once, so that fields of one register agree.
    ChipBytes chip(s);
    QList<QJsonObject> objects;
    QStringList lines;
    for (const Target& t : inv.targets) {
        const std::optional<std::uint8_t> b = chip.at(t.address);
        const std::optional<bool> wide = t.field->attenuation ? chip.wide() : false;
        if (!b || !wide) return 0;
        const unsigned v = fields::valueOf(*t.field, *b);
        objects.append(fields::toJson(*t.field, v, *wide));
        lines.append(fields::describe(*t.field, v, *wide));
    }
    if (inv.json)
        s.out.json(fieldsJson(objects));
    else
        for (const QString& line : lines) s.out.line(line);
    return 0;
}

int set(Session& s, const Invocation& inv)
{
    for (const FieldSetting& setting : inv.settings) {
        const fields::Field& f = *setting.field;
        // Read-modify-write on what the chip holds, each field after the one
        // before, so that a DAMS set first is the mode of the dB after it.
        ChipBytes chip(s);
        const std::optional<std::uint8_t> old = chip.at(f.reg);
        if (!old) return 0;
        QString error;
        std::optional<unsigned> value = fields::parseValue(f, setting.value, false, &error);
        // The mode matters only where the two modes read the text apart (decibels).
        if (value && value != fields::parseValue(f, setting.value, true, &error)) {
            const std::optional<bool> wide = chip.wide();
            if (!wide) return 0;
            value = fields::parseValue(f, setting.value, *wide, &error);
        }
        if (!value) {
            s.fail(error); // checked with the arguments: not reached
            return 0;
        }
        const int before = s.failures();
        // A converter's master/slave field routes the board's clocks as the
        // window's combo box does, or the board would drive clocks the chip drives too.
        s.board.writeField(unsigned(f.reg), f.low, f.width(), *value, *old);
        if (s.failures() != before) return 0;
    }
    return 0;
}

int listFields(Session& s, const Invocation& inv)
{
    ChipBytes chip(s);
    QList<QJsonObject> objects;
    QStringList lines;
    const std::optional<bool> wide = chip.wide();
    if (!wide) return 0;
    for (const fields::Field& f : fields::all()) {
        const std::optional<std::uint8_t> b = chip.at(f.reg);
        if (!b) return 0;
        const unsigned v = fields::valueOf(f, *b);
        objects.append(fields::toJson(f, v, *wide));
        lines.append(fieldRow(f, v, *wide));
    }
    if (inv.json)
        s.out.json(fieldsJson(objects));
    else
        for (const QString& line : lines) s.out.line(line);
    return 0;
}

} // namespace evm::cli

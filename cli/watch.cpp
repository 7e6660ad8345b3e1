// watch: registers and bit fields read at an interval, a time-stamped line
// for each that changed, until a terminating signal ends it.

#include "handlers.h"
#include "linktext.h"
#include "session.h"
#include "termination.h"

#include <QDateTime>

namespace evm::cli {

int watch(Session& s, const Invocation& inv)
{
    QList<std::optional<unsigned>> shown(inv.targets.size());
    while (Termination::caught() == 0) {
        ChipBytes chip(s);
        const QString stamp = QDateTime::currentDateTime().toString(Qt::ISODateWithMs) + QLatin1Char(' ');
        for (qsizetype i = 0; i < inv.targets.size(); ++i) {
            const Target& t = inv.targets[i];
            const std::optional<std::uint8_t> b = chip.at(t.address);
            const std::optional<bool> wide = t.field && t.field->attenuation ? chip.wide() : false;
            if (!b || !wide) return 0; // the board no longer answers: reported, status 2
            const unsigned v = t.field ? fields::valueOf(*t.field, *b) : *b;
            if (shown[i] == v) continue;
            shown[i] = v;
            s.out.line(stamp + (t.field ? fields::describe(*t.field, v, *wide)
                                        : evmlink::recordLine(unsigned(t.address), v)));
        }
        // Each change reaches a pipe as it is seen.
        if (!s.out.flush()) return 0;
        s.board.wait(inv.intervalMs);
    }
    return 0;
}

} // namespace evm::cli

#include "snapshotcompare.h"

#include "bindingtables.h"
#include "linktext.h"
#include "scriptline.h"
#include "textfile.h"

#include <algorithm>

namespace evm::compare {
namespace {

using ControlTable = std::array<std::array<const char*, 8>, regs::kCount>; // [row][bit]

void bindBits(ControlTable& t, int reg, int low, int width, const char* control)
{
    if (!regs::inImage(unsigned(reg))) return;
    for (int bit = low; bit < low + width && bit < 8; ++bit) {
        const char*& slot = t[std::size_t(reg - regs::kFirst)][std::size_t(bit)];
        if (!slot) slot = control;
    }
}

// Built from the binding tables, so that a change of a binding shows here too.
ControlTable makeControlTable()
{
    ControlTable t{};
    for (const bind::CheckDef& d : bind::kCheckDefs) bindBits(t, d.reg, d.bit, 1, d.control);
    for (const bind::ComboDef& d : bind::kComboDefs) bindBits(t, d.reg, d.shift, d.width, d.control);
    for (const bind::RadioDef& d : bind::kRadioDefs) bindBits(t, d.reg, d.bit, 1, d.control);
    // The track bar is the channel's control; its edit field shows the same byte.
    for (const bind::AttenuationDef& d : bind::kAttenuationDefs) bindBits(t, d.reg, 0, 8, d.track);
    return t;
}

QString valueText(int v)
{
    return v == kMissing ? QStringLiteral("missing") : evmlink::hex2(unsigned(v));
}

QList<BitGroup> groupBits(int address, unsigned changed)
{
    QList<BitGroup> groups;
    for (int bit = 7; bit >= 0; --bit) {
        if (!(changed & (1u << bit))) continue;
        const char* c = controlOfBit(address, bit);
        const QString control = c ? QString::fromLatin1(c) : QString();
        auto g = std::find_if(groups.begin(), groups.end(),
                              [&](const BitGroup& x) { return x.control == control; });
        if (g == groups.end()) g = groups.insert(groups.end(), BitGroup{control, {}});
        g->bits << bitLabel(address, bit);
    }
    return groups;
}

} // namespace

const char* controlOfBit(int address, int bit)
{
    static const ControlTable table = makeControlTable();
    if (!regs::inImage(unsigned(address)) || bit < 0 || bit > 7) return nullptr;
    return table[std::size_t(address - regs::kFirst)][std::size_t(bit)];
}

QString bitLabel(int address, int bit)
{
    const char* name = regs::bitName(address - regs::kFirst, bit);
    return qstrcmp(name, "-") == 0 ? QStringLiteral("bit%1").arg(bit) : QString::fromLatin1(name);
}

bool read(QIODevice* device, Values* values, Problem* problem)
{
    values->fill(kMissing);
    textfile::LineReader lines(device);
    QByteArrayView text;
    qint64 number = 0;
    while (lines.next(&text)) {
        ++number;
        const scriptline::Line line = scriptline::parse(text);
        switch (line.kind) {
        case scriptline::Kind::Empty:
        case scriptline::Kind::Wait:
            break;
        case scriptline::Kind::Write:
            if (!regs::inImage(unsigned(line.first))) {
                *problem = {number, QStringLiteral("Register %1 is not a chip register (0x40..0x5E).")
                                        .arg(evmlink::hex2(unsigned(line.first)))};
                return false;
            }
            (*values)[std::size_t(line.first - regs::kFirst)] = line.second;
            break;
        case scriptline::Kind::BadWait:
        case scriptline::Kind::BadRecord:
        case scriptline::Kind::BadData:
            *problem = {number, scriptline::errorText(line.kind)};
            return false;
        }
    }
    if (lines.failed()) {
        *problem = {0, lines.errorString()};
        return false;
    }
    return true;
}

Values fromChip(const std::array<std::uint8_t, regs::kCount>& bytes)
{
    Values v{};
    for (std::size_t i = 0; i < v.size(); ++i) v[i] = bytes[i];
    return v;
}

QList<Difference> differences(const Values& a, const Values& b)
{
    QList<Difference> out;
    for (int i = 0; i < regs::kCount; ++i) {
        const int va = a[std::size_t(i)];
        const int vb = b[std::size_t(i)];
        if (va == vb) continue;
        const int address = regs::kFirst + i;
        Difference d{address, va, vb, {}};
        if (va != kMissing && vb != kMissing) d.groups = groupBits(address, unsigned(va ^ vb));
        out << d;
    }
    return out;
}

QString describe(const Difference& d)
{
    QString s = evmlink::hex2(unsigned(d.address)) + QLatin1String(": ") + valueText(d.a) + QLatin1Char(' ') +
                valueText(d.b);
    for (const BitGroup& g : d.groups) {
        s += QLatin1String("  ");
        if (!g.control.isEmpty()) s += g.control + QLatin1String(": ");
        s += g.bits.join(QLatin1Char(' '));
    }
    return s;
}

} // namespace evm::compare

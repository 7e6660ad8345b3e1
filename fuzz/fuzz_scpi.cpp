// The SCPI server's protocol: framing, parsing and running commands.
// - Framing does not depend on how the bytes arrive.
// - Running a message answers at most once per query and never for another
//   command, and the error queue stays within its bound.
// - A header re-spelled (short or long form, any case, made absolute) parses
//   to the same commands.
// - A message split at its ';' boundaries into separate messages (its headers
//   made absolute) gives the same responses, errors and board operations.

#include "check.h"
#include "errors.h"
#include "framer.h"
#include "parser.h"
#include "session.h"

#include <cstdint>
#include <vector>

using namespace evm::scpi;

namespace {

class Recorder : public Instrument {
public:
    QStringList log;
    bool busy() const override { return false; }
    Identity identity() const override { return {1, QStringLiteral("1.1.1"), QStringLiteral("1.1.0.0")}; }
    Link link() const override { return {true, 0x4C}; }
    Outcome readRegister(int address, std::uint8_t* value) override
    {
        log << QStringLiteral("r%1").arg(address);
        *value = regs_[std::size_t(address)];
        return {};
    }
    Outcome writeRegister(int address, std::uint8_t value) override
    {
        log << QStringLiteral("w%1,%2").arg(address).arg(value);
        regs_[std::size_t(address)] = value;
        return address == 0xEE ? Outcome{Fault::Hardware, QStringLiteral("WRERR0021")} : Outcome{};
    }
    Outcome readAll(RegisterValues* values) override
    {
        log << QStringLiteral("dump");
        std::copy(regs_.begin() + regs::kFirst, regs_.begin() + regs::kFirst + regs::kCount, values->begin());
        return {};
    }
    Outcome field(const QString& name, FieldValue* value) override
    {
        log << QStringLiteral("get ") + name;
        *value = {unsigned(name.size()), name};
        return name.isEmpty() ? Outcome{Fault::BadValue, name} : Outcome{};
    }
    Outcome setField(const QString& name, const QString& value) override
    {
        log << QStringLiteral("set ") + name + u'=' + value;
        return value.contains(u'-') ? Outcome{Fault::OutOfRange, value} : Outcome{};
    }
    Outcome runScript(const QByteArray& text) override
    {
        log << QStringLiteral("script ") + QString::fromLatin1(text.toHex());
        return text.contains("\n\n") ? Outcome{Fault::Failed, QStringLiteral("line 2: bad")} : Outcome{};
    }
    Outcome masterReset() override { return logged("mrst"); }
    Outcome softReset() override { return logged("srst"); }
    Outcome reconnect() override { return logged("reconnect"); }

private:
    Outcome logged(const char* what)
    {
        log << QLatin1String(what);
        return {};
    }
    std::array<std::uint8_t, 256> regs_{};
};

struct Random {
    std::uint64_t state;
    unsigned next()
    {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return unsigned(state >> 32);
    }
};

// Frames the bytes in pieces of `step` bytes; a refused message is "!".
QList<QByteArray> frame(QByteArrayView bytes, qsizetype step)
{
    QList<QByteArray> out;
    MessageFramer framer;
    for (qsizetype at = 0; at < bytes.size();) {
        const QByteArrayView piece = bytes.sliced(at, std::min(step, bytes.size() - at));
        for (qsizetype done = 0; done < piece.size();) {
            qsizetype used = 0;
            const MessageFramer::Result r = framer.feed(piece.sliced(done), &used);
            FUZZ_CHECK(used > 0 && used <= piece.size() - done);
            done += used;
            if (r == MessageFramer::Result::Message) out << framer.message();
            if (r == MessageFramer::Result::TooLong) out << QByteArray("!");
        }
        at += piece.size();
    }
    return out;
}

QList<Command> commands(const QList<Unit>& units)
{
    QList<Command> out;
    for (const Unit& u : units) out << u.command;
    return out;
}

struct Run {
    QByteArrayList responses;
    QList<QByteArray> errors;
    QStringList log;
};

// Runs messages in one session, checking each command's responses and the
// queue's bound, then drains the queue.
Run run(const QList<QByteArray>& messages)
{
    Recorder recorder;
    Session session(recorder);
    Run r;
    for (const QByteArray& m : messages) {
        QByteArrayList responses;
        for (const Unit& u : parseMessage(m)) {
            const qsizetype before = responses.size();
            session.run(u.command, &responses);
            FUZZ_CHECK(responses.size() == before || (u.command.query && responses.size() == before + 1));
            FUZZ_CHECK(session.status().errorCount() <= Status::kQueueSize);
        }
        const QByteArray line = responseLine(responses);
        FUZZ_CHECK(line.isEmpty() == responses.isEmpty());
        FUZZ_CHECK(line.isEmpty() || line.indexOf('\n') == line.size() - 1);
        r.responses += responses;
    }
    const bool overflowed = session.status().errorCount() == Status::kQueueSize &&
                            session.status().lastErrorCode() == kQueueOverflow;
    for (QByteArray e; (e = session.status().takeError()) != "0,\"No error\"";) r.errors << e;
    FUZZ_CHECK(!overflowed || r.errors.last() == "-350,\"Queue overflow\"");
    r.log = recorder.log;
    return r;
}

// A pattern node's short and long forms ("REGister": REG, REGISTER).
QByteArrayList forms(QByteArrayView node)
{
    if (node.startsWith('[')) node = node.sliced(1, node.size() - 2);
    qsizetype shortLength = 0;
    while (shortLength < node.size() && !(node[shortLength] >= 'a' && node[shortLength] <= 'z'))
        ++shortLength;
    const QByteArray longForm = node.toByteArray().toUpper();
    return {longForm.left(shortLength), longForm};
}

bool names(QByteArrayView word, QByteArrayView node)
{
    for (const QByteArray& f : forms(node))
        if (word.compare(f, Qt::CaseInsensitive) == 0) return true;
    return false;
}

// The node of a pattern that a header word names, in either form and any case.
QByteArray respell(QByteArrayView word, QByteArrayView pattern, Random& random)
{
    for (const QByteArray& node : QByteArray(pattern.data(), pattern.size()).split(':')) {
        if (!names(word, node)) continue;
        QByteArray out = forms(node)[random.next() % 2];
        for (char& c : out)
            if (random.next() % 2) c = char(QChar::toLower(uint(c)));
        return out;
    }
    FUZZ_CHECK(false); // a resolved header's words belong to its pattern
    return {};
}

// The message with every resolved header re-spelled; with `absolute`, every
// resolved program header is written from the root. The cut points are the
// offsets of the ';' before each resolved program header: from there on the
// message means the same in a message of its own.
QByteArray variant(QByteArrayView m, const QList<Unit>& units, bool absolute, Random& random,
                   std::vector<qsizetype>* cuts)
{
    QByteArray out;
    qsizetype copied = 0;
    for (const Unit& u : units) {
        const QByteArrayView header = m.sliced(u.headerBegin, u.headerEnd - u.headerBegin);
        const bool common = header.startsWith('*');
        const bool rooted = common || header.startsWith(':');
        out += m.sliced(copied, u.headerBegin - copied);
        copied = u.headerEnd;
        const bool resolved = u.command.id != CommandId::None;
        if (u.begin > 0 && resolved && !common) cuts->push_back(out.size() - (u.headerBegin - u.begin) - 1);
        if (!resolved) {
            out += header;
            continue;
        }
        QByteArrayView words = header;
        if (u.command.query) words.chop(1);
        if (rooted) words = words.sliced(1);
        const QByteArrayView pattern = headerPattern(u.command.id);
        QByteArrayList spelled;
        qsizetype count = 0;
        for (qsizetype from = 0; from <= words.size(); ++count) {
            qsizetype to = words.indexOf(':', from);
            if (to < 0) to = words.size();
            spelled << respell(words.sliced(from, to - from), common ? pattern.sliced(1) : pattern, random);
            from = to + 1;
        }
        if (absolute && !common) {
            // The path this header was read against: the pattern's first
            // nodes, as many as the words leave out (an optional last node
            // that is left out counts as not there).
            const QByteArrayList nodes = QByteArray(pattern.data(), pattern.size()).split(':');
            qsizetype full = nodes.size();
            if (nodes.last().startsWith('[') &&
                !names(words.sliced(words.lastIndexOf(':') + 1), nodes.last()))
                --full;
            for (qsizetype i = full - count - 1; i >= 0; --i) spelled.prepend(nodes[i]);
        }
        out += QByteArray(common ? "*" : rooted || absolute ? ":" : "") + spelled.join(':');
        if (u.command.query) out += '?';
    }
    out += m.sliced(copied);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char*>(data), qsizetype(size));
    const QList<QByteArray> messages = frame(input, input.size() + 1);
    FUZZ_CHECK(frame(input, 1) == messages);
    FUZZ_CHECK(frame(input, 7) == messages);
    run(messages);

    Random random{0x9E3779B97F4A7C15ull ^ size};
    for (const QByteArray& m : messages) {
        const QList<Unit> units = parseMessage(m);
        qsizetype previousEnd = -1;
        for (const Unit& u : units) {
            FUZZ_CHECK(u.begin > previousEnd && u.begin <= u.headerBegin && u.headerBegin < u.headerEnd &&
                       u.headerEnd <= u.end && u.end <= m.size());
            previousEnd = u.end;
        }
        std::vector<qsizetype> cuts;
        FUZZ_CHECK(commands(parseMessage(variant(m, units, false, random, &cuts))) == commands(units));
        cuts.clear();
        const QByteArray rooted = variant(m, units, true, random, &cuts);
        FUZZ_CHECK(commands(parseMessage(rooted)) == commands(units));

        QList<QByteArray> pieces;
        qsizetype from = 0;
        for (qsizetype cut : cuts) {
            pieces << rooted.sliced(from, cut - from);
            from = cut + 1;
        }
        pieces << rooted.sliced(from);
        const Run whole = run({m});
        const Run split = run(pieces);
        FUZZ_CHECK(whole.responses == split.responses);
        FUZZ_CHECK(whole.errors == split.errors);
        FUZZ_CHECK(whole.log == split.log);
    }
    return 0;
}

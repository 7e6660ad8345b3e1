#include "parser.h"

#include "errors.h"
#include "scpinumber.h"

#include <QVarLengthArray>

#include <cstring>

namespace evm::scpi {
namespace {

// Parameters: 'n' a number 0..255, 't' a text (string or plain), 'b' a block.
// nullptr: the form does not exist.
struct Entry {
    CommandId id;
    const char* header;
    const char* setParams;
    const char* queryParams;
};

constexpr Entry kTable[] = {
    {CommandId::Idn, "*IDN", nullptr, ""},
    {CommandId::Rst, "*RST", "", nullptr},
    {CommandId::Cls, "*CLS", "", nullptr},
    {CommandId::Opc, "*OPC", "", ""},
    {CommandId::Esr, "*ESR", nullptr, ""},
    {CommandId::Ese, "*ESE", "n", ""},
    {CommandId::Stb, "*STB", nullptr, ""},
    {CommandId::SystemError, "SYSTem:ERRor:[NEXT]", nullptr, ""},
    {CommandId::RegisterValue, "REGister:VALue", "nn", "n"},
    {CommandId::RegisterDump, "REGister:DUMP", nullptr, ""},
    {CommandId::Field, "FIELD", "tt", "t"},
    {CommandId::FieldText, "FIELD:TEXT", nullptr, "t"},
    {CommandId::ScriptRun, "SCRipt:RUN", "b", nullptr},
    {CommandId::BoardSoftReset, "BOARD:RESet:SOFT", "", nullptr},
    {CommandId::BoardReconnect, "BOARD:RECOnnect", "", nullptr},
    {CommandId::BoardInterface, "BOARD:INTerface", nullptr, ""},
};

using Words = QVarLengthArray<QByteArrayView, 8>;

bool isBlank(char c)
{
    return static_cast<unsigned char>(c) <= 0x20;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isLetter(char c)
{
    return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
}

char upper(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 0x20) : c;
}

bool sameLetters(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size()) return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (upper(a[i]) != upper(b[i])) return false;
    return true;
}

// One node of a header pattern against one mnemonic as sent.
bool nodeMatches(QByteArrayView node, QByteArrayView word)
{
    if (node.startsWith('[')) node = node.sliced(1, node.size() - 2);
    qsizetype shortLength = 0;
    while (shortLength < node.size() && !(node[shortLength] >= 'a' && node[shortLength] <= 'z'))
        ++shortLength;
    return sameLetters(node.first(shortLength), word) || sameLetters(node, word);
}

Words split(QByteArrayView text, char separator)
{
    Words parts;
    qsizetype from = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == separator) {
            parts.append(text.sliced(from, i - from));
            from = i + 1;
        }
    }
    return parts;
}

bool matches(const Words& nodes, qsizetype n, const Words& words, qsizetype w)
{
    if (n == nodes.size()) return w == words.size();
    if (nodes[n].startsWith('[') && matches(nodes, n + 1, words, w)) return true;
    return w < words.size() && nodeMatches(nodes[n], words[w]) && matches(nodes, n + 1, words, w + 1);
}

const Entry* findProgram(const Words& words)
{
    for (const Entry& e : kTable)
        if (e.header[0] != '*' && matches(split(e.header, ':'), 0, words, 0)) return &e;
    return nullptr;
}

const Entry* findCommon(QByteArrayView word)
{
    for (const Entry& e : kTable)
        if (e.header[0] == '*' && sameLetters(QByteArrayView(e.header + 1), word)) return &e;
    return nullptr;
}

// Where a string opened at `at` ends (after its closing quote, or at the end).
qsizetype stringEnd(QByteArrayView m, qsizetype at, qsizetype end, bool* closed)
{
    const char quote = m[at];
    for (qsizetype i = at + 1; i < end; ++i) {
        if (m[i] != quote) continue;
        if (i + 1 < end && m[i + 1] == quote) {
            ++i;
            continue;
        }
        *closed = true;
        return i + 1;
    }
    *closed = false;
    return end;
}

// The block whose '#' is at `at`: its bytes and where it ends. False when no
// block begins there (no digit after '#', or too few length digits). A block
// cut short by the end is still a block, flagged as truncated.
struct Block {
    qsizetype dataBegin = 0, dataEnd = 0, end = 0;
    bool truncated = false;
};

bool readBlock(QByteArrayView m, qsizetype at, qsizetype end, Block* block)
{
    if (at + 1 >= end || !isDigit(m[at + 1])) return false;
    const int digits = m[at + 1] - '0';
    if (digits == 0) { // indefinite: the rest of the message
        *block = {at + 2, end, end, false};
        return true;
    }
    if (at + 2 + digits > end) return false;
    qsizetype length = 0;
    for (int i = 0; i < digits; ++i) {
        const char c = m[at + 2 + i];
        if (!isDigit(c)) return false;
        length = length * 10 + (c - '0');
    }
    const qsizetype begin = at + 2 + digits;
    const bool truncated = length > end - begin;
    block->dataBegin = begin;
    block->dataEnd = truncated ? end : begin + length;
    block->end = block->dataEnd;
    block->truncated = truncated;
    return true;
}

// The end of the unit that begins at `at`: the next ';' outside strings and blocks.
qsizetype unitEnd(QByteArrayView m, qsizetype at)
{
    while (at < m.size()) {
        const char c = m[at];
        if (c == ';') return at;
        if (c == '"' || c == '\'') {
            bool closed = false;
            at = stringEnd(m, at, m.size(), &closed);
        } else if (Block b; c == '#' && readBlock(m, at, m.size(), &b)) {
            at = b.end;
        } else {
            ++at;
        }
    }
    return at;
}

struct Token {
    enum Kind { Plain, String, Block } kind = Plain;
    QByteArray bytes;
};

QByteArray unquote(QByteArrayView inner, char quote)
{
    QByteArray out;
    out.reserve(inner.size());
    for (qsizetype i = 0; i < inner.size(); ++i) {
        out.append(inner[i]);
        if (inner[i] == quote) ++i; // the second of a doubled quote
    }
    return out;
}

// The parameters of a unit from `at` to `end`. Returns 0 or a syntax error.
int readParameters(QByteArrayView m, qsizetype at, qsizetype end, QList<Token>* out)
{
    auto skipBlanks = [&] {
        while (at < end && isBlank(m[at])) ++at;
    };
    skipBlanks();
    if (at == end) return 0;
    for (;;) {
        if (at == end || m[at] == ',') return kSyntaxError; // an empty parameter
        Token t;
        const char c = m[at];
        if (c == '"' || c == '\'') {
            bool closed = false;
            const qsizetype e = stringEnd(m, at, end, &closed);
            if (!closed) return kSyntaxError;
            t = {Token::String, unquote(m.sliced(at + 1, e - at - 2), c)};
            at = e;
        } else if (c == '#' && at + 1 < end && isDigit(m[at + 1])) {
            Block b;
            if (!readBlock(m, at, end, &b) || b.truncated) return kInvalidBlockData;
            QByteArrayView data = m.sliced(b.dataBegin, b.dataEnd - b.dataBegin);
            if (m[at + 1] == '0' && data.endsWith('\r')) data.chop(1); // a CR LF line end
            t = {Token::Block, data.toByteArray()};
            at = b.end;
        } else {
            const qsizetype from = at;
            for (; at < end && m[at] != ','; ++at) {
                // Quotes and blocks are whole parameters, never part of one.
                if (m[at] == '"' || m[at] == '\'') return kSyntaxError;
                if (m[at] == '#' && at + 1 < end && isDigit(m[at + 1])) return kSyntaxError;
            }
            qsizetype to = at;
            while (to > from && isBlank(m[to - 1])) --to;
            t = {Token::Plain, m.sliced(from, to - from).toByteArray()};
        }
        out->append(std::move(t));
        skipBlanks();
        if (at == end) return 0;
        if (m[at] != ',') return kSyntaxError;
        ++at;
        skipBlanks();
    }
}

// Checks the tokens against the form's parameters and fills the command.
int takeParameters(const char* form, const QList<Token>& tokens, Command* c)
{
    const auto wanted = qsizetype(std::strlen(form));
    if (tokens.size() < wanted) return kMissingParameter;
    if (tokens.size() > wanted) return kParameterNotAllowed;
    int n = 0, t = 0;
    for (qsizetype i = 0; i < wanted; ++i) {
        const Token& token = tokens[i];
        switch (form[i]) {
        case 'n': {
            if (token.kind != Token::Plain) return kDataTypeError;
            std::int64_t v = 0;
            const NumberStatus s = parseNumber(token.bytes, &v);
            if (s == NumberStatus::NotANumber) return kDataTypeError;
            if (s == NumberStatus::TooLarge || v < 0 || v > 0xFF) return kDataOutOfRange;
            c->numbers[n++] = std::int32_t(v);
            break;
        }
        case 't':
            if (token.kind == Token::Block) return kDataTypeError;
            c->texts[t++] = token.bytes;
            break;
        case 'b':
            if (token.kind != Token::Block) return kDataTypeError;
            c->texts[t++] = token.bytes;
            break;
        }
    }
    return 0;
}

// A header's mnemonics: a letter, then letters, digits or '_'.
bool isMnemonic(QByteArrayView w)
{
    if (w.isEmpty() || !isLetter(w[0])) return false;
    for (char c : w)
        if (!isLetter(c) && !isDigit(c) && c != '_') return false;
    return true;
}

class UnitParser {
public:
    explicit UnitParser(QByteArrayView message) : m_(message) {}

    bool parse(qsizetype begin, qsizetype end, Unit* unit)
    {
        qsizetype at = begin;
        while (at < end && isBlank(m_[at])) ++at;
        if (at == end) return false;
        unit->begin = begin;
        unit->end = end;
        unit->headerBegin = at;
        while (at < end && !isBlank(m_[at])) ++at;
        unit->headerEnd = at;
        Command& c = unit->command;
        const Entry* entry = resolve(m_.sliced(unit->headerBegin, at - unit->headerBegin), &c);
        if (!entry) return true;
        QList<Token> tokens;
        if (const int e = readParameters(m_, at, end, &tokens)) {
            c.error = e;
            return true;
        }
        if (const int e = takeParameters(c.query ? entry->queryParams : entry->setParams, tokens, &c)) {
            c.numbers = {};
            c.texts = {};
            c.error = e;
        }
        return true;
    }

private:
    // The header's command, or nullptr with the error set in c.
    const Entry* resolve(QByteArrayView header, Command* c)
    {
        c->query = header.endsWith('?');
        if (c->query) header.chop(1);
        const bool common = header.startsWith('*');
        const bool absolute = header.startsWith(':');
        if (common || absolute) header = header.sliced(1);
        const Words words = split(header, ':');
        for (QByteArrayView w : words) {
            if (!isMnemonic(w)) {
                c->error = kSyntaxError;
                return nullptr;
            }
        }
        if (common && words.size() != 1) {
            c->error = kSyntaxError;
            return nullptr;
        }
        Words full;
        if (!common && !absolute) full = path_;
        full.append(words.constData(), words.size());
        const Entry* e = common ? findCommon(words[0]) : findProgram(full);
        if (!e || !(c->query ? e->queryParams : e->setParams)) {
            c->error = kUndefinedHeader;
            return nullptr;
        }
        c->id = e->id;
        if (!common) {
            full.removeLast();
            path_ = full;
        }
        return e;
    }

    QByteArrayView m_;
    Words path_; // the mnemonics of the previous command, without its last
};

} // namespace

QList<Unit> parseMessage(QByteArrayView message)
{
    QList<Unit> units;
    UnitParser parser(message);
    for (qsizetype at = 0;; ++at) {
        const qsizetype end = unitEnd(message, at);
        Unit unit;
        if (parser.parse(at, end, &unit)) units.append(std::move(unit));
        if (end == message.size()) break;
        at = end;
    }
    return units;
}

const char* headerPattern(CommandId id)
{
    for (const Entry& e : kTable)
        if (e.id == id) return e.header;
    return "";
}

} // namespace evm::scpi

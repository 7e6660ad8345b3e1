// run, dump and compare: scripts and snapshots, from files, standard input
// and standard output.

#include "board.h"
#include "format.h"
#include "handlers.h"
#include "runreport.h"
#include "savefile.h"
#include "session.h"

#include <QFileInfo>
#include <QJsonDocument>

#include <cerrno>

namespace evm::cli {
namespace {

// Standard input's descriptor on every platform the program runs on.
constexpr int kStdinDescriptor = 0;

bool isStandardStream(const QString& path)
{
    return path == QLatin1String("-");
}

// Opens `path` for reading, "-" being standard input. A path that is no
// regular file (a FIFO, /dev/stdin, a process substitution) is read as it comes.
std::unique_ptr<QFile> openInput(const QString& path, QString* reason)
{
    auto file = std::make_unique<QFile>();
    if (isStandardStream(path)) {
        if (file->open(kStdinDescriptor, QIODevice::ReadOnly)) return file;
    } else {
        file->setFileName(path);
        if (QFileInfo(path).isDir()) {
            *reason = qt_error_string(EISDIR);
            return nullptr;
        }
        if (file->open(QIODevice::ReadOnly)) return file;
    }
    *reason = file->errorString();
    return nullptr;
}

QString displayName(const QString& path)
{
    return isStandardStream(path) ? QLatin1String(kStdinName) : path;
}

bool readSnapshot(Session& s, const QString& path, compare::Values* values)
{
    QString reason;
    const std::unique_ptr<QFile> file = openInput(path, &reason);
    if (!file) {
        s.fail(QStringLiteral("%1: %2").arg(path, reason));
        return false;
    }
    compare::Problem problem;
    if (compare::read(file.get(), values, &problem)) return true;
    const QString name = displayName(path);
    s.fail(problem.line > 0 ? QStringLiteral("%1:%2: %3").arg(name).arg(problem.line).arg(problem.text)
                            : QStringLiteral("%1: %2").arg(name, problem.text));
    return false;
}

QByteArray jsonBytes(const QJsonObject& document)
{
    return QJsonDocument(document).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace

bool prepare(Session& s, const Invocation& inv, Inputs* in)
{
    switch (inv.command) {
    case Command::Run: {
        s.scriptName = displayName(inv.fileA);
        // A missing file and one that cannot be read are told apart.
        if (!isStandardStream(inv.fileA) && !QFileInfo::exists(inv.fileA)) {
            s.fail(inv.fileA + QStringLiteral(": File not exist."));
            return false;
        }
        QString reason;
        in->script = openInput(inv.fileA, &reason);
        if (!in->script) s.fail(QStringLiteral("%1: Cannot read the script file: %2").arg(inv.fileA, reason));
        return in->script != nullptr;
    }
    case Command::Compare:
        return readSnapshot(s, inv.fileA, &in->a) &&
               (inv.fileB.isEmpty() || readSnapshot(s, inv.fileB, &in->b));
    default:
        return true;
    }
}

int run(Session& s, const Invocation& inv, Inputs& in)
{
    RunReport events(s, !inv.quiet && errorIsTerminal());
    s.board.runScript(in.script.get(), &events);
    return 0;
}

int dump(Session& s, const Invocation& inv)
{
    const bool toOutput = inv.fileA.isEmpty() || isStandardStream(inv.fileA);
    if (!toOutput && !inv.json) {
        s.board.saveSnapshot(inv.fileA); // the window's file, whatever the reads gave
        return 0;
    }
    const int before = s.failures();
    const auto values = s.board.readAll();
    if (s.failures() != before) return 0;
    QByteArray bytes;
    if (inv.json) {
        QList<RegisterValue> list;
        for (int i = 0; i < regs::kCount; ++i) list.append({regs::kFirst + i, values[std::size_t(i)]});
        bytes = jsonBytes(registersJson(list));
    } else {
        bytes = Board::snapshotText(values, "\n");
    }
    if (toOutput)
        s.out.bytes(bytes);
    else
        saveTextFile(inv.fileA, bytes); // a failure throws, to be reported
    return 0;
}

int compareWith(Session& s, const Invocation& inv, const Inputs& in, bool chip)
{
    compare::Values b = in.b;
    if (chip) {
        const int before = s.failures();
        b = compare::fromChip(s.board.readAll());
        if (s.failures() != before) return 0;
    }
    const QList<compare::Difference> d = compare::differences(in.a, b);
    if (inv.json)
        s.out.json(differencesJson(d));
    else
        for (const compare::Difference& x : d) s.out.line(compare::describe(x));
    return d.isEmpty() ? 0 : 1;
}

} // namespace evm::cli

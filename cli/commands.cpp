#include "commands.h"

#include "session.h"
#include "apperror.h"
#include "linktext.h"
#include "snapshotcompare.h"
#include "termination.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace evm::cli {
namespace {

void printOut(const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
}

void printLine(const QString& line)
{
    printOut(line.toLocal8Bit() + '\n');
}

// Script errors name their line, the rest is said as the window says it.
class ScriptReport : public ScriptEvents {
public:
    ScriptReport(Session& session, const QString& path) : session_(session), path_(path) {}
    bool stoppedAt(qint64 index, const QString& text) override
    {
        session_.fail(QStringLiteral("%1:%2: %3").arg(path_).arg(index + 1).arg(text));
        return true;
    }

private:
    Session& session_;
    QString path_;
};

void info(Session& s)
{
    const std::optional<int> v = s.board.libraryVersion();
    const bool iic = s.board.interface() == Interface::Iic;
    printLine(QStringLiteral("library: ") + (v ? evmlink::versionText(*v) : QStringLiteral("0.0.0.0")));
    printLine(QStringLiteral("port: %1").arg(s.board.port()));
    printLine(QStringLiteral("interface: ") + (iic ? QStringLiteral("IIC") : QStringLiteral("SPI")));
    printLine(QStringLiteral("address: ") + evmlink::hex2(unsigned(s.board.deviceAddress())));
}

void readRegister(Session& s, std::int32_t address)
{
    const int before = s.failures();
    const std::uint8_t v = s.board.ReadRegister(address);
    // Standard output carries only what the chip answered.
    if (s.failures() == before) printLine(evmlink::recordLine(unsigned(address), v));
}

void dump(Session& s, const QString& path)
{
    if (!path.isEmpty()) {
        s.board.saveSnapshot(path); // as the window saves it, whatever the reads gave
        return;
    }
    const int before = s.failures();
    const auto values = s.board.readAll();
    if (s.failures() == before) printOut(Board::snapshotText(values, "\n"));
}

void reset(Session& s, bool soft)
{
    // The chip is written what the window writes after its start-up: the
    // image of 0x40 as the read-back (IIC) or the defaults (SPI) leave it.
    const int before = s.failures();
    s.board.readBack();
    if (s.failures() != before) return;
    if (soft)
        s.board.softReset();
    else
        s.board.masterReset();
}

bool readSnapshotFile(Session& session, const QString& path, compare::Values* values)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        session.fail(QStringLiteral("%1: %2").arg(path, file.errorString()));
        return false;
    }
    compare::Problem problem;
    if (compare::read(&file, values, &problem)) return true;
    session.fail(problem.line > 0 ? QStringLiteral("%1:%2: %3").arg(path).arg(problem.line).arg(problem.text)
                                  : QStringLiteral("%1: %2").arg(path, problem.text));
    return false;
}

int printDifferences(const compare::Values& a, const compare::Values& b)
{
    const QList<compare::Difference> d = compare::differences(a, b);
    for (const compare::Difference& x : d) printLine(compare::describe(x));
    return d.isEmpty() ? 0 : 1;
}

int runCommand(Session& s, const Invocation& inv, const compare::Values& fileA)
{
    switch (inv.command) {
    case Command::Info:
        info(s);
        break;
    case Command::Read:
        readRegister(s, inv.address);
        break;
    case Command::Write:
        s.board.WriteRegister(unsigned(inv.address), inv.data);
        break;
    case Command::Run: {
        ScriptReport events(s, inv.fileA);
        s.board.runScript(inv.fileA, &events);
        break;
    }
    case Command::Dump:
        dump(s, inv.fileA);
        break;
    case Command::Compare: {
        const int before = s.failures();
        const compare::Values chip = compare::fromChip(s.board.readAll());
        if (s.failures() == before) return printDifferences(fileA, chip);
        break;
    }
    case Command::Reset:
        reset(s, inv.soft);
        break;
    }
    return 0;
}

} // namespace

int execute(const Invocation& inv)
{
    Session s;
    // Files first: a file that is no snapshot or script is found before
    // anything reaches the board.
    compare::Values fileA{};
    if (inv.command == Command::Compare) {
        if (!readSnapshotFile(s, inv.fileA, &fileA)) return 2;
        if (!inv.fileB.isEmpty()) {
            compare::Values fileB{};
            return readSnapshotFile(s, inv.fileB, &fileB) ? printDifferences(fileA, fileB) : 2;
        }
    }
    if (inv.command == Command::Run && !QFileInfo(inv.fileA).isFile()) {
        s.fail(inv.fileA + QStringLiteral(": File not exist."));
        return 2;
    }
    if (!s.configure(inv)) return 2;

    int status = 0;
    if (s.open()) {
        try {
            status = runCommand(s, inv, fileA);
        } catch (const AppError& e) {
            s.fail(e.text());
        } catch (const std::exception& e) {
            s.fail(QString::fromLocal8Bit(e.what()));
        }
    } else if (inv.command == Command::Info && s.board.isLibraryLoaded()) {
        info(s); // what the About box shows without a board: the version, port 0
    }
    s.finish();
    // A terminating signal ends the run as a shell expects: its name, and
    // the status 128 + its number, after the board is closed.
    const int signo = Termination::caught();
    if (signo != 0) printError(Termination::name(signo));
    s.close();
    if (signo != 0) return 128 + signo;
    return s.troubled() ? 2 : status;
}

} // namespace evm::cli

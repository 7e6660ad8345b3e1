// Register scripts: the runner's line rules, stops and progress against a
// recording target, and a run on the board (history, reports, the files it
// cannot run) against the simulator.

#include "scriptrunner.h"
#include "simfixture.h"

#include <QBuffer>
#include <QDir>
#include <QRegularExpression>
#include <QtTest>

#include <optional>

using Outcome = evm::ScriptRunner::Outcome;
Q_DECLARE_METATYPE(evm::ScriptRunner::Outcome)

namespace {
const QString kBadRecord = QStringLiteral("Invalid record was found on the Register setting file.");
const QString kBadSleep = QStringLiteral("Invalid sleep time.");
const QString kBadData = QStringLiteral("Invalid register data!");

// What a run tells whoever shows it, into a log shared with the board's events.
struct Recorder : evm::ScriptEvents {
    explicit Recorder(QStringList* log) : log(log) {}
    void begun() override { *log << "begun"; }
    void counted(qint64 lines) override { *log << QStringLiteral("counted %1").arg(lines); }
    void at(qint64 index) override
    {
        last = index;
        *log << QStringLiteral("at %1").arg(index);
    }
    bool stoppedAt(qint64 index, const QString& text) override
    {
        *log << QStringLiteral("stop %1 ").arg(index) + text;
        return handles; // false: the board reports it
    }
    void finished() override { *log << "finished"; }
    QStringList* log;
    qint64 last = -1;
    bool handles = false;
};

// Runs a script on a target that records its writes ("41=05") and waits ("wait 100").
evm::ScriptRunner::Result run(const QByteArray& script, QStringList* actions, Recorder* events)
{
    evm::ScriptRunner runner(
        {[=](unsigned reg, int value) { *actions << QString::asprintf("%02X=%02X", reg, value); },
         [=](int ms) { *actions << QStringLiteral("wait %1").arg(ms); }, [] { return false; }});
    QBuffer buffer;
    buffer.setData(script);
    buffer.open(QIODevice::ReadOnly);
    return runner.run(&buffer, events);
}
} // namespace

class TestScriptRunner : public QObject {
    Q_OBJECT
private slots:
    void lines_data();
    void lines();
    void progressIsExactAtAWait();
    void runOnTheBoard_data();
    void runOnTheBoard();
};

// Each kind of line once; the spellings of each are the parser's (tst_scriptline).
void TestScriptRunner::lines_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<qint64>("line"); // the stop's, or the last
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("count");
    QTest::newRow("writes, inside the register file or not")
        << QByteArray("0x40, 0xC1\r\n0x20, 0x01\n0x7F, 0x00") << QStringList{"40=C1", "20=01", "7F=00"}
        << Outcome::Completed << qint64(2) << QString() << qint64(3);
    QTest::newRow("waits") << QByteArray("SLEEP, 100\nsleep, 0\n") << QStringList{"wait 100", "wait 0"}
                           << Outcome::Completed << qint64(1) << QString() << qint64(2);
    QTest::newRow("fieldless lines") << QByteArray("\r\n0x41, 0x01\n\n   \r\t\x01\r\n0x42, 0x02\r\n\r\n")
                                     << QStringList{"41=01", "42=02"} << Outcome::Completed << qint64(6)
                                     << QString() << qint64(7);
    QTest::newRow("empty") << QByteArray() << QStringList{} << Outcome::Completed << qint64(-1) << QString()
                           << qint64(0);
    // A stop keeps what came before and runs nothing after, not even a wait.
    const QByteArray head("0x41, 0x01\r\n0x42, 0x02\r\n"), tail("\r\n0x44, 0x04\r\nsleep, 5\r\n");
    const QStringList two{"41=01", "42=02"};
    QTest::newRow("bad wait") << head + "sleep" + tail << two << Outcome::BadLine << qint64(2) << kBadSleep
                              << qint64(5);
    QTest::newRow("bad record") << head + "0x40" + tail << two << Outcome::BadLine << qint64(2) << kBadRecord
                                << qint64(5);
    QTest::newRow("bad data") << head + "0x40, 0x100" + tail << two << Outcome::BadLine << qint64(2)
                              << kBadData << qint64(5);
    QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF"
                                                   "0x41, 0x01\r\n0x42, 0x02\r\n")
                                     << QStringList{} << Outcome::BadLine << qint64(0) << kBadRecord
                                     << qint64(2);
    QTest::newRow("first line after blank ones")
        << QByteArray("\r\n  \r\nnonsense\r\n0x41, 0x01\r\n") << QStringList{} << Outcome::BadLine
        << qint64(2) << kBadRecord << qint64(4);
}

void TestScriptRunner::lines()
{
    QFETCH(QByteArray, script);
    QFETCH(QStringList, actions);
    QFETCH(Outcome, outcome);
    QFETCH(qint64, line);
    QFETCH(QString, text);
    QFETCH(qint64, count);
    QStringList done, events;
    Recorder recorder(&events);
    const evm::ScriptRunner::Result r = run(script, &done, &recorder);
    QCOMPARE(done, actions);
    QCOMPARE(r.outcome, outcome);
    QCOMPARE(r.line, line);
    QCOMPARE(r.text, text);
    QCOMPARE(events.value(0), QStringLiteral("counted %1").arg(count)); // before the first line
    QCOMPARE(recorder.last, line);                                      // where the run ended
}

// Progress on a long script moves in steps, but is exact where the run waits.
void TestScriptRunner::progressIsExactAtAWait()
{
    QByteArray script;
    for (int i = 0; i < 1000; ++i) script += i == 537 ? "sleep, 3\r\n" : "0x41, 0x01\r\n";
    QStringList actions, events;
    Recorder recorder(&events);
    QCOMPARE(run(script, &actions, &recorder).outcome, Outcome::Completed);
    QCOMPARE(events.first(), QString("counted 1000"));
    QVERIFY(events.contains("at 537"));
    QCOMPARE(recorder.last, qint64(999));
}

void TestScriptRunner::runOnTheBoard_data()
{
    QTest::addColumn<QByteArray>("script"); // "<missing>", "<folder>", "<unreadable>": no script file there
    QTest::addColumn<bool>("present");
    QTest::addColumn<int>("failingWrite"); // a register whose writes fail; 0: none
    QTest::addColumn<bool>("logging");     // the history before the run
    QTest::addColumn<QStringList>("writes");
    QTest::addColumn<QList<int>>("waits");
    QTest::addColumn<QString>("stop");        // the stop the run's caller hears of
    QTest::addColumn<QStringList>("reports"); // their beginnings
    QTest::newRow("writes and a wait") << QByteArray("0x43, 0x01\r\nsleep, 9\r\n") << true << 0 << true
                                       << QStringList{"43=01"} << QList<int>{9} << "" << QStringList{};
    QTest::newRow("stopped, history off before")
        << QByteArray("0x41, 0x01\r\n0x40\r\n0x44, 0x04\r\nsleep, 5\r\n") << true << 0 << false
        << QStringList{"41=01"} << QList<int>{} << "stop 1 " + kBadRecord << QStringList{kBadRecord};
    // Reported by the caller (the command-line tool names the line): not again.
    QTest::newRow("stop the caller reports")
        << QByteArray("0x41, 0x01\r\n\r\nsleep, 0\r\n0x42, 0x100\r\n0x43, 0x01\r\n") << true << 0 << true
        << QStringList{"41=01"} << QList<int>{0} << "stop 3 " + kBadData << QStringList{};
    // A communication error is reported once and stops nothing.
    QTest::newRow("failing writes") << QByteArray("0x41, 0x01\r\n0x41, 0x02\r\n0x42, 0x03\r\n") << true
                                    << 0x41 << true << QStringList{"41=01", "41=02", "42=03"} << QList<int>{}
                                    << "" << QStringList{"Communication error: WRERR001F"};
    QTest::newRow("empty") << QByteArray() << true << 0 << true << QStringList{} << QList<int>{} << ""
                           << QStringList{};
    QTest::newRow("no board") << QByteArray("0x41, 0x33\r\nsleep, 4\r\n0x40\r\n") << false << 0 << true
                              << QStringList{} << QList<int>{4} << "stop 2 " + kBadRecord
                              << QStringList{kBadRecord};
    for (bool logging : {false, true}) {
        const char* on = logging ? ", history on" : ", history off";
        QTest::addRow("missing%s", on) << QByteArray("<missing>") << true << 0 << logging << QStringList{}
                                       << QList<int>{} << "" << QStringList{"File not exist."};
        QTest::addRow("folder%s", on) << QByteArray("<folder>") << true << 0 << logging << QStringList{}
                                      << QList<int>{} << "" << QStringList{"File not exist."};
    }
#ifdef Q_OS_LINUX
    QTest::newRow("unreadable") << QByteArray("<unreadable>") << true << 0 << true << QStringList{}
                                << QList<int>{} << "" << QStringList{"Cannot read the script file.\n"};
#endif
}

void TestScriptRunner::runOnTheBoard()
{
    QFETCH(QByteArray, script);
    QFETCH(bool, present);
    QFETCH(int, failingWrite);
    QFETCH(bool, logging);
    QFETCH(QStringList, writes);
    QFETCH(QList<int>, waits);
    QFETCH(QString, stop);
    QFETCH(QStringList, reports);
    BoardRig rig;
    rig.sim.setPresent(present);
    rig.start();
    QString path = rig.path("s.csv");
    if (script == "<folder>")
        QVERIFY(QDir().mkdir("s.csv"));
    else if (script == "<unreadable>")
        path = "/proc/self/mem"; // a regular file whose every read fails, for root as well
    else if (script != "<missing>")
        rig.writeFile("s.csv", script);
    if (failingWrite) rig.sim.failWrite(0, failingWrite, 0x1F);
    const auto image = rig.board.image().bytes;
    rig.clear();
    std::optional<evm::Board::Quiet> quiet;
    if (!logging) quiet.emplace(rig.board, evm::Board::Quiet::History);
    Recorder recorder(&rig.events);
    recorder.handles = !stop.isEmpty() && reports.isEmpty();

    rig.board.operation([&] { rig.board.runScript(path, &recorder); });
    QCOMPARE(rig.sim.chipWrites(), writes);
    QCOMPARE(rig.waits, waits);
    QCOMPARE(rig.reports.size(), reports.size());
    for (int i = 0; i < reports.size(); ++i) {
        QVERIFY2(rig.reports[i].text.startsWith(reports[i]), qPrintable(rig.reports[i].text));
        if (reports[i].startsWith("Communication")) continue;
        QCOMPARE(rig.reports[i].category, evm::ReportCategory::Script);
        QCOMPARE(rig.reports[i].caption, QString("Script file error"));
    }
    QVERIFY(rig.history.isEmpty()); // a run's writes are no history
    if (!present) QVERIFY(rig.board.image().bytes == image);
    const bool ran = !script.startsWith("<m") && !script.startsWith("<f");
    QCOMPARE(rig.board.logsHistory(), ran || logging); // a run ends with the history on
    if (!ran) {
        QCOMPARE(rig.events, QStringList{"report File not exist."});
        QVERIFY(rig.sim.trace().isEmpty());
        return;
    }
    // Whatever ends it, a run ends with the controls following the image
    // (still unlogged), then its end; a stop comes before that, at its line.
    QCOMPARE(rig.events.first(), QString("begun"));
    QCOMPARE(rig.events.mid(rig.events.size() - 2), (QStringList{"changed", "finished"}));
    const int at = rig.events.indexOf(QRegularExpression("stop .*"));
    QCOMPARE(at < 0 ? QString() : rig.events[at], stop);
    if (at < 0) return;
    QCOMPARE(rig.events[at - 1], "at " + stop.section(' ', 1, 1));
    QCOMPARE(rig.events[at + 1], reports.isEmpty() ? QString("changed") : "report " + reports[0]);
}

QTEST_GUILESS_MAIN(TestScriptRunner)
#include "tst_scriptrunner.moc"

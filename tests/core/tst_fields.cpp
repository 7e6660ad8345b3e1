// Splitting script lines into fields, and reading text files as lines.

#include "fields.h"
#include "textfile.h"
#include "simfixture.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

class TestFields : public QObject {
    Q_OBJECT
private slots:
    void split_data();
    void split();
    void splitStopsAtMaxFields();
    void lines_data();
    void lines();
    void readLinesKeepsBytes();
    void readLinesReportsUnreadable();
    void writeAtomicReplacesWhole();
    void writeAtomicFailureKeepsOldFile_data();
    void writeAtomicFailureKeepsOldFile();
    void crLf_data();
    void crLf();
};

using Fields = QList<QByteArray>;

void TestFields::split_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<Fields>("fields");
    QTest::newRow("comma and space") << QByteArray("0x40, 0xC1") << Fields{"0x40", "0xC1"};
    QTest::newRow("comma") << QByteArray("0x40,0xC1") << Fields{"0x40", "0xC1"};
    QTest::newRow("blank separates") << QByteArray("0x40 0xC1") << Fields{"0x40", "0xC1"};
    QTest::newRow("tab separates") << QByteArray("0x40\t0xC1") << Fields{"0x40", "0xC1"};
    QTest::newRow("blanks around comma") << QByteArray("  0x40 \t ,\x01 0xC1  ") << Fields{"0x40", "0xC1"};
    QTest::newRow("control chars are blanks") << QByteArray("\x1F"
                                                            "a\x02"
                                                            "b")
                                              << Fields{"a", "b"};
    QTest::newRow("third field kept")
        << QByteArray("0x41, 0x05, set format") << Fields{"0x41", "0x05", "set", "format"};
    QTest::newRow("empty") << QByteArray("") << Fields{};
    QTest::newRow("blanks only") << QByteArray(" \t \x1F ") << Fields{};
    QTest::newRow("empty middle field") << QByteArray("0x40,,0x01") << Fields{"0x40", "", "0x01"};
    QTest::newRow("blanks between commas") << QByteArray("0x40, \t ,0x01") << Fields{"0x40", "", "0x01"};
    QTest::newRow("trailing comma") << QByteArray("0x40,") << Fields{"0x40", ""};
    QTest::newRow("trailing comma and blanks") << QByteArray("0x40,  ") << Fields{"0x40", ""};
    QTest::newRow("leading comma") << QByteArray(",0x40") << Fields{"", "0x40"};
    QTest::newRow("comma only") << QByteArray(",") << Fields{"", ""};
    QTest::newRow("quoted") << QByteArray("\"0x40\",\"0xC1\"") << Fields{"0x40", "0xC1"};
    QTest::newRow("quoted keeps blanks and commas") << QByteArray("\" a, b \", c") << Fields{" a, b ", "c"};
    QTest::newRow("doubled quote") << QByteArray("\"say \"\"hi\"\"\",x") << Fields{"say \"hi\"", "x"};
    QTest::newRow("empty quoted") << QByteArray("\"\",x") << Fields{"", "x"};
    QTest::newRow("unclosed quote runs to end") << QByteArray("\"ab, cd") << Fields{"ab, cd"};
    QTest::newRow("text after closing quote") << QByteArray("\"ab\"cd,e") << Fields{"ab", "cd", "e"};
    QTest::newRow("quote inside unquoted") << QByteArray("a\"b\" c") << Fields{"a\"b\"", "c"};
    QTest::newRow("byte-order mark is text") << QByteArray("\xEF\xBB\xBF"
                                                           "0x40, 0x01")
                                             << Fields{"\xEF\xBB\xBF"
                                                       "0x40",
                                                       "0x01"};
    QTest::newRow("high bytes are not blanks") << QByteArray("\xA0"
                                                             "1")
                                               << Fields{"\xA0"
                                                         "1"};
    QTest::newRow("nul is not a blank") << QByteArray("a\0b c", 5) << Fields{QByteArray("a\0b", 3), "c"};
}

void TestFields::split()
{
    QFETCH(QByteArray, line);
    QFETCH(Fields, fields);
    QCOMPARE(scriptfields::splitAll(line), fields);
}

void TestFields::splitStopsAtMaxFields()
{
    const QByteArray line("a, \"b\"\"\", c, d");
    scriptfields::Field f[2];
    QCOMPARE(scriptfields::split(line.data(), line.data() + line.size(), f, 2), 2);
    QCOMPARE(f[0].raw(), QByteArrayView("a"));
    QVERIFY(!f[0].doubledQuotes);
    QCOMPARE(f[1].raw(), QByteArrayView("b\"\""));
    QVERIFY(f[1].doubledQuotes);
    QCOMPARE(scriptfields::fieldText(f[1]), QByteArray("b\""));
    // Only room for one: the trailing empty field of "x," is not stored past it.
    const QByteArray trailing("x,");
    QCOMPARE(scriptfields::split(trailing.data(), trailing.data() + trailing.size(), f, 1), 1);
}

void TestFields::lines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Fields>("lines");
    QTest::newRow("empty file") << QByteArray() << Fields{};
    QTest::newRow("no final line end") << QByteArray("a") << Fields{"a"};
    QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << Fields{"a", "b"};
    QTest::newRow("lf") << QByteArray("a\nb\n") << Fields{"a", "b"};
    QTest::newRow("cr") << QByteArray("a\rb\r") << Fields{"a", "b"};
    QTest::newRow("mixed") << QByteArray("a\r\nb\nc\rd") << Fields{"a", "b", "c", "d"};
    QTest::newRow("lone line end") << QByteArray("\r\n") << Fields{""};
    QTest::newRow("empty lines kept") << QByteArray("a\n\n\nb") << Fields{"a", "", "", "b"};
    QTest::newRow("cr cr lf") << QByteArray("a\r\r\nb") << Fields{"a", "", "b"};
    QTest::newRow("lf cr is two ends") << QByteArray("a\n\rb") << Fields{"a", "", "b"};
}

namespace {
Fields readAll(QIODevice* device)
{
    textfile::LineReader reader(device);
    Fields got;
    QByteArrayView line;
    while (reader.next(&line)) got << line.toByteArray();
    return reader.failed() ? Fields{"<failed>"} : got;
}
} // namespace

void TestFields::lines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Fields, lines);
    QBuffer buffer(&bytes);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    QCOMPARE(readAll(&buffer), lines);
}

void TestFields::readLinesKeepsBytes()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("s.csv");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("\xEF\xBB\xBF"
            "0x40, 0x01\r\n\xFF\x00z\n",
            19);
    // Line ends that straddle the reader's chunks: CR last in one chunk with
    // its LF first in the next is one line end; a long line spans chunks.
    const QByteArray longLine(200 * 1024, 'x');
    f.write(QByteArray(64 * 1024 - 19 - 1, 'a') + "\r\n" + longLine + "\r");
    f.close();
    QVERIFY(f.open(QIODevice::ReadOnly));
    const Fields got = readAll(&f);
    QCOMPARE(got.size(), 4);
    QCOMPARE(got[0], QByteArray("\xEF\xBB\xBF"
                                "0x40, 0x01"));
    QCOMPARE(got[1], QByteArray("\xFF\x00z", 3));
    QCOMPARE(got[2], QByteArray(64 * 1024 - 19 - 1, 'a'));
    QCOMPARE(got[3], longLine);
}

void TestFields::readLinesReportsUnreadable()
{
    // A device whose read fails part-way is no shorter file: the reader says so.
    class Failing : public QIODevice {
    public:
        qint64 readData(char* data, qint64 max) override
        {
            if (given_) return -1;
            given_ = true;
            const QByteArray first("0x40, 0x01\n0x41");
            const qint64 n = qMin<qint64>(max, first.size());
            memcpy(data, first.constData(), size_t(n));
            return n;
        }
        qint64 writeData(const char*, qint64) override { return -1; }
        bool isSequential() const override { return true; }

    private:
        bool given_ = false;
    } device;
    QVERIFY(device.open(QIODevice::ReadOnly));
    textfile::LineReader reader(&device);
    QByteArrayView line;
    QVERIFY(reader.next(&line));
    QCOMPARE(line.toByteArray(), QByteArray("0x40, 0x01"));
    QVERIFY(!reader.next(&line));
    QVERIFY(reader.failed());
}

void TestFields::writeAtomicReplacesWhole()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("out.csv");
    QString error;
    QVERIFY(textfile::writeAtomic(path, "first version, longer\r\n", &error));
    QVERIFY(textfile::writeAtomic(path, "second\r\n", &error));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("second\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"out.csv"});
}

// Root ignores permission bits, so the failures here are ones root meets too.
void TestFields::writeAtomicFailureKeepsOldFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("parent is a file") << "parent-file";
    QTest::newRow("target is a directory") << "directory";
    QTest::newRow("disk refuses part of the data") << "size-limit";
}

void TestFields::writeAtomicFailureKeepsOldFile()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    const QByteArray old("old contents\r\n");
    QString path, keeper;
    if (kind == "parent-file") {
        keeper = dir.filePath("plain");
        path = keeper + "/out.csv";
    } else if (kind == "size-limit") {
        keeper = path = dir.filePath("out.csv");
    } else {
        QVERIFY(QDir(dir.path()).mkpath("out.csv/inner"));
        keeper = dir.filePath("out.csv/inner/keep.txt");
        path = dir.filePath("out.csv");
    }
    {
        QFile f(keeper);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(old);
    }
    QString error;
    if (kind == "size-limit") {
        // Every write past the limit fails, for root as well: as on a full disk.
        if (!FileSizeLimit::supported()) QSKIP("no file size limits on this platform");
        bool ok = true;
        {
#ifdef SIGXFSZ
            std::signal(SIGXFSZ, SIG_IGN); // as the program does
#endif
            FileSizeLimit limit(64);
            ok = textfile::writeAtomic(path, QByteArray(500, 'n'), &error);
        }
        QVERIFY(!ok);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"out.csv"});
    } else {
        QVERIFY(!textfile::writeAtomic(path, "new\r\n", &error));
    }
    QVERIFY(!error.isEmpty());
    QFile f(keeper);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), old);
}

void TestFields::crLf_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("lines") << QByteArray("a\nb\n") << QByteArray("a\r\nb\r\n");
    QTest::newRow("no final break") << QByteArray("a\nb") << QByteArray("a\r\nb");
    QTest::newRow("empty lines") << QByteArray("\n\n") << QByteArray("\r\n\r\n");
}

void TestFields::crLf()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, file);
    QCOMPARE(textfile::withCrLf(text), file);
}

QTEST_APPLESS_MAIN(TestFields)
#include "tst_fields.moc"

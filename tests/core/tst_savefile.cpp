// Saving where the user points (snapshots, the history, "dump FILE"): what is
// no regular file is written into and stays what it was; where the folder
// allows no new file the old file is overwritten in place and never left cut.

#include "apperror.h"
#include "savefile.h"
#include "simfixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// The report of a failed save, or "" when it succeeded.
QString save(const QString& path, const QByteArray& bytes)
{
    try {
        evm::saveTextFile(path, bytes);
    } catch (const AppError& e) {
        return e.text();
    }
    return {};
}

#ifdef Q_OS_UNIX
QByteArray readAll(int fd)
{
    QByteArray bytes;
    char buffer[256];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) bytes.append(buffer, qsizetype(n));
    return bytes;
}
#endif

} // namespace

class TestSaveFile : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { evm::ignoreFileSizeSignal(); }
    void notARegularFile_data();
    void notARegularFile();
    void inPlace_data();
    void inPlace();
};

void TestSaveFile::notARegularFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason"); // "": the save succeeds
    QTest::newRow("FIFO") << "fifo"
                          << "";
    QTest::newRow("character device") << "/dev/null"
                                      << "";
    QTest::newRow("device that is full") << "/dev/full"
                                         << "No space left on device";
    QTest::newRow("descriptor of an open regular file") << "descriptor"
                                                        << "";
}

void TestSaveFile::notARegularFile()
{
#ifndef Q_OS_UNIX
    QSKIP("FIFOs and device nodes are POSIX");
#else
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QString path = dir.filePath("out.csv");
    const QByteArray name = QFile::encodeName(path);
    const QByteArray bytes = "0x40, 0xC6\r\n0x41, 0x00\r\n";
    int ours = -1; // where what the save writes into the path arrives
    if (kind == "fifo") {
        QCOMPARE(::mkfifo(name.constData(), 0600), 0);
        // A reader first, so that the save's open goes on and its few bytes
        // fit the pipe: a save that replaces the FIFO fails here, not hangs.
        ours = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    } else if (kind == "descriptor") { // a shell's /dev/stdout or a process substitution
        ours = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        QCOMPARE(::write(ours, "old\r\n", 5), ssize_t(5));
        path = QStringLiteral("/dev/fd/%1").arg(ours);
    } else if (::geteuid() == 0) {
        // Root could replace the system's node: a faulty save replaces a copy.
        struct stat system {};
        QCOMPARE(::stat(QFile::encodeName(kind).constData(), &system), 0);
        QCOMPARE(::mknod(name.constData(), S_IFCHR | 0666, system.st_rdev), 0);
    } else {
        path = kind;
    }
    QVERIFY(ours >= 0 || kind.startsWith("/dev/"));
    struct stat before {};
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &before), 0);

    const QString error = save(path, bytes);
    if (reason.isEmpty())
        QVERIFY2(error.isEmpty(), qPrintable(error));
    else
        QVERIFY2(error.contains(reason), qPrintable(error));
    struct stat after {};
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &after), 0);
    QCOMPARE(after.st_ino, before.st_ino); // the same thing, not a file put in its place
    QCOMPARE(after.st_mode, before.st_mode);
    if (ours >= 0) {
        ::lseek(ours, 0, SEEK_SET); // fails harmlessly on the FIFO
        QCOMPARE(readAll(ours), bytes);
        ::close(ours);
    }
#endif
}

void TestSaveFile::inPlace_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("sizeLimit"); // 0: none
    QTest::addColumn<QString>("reason");   // "": the save succeeds
    QTest::newRow("longer") << QByteArray(300, 'n') << qint64(0) << "";
    QTest::newRow("shorter") << QByteArray("new\r\n") << qint64(0) << "";
    QTest::newRow("longer than the size limit") << QByteArray(500, 'n') << qint64(100) << "File too large";
}

void TestSaveFile::inPlace()
{
#ifndef Q_OS_UNIX
    QSKIP("a folder that refuses new files is made with POSIX permissions");
#else
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, sizeLimit);
    QFETCH(QString, reason);
    if (sizeLimit && !FileSizeLimit::supported()) QSKIP("no file size limits on this platform");
    QTemporaryDir dir;
    const QString path = dir.filePath("out.csv");
    const QByteArray old = "0x40, 0xC6\r\n0x41, 0x00\r\n0x42, 0x7F\r\n";
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(old) == old.size());
    }
    QString error;
    {
        NoNewFileIn readOnlyFolder(dir.path(), path);
        if (!readOnlyFolder.refusesNewFiles()) QSKIP("this folder cannot be made to refuse new files");
        std::optional<FileSizeLimit> limit;
        if (sizeLimit) limit.emplace(sizeLimit);
        error = save(path, bytes);
    }
    if (reason.isEmpty())
        QVERIFY2(error.isEmpty(), qPrintable(error));
    else
        QVERIFY2(error.contains(reason), qPrintable(error));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), reason.isEmpty() ? bytes : old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"out.csv"});
#endif
}

QTEST_APPLESS_MAIN(TestSaveFile)
#include "tst_savefile.moc"

// The settings file's text: raw values read as the desktop's profile-file
// functions read them, and changes that touch nothing but the value.

#include "profilefile.h"

#include <QtTest>

class TestProfileFile : public QObject {
    Q_OBJECT
private slots:
    void reading_data();
    void reading();
    void setting_data();
    void setting();
    void refusedChanges_data();
    void refusedChanges();
    void twoWritersKeepEachOthersKeys();
};

void TestProfileFile::reading_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value"); // "<none>": the key is absent
    const QByteArray si = "SerialInterface", none = "<none>";
    QTest::newRow("plain") << QByteArray("[SerialInterface]\nType=0\n") << si << QByteArray("Type")
                           << QByteArray("0");
    QTest::newRow("CR LF") << QByteArray("[SerialInterface]\r\nAddr=0x4E\r\n") << si << QByteArray("Addr")
                           << QByteArray("0x4E");
    QTest::newRow("lone CR") << QByteArray("[SerialInterface]\rAddr=$4E\r") << si << QByteArray("Addr")
                             << QByteArray("$4E");
    QTest::newRow("blanks trimmed") << QByteArray(" [ SerialInterface ] \n  Type =  1 \t\n") << si
                                    << QByteArray("Type") << QByteArray("1");
    QTest::newRow("quotes removed") << QByteArray("[SerialInterface]\nAddr=\"  X4d\"\n") << si
                                    << QByteArray("Addr") << QByteArray("  X4d");
    QTest::newRow("one pair of quotes")
        << QByteArray("[S]\nA=\"\"x\"\"\n") << QByteArray("S") << QByteArray("A") << QByteArray("\"x\"");
    QTest::newRow("comma kept raw") << QByteArray("[SerialInterface]\nType=0,1\n") << si << QByteArray("Type")
                                    << QByteArray("0,1");
    QTest::newRow("empty value") << QByteArray("[SerialInterface]\nAddr=  \n") << si << QByteArray("Addr")
                                 << QByteArray("");
    QTest::newRow("comment ;") << QByteArray("[SerialInterface]\n;Type=0\n") << si << QByteArray("Type")
                               << none;
    QTest::newRow("comment #") << QByteArray("[SerialInterface]\n  #Type=0\n") << si << QByteArray("Type")
                               << none;
    QTest::newRow("no equals sign") << QByteArray("[SerialInterface]\nType\n") << si << QByteArray("Type")
                                    << none;
    QTest::newRow("other section") << QByteArray("[Other]\nType=0\n") << si << QByteArray("Type") << none;
    QTest::newRow("before any section")
        << QByteArray("Type=0\n[SerialInterface]\n") << QByteArray() << QByteArray("Type") << QByteArray("0");
    QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBF[SerialInterface]\nType=0\n") << si
                                     << QByteArray("Type") << QByteArray("0");
    QTest::newRow("byte-order mark only at the start")
        << QByteArray("[SerialInterface]\n\xEF\xBB\xBFType=0\n") << si << QByteArray("Type") << none;
    QTest::newRow("letter case") << QByteArray("[SERIALinterface]\naDDr=0x4F\n") << si << QByteArray("Addr")
                                 << QByteArray("0x4F");
    QTest::newRow("first key wins") << QByteArray("[SerialInterface]\nType=0\ntype=1\n") << si
                                    << QByteArray("Type") << QByteArray("0");
    QTest::newRow("first section wins")
        << QByteArray("[SerialInterface]\nType=0\n[Other]\n[serialinterface]\nAddr=0x4E\n") << si
        << QByteArray("Addr") << none;
    QTest::newRow("slash in a section name")
        << QByteArray("[SerialInterface/x]\nType=0\n") << si << QByteArray("Type") << none;
    QTest::newRow("key with a slash")
        << QByteArray("[SerialInterface]\nx/Type=0\n") << si << QByteArray("Type") << none;
}

void TestProfileFile::reading()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    const std::optional<QByteArray> v = evmlink::ProfileText(text).value(section, key);
    if (value == "<none>")
        QVERIFY2(!v, v ? v->constData() : "");
    else
        QCOMPARE(v.value_or("<none>"), value);
}

void TestProfileFile::setting_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("only the value changes")
        << QByteArray("; c\n[SerialInterface]\n  Addr = 0x4C ; x  \r\nType=0\n") << QByteArray("Addr")
        << QByteArray("0x4F") << QByteArray("; c\n[SerialInterface]\n  Addr = 0x4F  \r\nType=0\n");
    QTest::newRow("quotes kept, blanks inside them read back")
        << QByteArray("[SerialInterface]\nAddr= \"0x4C\" \n") << QByteArray("Addr") << QByteArray(" 1 ")
        << QByteArray("[SerialInterface]\nAddr= \" 1 \" \n");
    QTest::newRow("empty value with blanks")
        << QByteArray("[SerialInterface]\nAddr=  \n") << QByteArray("Addr") << QByteArray("0x4D")
        << QByteArray("[SerialInterface]\nAddr=0x4D  \n");
    QTest::newRow("first of two keys, spelling kept")
        << QByteArray("[SerialInterface]\naddr=1\nAddr=2\n") << QByteArray("Addr") << QByteArray("3")
        << QByteArray("[SerialInterface]\naddr=3\nAddr=2\n");
    QTest::newRow("new key after the section's last key")
        << QByteArray("[SerialInterface]\nType=0\n\n; next\n[Other]\nk=1\n") << QByteArray("Addr")
        << QByteArray("0x4E")
        << QByteArray("[SerialInterface]\nType=0\nAddr=0x4E\r\n\n; next\n[Other]\nk=1\n");
    QTest::newRow("new key in a section without keys")
        << QByteArray("[SerialInterface]\r\n; none yet\r\n[Other]\r\n") << QByteArray("Type")
        << QByteArray("1") << QByteArray("[SerialInterface]\r\nType=1\r\n; none yet\r\n[Other]\r\n");
    QTest::newRow("new key in the first of two sections")
        << QByteArray("[SerialInterface]\nType=0\n[SerialInterface]\nAddr=1\n") << QByteArray("Addr")
        << QByteArray("0x4C")
        << QByteArray("[SerialInterface]\nType=0\nAddr=0x4C\r\n[SerialInterface]\nAddr=1\n");
    QTest::newRow("new key after a last line without line end")
        << QByteArray("[SerialInterface]\nType=0") << QByteArray("Addr") << QByteArray("0x4C")
        << QByteArray("[SerialInterface]\nType=0\r\nAddr=0x4C\r\n");
    QTest::newRow("new section at the end")
        << QByteArray("[Other]\nk=1\n") << QByteArray("Type") << QByteArray("0")
        << QByteArray("[Other]\nk=1\n[SerialInterface]\r\nType=0\r\n");
    QTest::newRow("new section, no last line end")
        << QByteArray("k=1") << QByteArray("Type") << QByteArray("0")
        << QByteArray("k=1\r\n[SerialInterface]\r\nType=0\r\n");
    QTest::newRow("empty file") << QByteArray() << QByteArray("Type") << QByteArray("0")
                                << QByteArray("[SerialInterface]\r\nType=0\r\n");
    QTest::newRow("byte-order mark only")
        << QByteArray("\xEF\xBB\xBF") << QByteArray("Type") << QByteArray("0")
        << QByteArray("\xEF\xBB\xBF[SerialInterface]\r\nType=0\r\n");
    QTest::newRow("section name with slash and equals sign")
        << QByteArray("[SerialInterface/a=b]\nType=1\n") << QByteArray("Type") << QByteArray("0")
        << QByteArray("[SerialInterface/a=b]\nType=1\n[SerialInterface]\r\nType=0\r\n");
}

void TestProfileFile::setting()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, expected);
    evmlink::ProfileText t(text);
    QVERIFY(t.setValue("SerialInterface", key, value));
    QCOMPARE(t.bytes(), expected);
    QCOMPARE(evmlink::ProfileText(t.bytes()).value("SerialInterface", key).value_or("<none>"), value);
}

void TestProfileFile::refusedChanges_data()
{
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");
    const QByteArray si = "SerialInterface";
    QTest::newRow("line end in the value") << si << QByteArray("Addr") << QByteArray("0x4C\r\n[X]");
    QTest::newRow("blank before the value") << si << QByteArray("Addr") << QByteArray(" 0x4C");
    QTest::newRow("blank after a new value") << si << QByteArray("New") << QByteArray("1\t");
    QTest::newRow("quotes around an unquoted value") << si << QByteArray("Addr") << QByteArray("\"1\"");
    QTest::newRow("equals sign in the key") << si << QByteArray("A=B") << QByteArray("1");
    QTest::newRow("key that reads as a comment") << si << QByteArray(";A") << QByteArray("1");
    QTest::newRow("key that may read as a header") << si << QByteArray("[A") << QByteArray("]");
    QTest::newRow("empty key") << si << QByteArray() << QByteArray("1");
    QTest::newRow("line end in the section") << QByteArray("A\nB") << QByteArray("k") << QByteArray("1");
}

void TestProfileFile::refusedChanges()
{
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    const QByteArray text = "[SerialInterface]\r\nAddr=0x4D\r\n";
    evmlink::ProfileText t(text);
    QVERIFY(!t.setValue(section, key, value));
    QCOMPARE(t.bytes(), text);
}

// Two windows in one folder: each store goes into the file as it is now.
void TestProfileFile::twoWritersKeepEachOthersKeys()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("EVM2280.ini");
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("\xEF\xBB\xBF; mine\n[SerialInterface]\r\n Type = 1 \r\nAddr=\"0x4C\"\n[Other]\rk=v");
    }
    evmlink::ProfileFile a(path), b(path);
    QVERIFY(a.load() && b.load());
    QVERIFY(a.setValue("SerialInterface", "Type", "0"));
    QVERIFY(b.setValue("SerialInterface", "Addr", "0x4E"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(),
             "\xEF\xBB\xBF; mine\n[SerialInterface]\r\n Type = 0 \r\nAddr=\"0x4E\"\n[Other]\rk=v");
    QCOMPARE(b.value("SerialInterface", "Type").value_or("<none>"), "0");
}

QTEST_APPLESS_MAIN(TestProfileFile)
#include "tst_profilefile.moc"

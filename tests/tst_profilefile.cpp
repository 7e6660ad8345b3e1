// The settings file's text form: raw values in, CR LF lines out.

#include "link/profilefile.h"

#include <QBuffer>
#include <QtTest>

namespace {
QSettings::SettingsMap read(const QByteArray& text)
{
    QBuffer b;
    b.setData(text);
    b.open(QIODevice::ReadOnly);
    QSettings::SettingsMap map;
    evmlink::readProfile(b, map);
    return map;
}
QByteArray write(const QSettings::SettingsMap& map)
{
    QBuffer b;
    b.open(QIODevice::WriteOnly);
    evmlink::writeProfile(b, map);
    return b.data();
}
} // namespace

class TestProfileFile : public QObject {
    Q_OBJECT
private slots:
    void reading_data();
    void reading();
    void writingKeepsTheNaturalOrder();
    void roundTripThroughQSettings();
};

void TestProfileFile::reading_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value"); // "<none>": the key is absent
    const QString none = "<none>";
    QTest::newRow("plain") << QByteArray("[SerialInterface]\nType=0\n") << "SerialInterface/Type"
                           << "0";
    QTest::newRow("CR LF") << QByteArray("[SerialInterface]\r\nAddr=0x4E\r\n") << "SerialInterface/Addr"
                           << "0x4E";
    QTest::newRow("lone CR") << QByteArray("[SerialInterface]\rAddr=$4E\r") << "SerialInterface/Addr"
                             << "$4E";
    QTest::newRow("blanks trimmed") << QByteArray(" [ SerialInterface ] \n  Type =  1  \n")
                                    << "SerialInterface/Type"
                                    << "1";
    QTest::newRow("quotes removed") << QByteArray("[SerialInterface]\nAddr=\"  X4d\"\n")
                                    << "SerialInterface/Addr"
                                    << "  X4d";
    QTest::newRow("comma kept raw") << QByteArray("[SerialInterface]\nType=0,1\n") << "SerialInterface/Type"
                                    << "0,1";
    QTest::newRow("no interpretation") << QByteArray("[S]\nA=@Variant(\\0)\n") << "S/A"
                                       << "@Variant(\\0)";
    QTest::newRow("empty value") << QByteArray("[SerialInterface]\nAddr=\n") << "SerialInterface/Addr"
                                 << "";
    QTest::newRow("comment") << QByteArray("[SerialInterface]\n;Type=0\n") << "SerialInterface/Type" << none;
    QTest::newRow("no equals sign") << QByteArray("[SerialInterface]\nType\n") << "SerialInterface/Type"
                                    << none;
    QTest::newRow("other section") << QByteArray("[Other]\nType=0\n") << "SerialInterface/Type" << none;
    QTest::newRow("before any section") << QByteArray("Type=0\n[SerialInterface]\n") << "Type"
                                        << "0";
}

void TestProfileFile::reading()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, key);
    QFETCH(QString, value);
    const QSettings::SettingsMap map = read(text);
    if (value == "<none>")
        QVERIFY(!map.contains(key));
    else
        QCOMPARE(map.value(key).toString(), value);
}

void TestProfileFile::writingKeepsTheNaturalOrder()
{
    QSettings::SettingsMap map;
    map.insert("Other/b", "2");
    map.insert("SerialInterface/Addr", "0x4C");
    map.insert("SerialInterface/Type", "0");
    map.insert("Other/a", "1");
    map.insert("Loose", "x");
    QCOMPARE(write(map),
             QByteArray("Loose=x\r\n[SerialInterface]\r\nType=0\r\nAddr=0x4C\r\n[Other]\r\na=1\r\nb=2\r\n"));
    QCOMPARE(read(write(map)), map);
}

void TestProfileFile::roundTripThroughQSettings()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("EVM2280.ini");
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Other]\nkeep=me\n[SerialInterface]\nAddr=0x4D\n");
    }
    {
        QSettings s(path, evmlink::profileFormat());
        QCOMPARE(s.value("SerialInterface/Addr").toString(), QString("0x4D"));
        s.setValue("SerialInterface/Type", "0");
        s.sync();
        QCOMPARE(s.status(), QSettings::NoError);
    }
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("[SerialInterface]\r\nType=0\r\nAddr=0x4D\r\n[Other]\r\nkeep=me\r\n"));
}

QTEST_APPLESS_MAIN(TestProfileFile)
#include "tst_profilefile.moc"

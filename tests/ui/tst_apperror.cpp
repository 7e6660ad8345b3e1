// The application's general error report.

#include "apperror.h"
#include "fixture.h"

#include <QtTest>

class TestAppError : public QObject {
    Q_OBJECT
private slots:
    void fullStop_data();
    void fullStop();
    void conversionTexts();
    void escapingErrorsReachTheReportAndTheProgramGoesOn();
};

void TestAppError::fullStop_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << "Cannot create file"
                            << "Cannot create file.";
    QTest::newRow("already a stop") << "Done."
                                    << "Done.";
    QTest::newRow("exclamation sorts before") << "Oops!"
                                              << "Oops!";
    QTest::newRow("comma sorts before") << "a,"
                                        << "a,";
    QTest::newRow("hyphen sorts before") << "a-"
                                         << "a-";
    QTest::newRow("slash sorts after") << "a/"
                                       << "a/.";
    QTest::newRow("digit") << "code 7"
                           << "code 7.";
    QTest::newRow("quote sorts before") << "'x'"
                                        << "'x'";
    QTest::newRow("japanese") << QString::fromUtf8("ありません") << QString::fromUtf8("ありません.");
    QTest::newRow("empty") << ""
                           << "";
}

void TestAppError::fullStop()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(apperr::withFullStop(text), shown);
}

void TestAppError::conversionTexts()
{
    QCOMPARE(apperr::notAnInteger("abc"), QString::fromUtf8("'abc' は整数ではありません"));
    QCOMPARE(apperr::notAFloat("1,2,3"), QString::fromUtf8("'1,2,3' は浮動小数点数ではありません"));
    AppError e(apperr::notAnInteger("x"));
    QCOMPARE(QString::fromUtf8(e.what()), e.text());
}

void TestAppError::escapingErrorsReachTheReportAndTheProgramGoesOn()
{
    AppFixture app;
    app.start();
    TForm1* f = app.form();
    bool after = false;
    f->guarded([&] {
        throw AppError(apperr::notAnInteger("abc"));
        after = true;
    });
    f->guarded([] { throw std::runtime_error("disk full"); });
    QVERIFY(!after);
    QCOMPARE(app.dialogs.texts("general"),
             (QStringList{QString::fromUtf8("'abc' は整数ではありません."), "disk full."}));
    QCOMPARE(app.dialogs.shown[0].caption, QString("EVM control application"));
    f->board().WriteRegister(0x41, 1); // still usable
    QCOMPARE(app.sim.reg(0x41), 1);
}

QTEST_MAIN(TestAppError)
#include "tst_apperror.moc"

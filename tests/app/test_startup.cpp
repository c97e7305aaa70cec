#include "support/app_harness.h"

#include "app/access_code.h"

#include <QDir>
#include <QFile>
#include <QTest>

// The access code, the loading of the main window, and the ways out.
class TestStartup : public QObject
{
    Q_OBJECT

    static QString message(const AppHarness &app, int i)
    {
        return app.messages().at(i).toObject().value(QStringLiteral("text")).toString();
    }

private Q_SLOTS:
    void accessCode_data()
    {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QString>("code");
        QTest::newRow("2026-12-06") << QDate(2026, 12, 6) << QStringLiteral("79738793");
        QTest::newRow("2000-01-01") << QDate(2000, 1, 1) << QStringLiteral("79999898");
        QTest::newRow("2019-09-16") << QDate(2019, 9, 16) << QStringLiteral("79809083");
    }

    void accessCode()
    {
        QFETCH(QDate, day);
        QFETCH(QString, code);
        QCOMPARE(app::accessCode(day), code);
    }

    void wrongCodesAreRefused_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("empty") << QString();
        QTest::newRow("extra blank") << QStringLiteral("79738793 ");
        QTest::newRow("yesterday's code") << app::accessCode(QDate(2026, 12, 5));
        QTest::newRow("the date itself") << QStringLiteral("20261206");
    }

    void wrongCodesAreRefused()
    {
        QFETCH(QString, typed);
        AppHarness app;
        app.act(QStringLiteral("login ") + typed);
        QCOMPARE(app.messages().size(), 1);
        QCOMPARE(message(app, 0), QStringLiteral("암호가 잘못되었습니다. 다시 시도하십시오"));
        QCOMPARE(app.messages().at(0).toObject().value(QStringLiteral("title")).toString(), QStringLiteral("로그인"));
        QVERIFY(app.loginDialog().isVisible());
        QVERIFY(!app.form().isVisible());
        QCOMPARE(app.state().value(QStringLiteral("focus")).toString(), QStringLiteral("txtPassword"));
        QCOMPARE(app.loginDialog().ui().txtPassword->selectedText(), typed);
        QVERIFY(app.state().value(QStringLiteral("statements")).toArray().isEmpty());

        // Another try with the right code goes through.
        app.login();
        QVERIFY(app.form().isVisible());
        QVERIFY(!app.loginDialog().isVisible());
    }

    void cancelEndsWithoutTouchingTheDatabase()
    {
        AppHarness app;
        app.act(QStringLiteral("cancel"));
        QVERIFY(app.ended());
        QVERIFY(app.state().value(QStringLiteral("statements")).toArray().isEmpty());
        QVERIFY(!QFile::exists(app.site().file(QStringLiteral("archive.db"))));
    }

    void loadsTheWindow()
    {
        AppHarness app;
        app.login();
        QCOMPARE(app.state().value(QStringLiteral("focus")).toString(), QStringLiteral("Text2"));
        QVERIFY(app.messages().isEmpty());

        const QStringList charsets = app.items(QStringLiteral("Combo2"));
        QCOMPARE(charsets.size(), 26);
        QCOMPARE(charsets.mid(0, 4), (QStringList{"ISO_IR 100", "ISO 2022 IR 149", "\\ISO 2022 IR 149", "ISO_IR 192"}));
        QCOMPARE(charsets.mid(19, 3), (QStringList{"ISO 2022 IR 144", "ISO 2022 IR 127", "ISO 2022 IR 126"}));
        QCOMPARE(charsets.last(), QStringLiteral("ISO 2022 IR 166"));
        QCOMPARE(app.text(QStringLiteral("Combo2")), QStringLiteral("ISO_IR 100"));
        QCOMPARE(app.control(QStringLiteral("Combo2")).value(QStringLiteral("index")).toInt(), -1);
        QCOMPARE(app.items(QStringLiteral("Combo3")),
                 (QStringList{"한글이름 / 검사명한글", "한글이름 / 검사명영문", "영문이름 / 검사명한글",
                              "영문이름 / 검사명영문", "영문이름 / 검사명영문(기초자료)"}));
        QCOMPARE(app.text(QStringLiteral("Combo3")), QStringLiteral("영문이름 / 검사명영문"));
        QCOMPARE(app.text(QStringLiteral("Combo1")), QStringLiteral("복사 대상 계정 선택"));
        QCOMPARE(app.items(QStringLiteral("List2")), QStringList{QStringLiteral("VMWL")});
        QCOMPARE(app.text(QStringLiteral("Text12")), QStringLiteral("C:\\RUDIVUV\\Log\\"));
        for (const char *name : {"Command1", "Command3", "Command5", "Command6"})
            QVERIFY(app.control(QLatin1String(name)).value(QStringLiteral("enabled")).toBool());
        // The demo site's level 2 selects "로그없음" and arms the options.
        QCOMPARE(app.control(QStringLiteral("Option1")).value(QStringLiteral("value")).toInt(), 1);
        QVERIFY(app.form().logOptionArmed());
        QVERIFY(app.commands().isEmpty());
    }

    void missingDbIniEndsAfterTheMessage()
    {
        AppHarness app(QDate(2026, 12, 6), [](TestSite &site) { QFile::remove(site.file(QStringLiteral("DB.ini"))); });
        app.login();
        QCOMPARE(app.messages().size(), 1);
        QCOMPARE(message(app, 0), QStringLiteral("DB 연결 실패"));
        QVERIFY(app.ended());
        QVERIFY(app.items(QStringLiteral("Combo2")).isEmpty());
        QVERIFY(app.items(QStringLiteral("List1")).isEmpty());
        QVERIFY(!app.control(QStringLiteral("Command6")).value(QStringLiteral("enabled")).toBool());
    }

    void logFolderChoice_data()
    {
        QTest::addColumn<bool>("rudivuvLog");
        QTest::addColumn<bool>("brevanLog");
        QTest::addColumn<QString>("expected");
        QTest::newRow("first folder present") << true << false << QStringLiteral("C:\\RUDIVUV\\Log\\");
        QTest::newRow("neither") << false << false << QStringLiteral("C:\\Brevan\\Log\\");
        QTest::newRow("only the second") << false << true << QStringLiteral("C:\\Brevan\\Log\\");
    }

    void logFolderChoice()
    {
        QFETCH(bool, rudivuvLog);
        QFETCH(bool, brevanLog);
        QFETCH(QString, expected);
        AppHarness app(QDate(2026, 12, 6), [&](TestSite &site) {
            QDir drives(site.file(QStringLiteral("drives/c")));
            if (!rudivuvLog)
                QDir(drives.filePath(QStringLiteral("RUDIVUV/Log"))).removeRecursively();
            if (brevanLog)
                drives.mkpath(QStringLiteral("Brevan/Log"));
        });
        app.login();
        QCOMPARE(app.text(QStringLiteral("Text12")), expected);
    }

    void controlFileLocations_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<int>("option");
        QTest::newRow("second place only") << QString() << QStringLiteral("LogLevel=4") << 2;
        QTest::newRow("both: the first wins") << QStringLiteral("LogLevel=4") << QStringLiteral("LogLevel=1") << 2;
        QTest::newRow("first place only") << QStringLiteral("LogLevel=3") << QString() << 1;
    }

    void controlFileLocations()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(int, option);
        AppHarness app(QDate(2026, 12, 6), [&](TestSite &site) {
            QFile::remove(site.file(QStringLiteral("drives/c/RUDIVUV/RUDIVUV_MWLScp/ZORadoDidServiceControl.ini")));
            if (!first.isEmpty())
                site.writeBytes(QStringLiteral("drives/c/Brevan/QoRVA_Clinic_MWLScp/ZORadoDidServiceControl.ini"),
                                "A=1\r\n" + first.toLatin1() + "\r\n");
            if (!second.isEmpty())
                site.writeBytes(QStringLiteral("drives/c/RUDIVUV/RUDIVUV_MWLScp/ZORadoDidServiceControl.ini"),
                                "B=1\r\n" + second.toLatin1() + "\r\n");
        });
        app.login();
        QCOMPARE(app.control(QStringLiteral("Option%1").arg(option)).value(QStringLiteral("value")).toInt(), 1);
        QVERIFY(app.form().logOptionArmed());
        QVERIFY(app.commands().isEmpty()); // reading never restarts the gateway
    }

    void noControlFile()
    {
        AppHarness app(QDate(2026, 12, 6), [](TestSite &site) {
            QFile::remove(site.file(QStringLiteral("drives/c/RUDIVUV/RUDIVUV_MWLScp/ZORadoDidServiceControl.ini")));
        });
        app.login();
        QCOMPARE(app.messages().size(), 1);
        QCOMPARE(message(app, 0),
                 QStringLiteral("ZORadoDidServiceControl.ini 파일이 없습니다. 확인 후 실행하시기 바랍니다."));
        QVERIFY(!app.ended());
        QVERIFY(!app.form().logOptionArmed());
        QCOMPARE(app.items(QStringLiteral("List2")), QStringList{QStringLiteral("VMWL")});
    }

    void failureWhileLoadingKeepsTheWindow()
    {
        AppHarness app(QDate(2026, 12, 6), [](TestSite &site) {
            // An account table the lists cannot read.
            site.writeBytes(QStringLiteral("archive/demo.sql"),
                            site.readBytes(QStringLiteral("archive/demo.sql")) + "\nDROP TABLE Tuser;\n");
        });
        app.login();
        QVERIFY(!app.ended());
        QCOMPARE(app.messages().size(), 1);
        QVERIFY(message(app, 0).contains(QStringLiteral("Tuser")));
        QCOMPARE(app.messages().at(0).toObject().value(QStringLiteral("title")).toString(),
                 QStringLiteral("KALDEN-Z 설정 Tool"));
        QCOMPARE(app.items(QStringLiteral("List2")), QStringList{QStringLiteral("VMWL")});
        QVERIFY(app.form().logOptionArmed());
        QVERIFY(app.form().database().isOpen());
    }

    void exitButtonLeavesTheLevelAlone()
    {
        AppHarness app;
        app.login();
        app.act(QStringLiteral("click Option2"));
        const int before = app.commands().size();
        app.act(QStringLiteral("click Com_End"));
        QVERIFY(app.ended());
        QCOMPARE(app.commands().size(), before);
        QVERIFY(!app.form().database().isOpen());
        QVERIFY(app.site()
                    .readBytes(QStringLiteral("drives/c/RUDIVUV/RUDIVUV_MWLScp/ZORadoDidServiceControl.ini"))
                    .contains("LogLevel=4\r\n"));
    }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"

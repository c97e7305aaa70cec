#include "support/window_checks.h"

#include "app/access_code.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

using Prepare = std::function<void(TestSite &)>;
Q_DECLARE_METATYPE(Prepare)

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
        QCOMPARE(charsets.mid(0, 4),
                 (QStringList{u"ISO_IR 100"_s, u"ISO 2022 IR 149"_s, u"\\ISO 2022 IR 149"_s, u"ISO_IR 192"_s}));
        QCOMPARE(charsets.mid(19, 3), (QStringList{u"ISO 2022 IR 144"_s, u"ISO 2022 IR 127"_s, u"ISO 2022 IR 126"_s}));
        QCOMPARE(charsets.last(), QStringLiteral("ISO 2022 IR 166"));
        QCOMPARE(app.text(QStringLiteral("Combo2")), QStringLiteral("ISO_IR 100"));
        QCOMPARE(app.control(QStringLiteral("Combo2")).value(QStringLiteral("index")).toInt(), -1);
        QCOMPARE(app.items(QStringLiteral("Combo3")),
                 (QStringList{u"한글이름 / 검사명한글"_s, u"한글이름 / 검사명영문"_s, u"영문이름 / 검사명한글"_s,
                              u"영문이름 / 검사명영문"_s, u"영문이름 / 검사명영문(기초자료)"_s}));
        QCOMPARE(app.text(QStringLiteral("Combo3")), QStringLiteral("영문이름 / 검사명영문"));
        QCOMPARE(app.text(QStringLiteral("Combo1")), QStringLiteral("복사 대상 계정 선택"));
        QCOMPARE(app.items(QStringLiteral("List2")), QStringList{QStringLiteral("VMWL")});
        QCOMPARE(app.text(QStringLiteral("Text12")), QStringLiteral("C:\\RUDIVUV\\Log\\"));
        for (const char *name : {"Command1", "Command3", "Command5", "Command6"})
            QVERIFY(app.control(QLatin1String(name)).value(QStringLiteral("enabled")).toBool());
    }

    // What the site holds at login: the one message, if any, whether the tool
    // ends, the log option read from the control file, the log folder found.
    void startsOnASite_data()
    {
        QTest::addColumn<Prepare>("prepare");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("ended");
        QTest::addColumn<int>("option"); // armed with this option on; 0 not armed
        QTest::addColumn<QString>("logFolder");
        const QString control = QStringLiteral("drives/c/RUDIVUV/RUDIVUV_MWLScp/ZORadoDidServiceControl.ini");
        const auto controlFiles = [control](const QByteArray &first, const QByteArray &second) -> Prepare {
            return [=](TestSite &site) {
                QFile::remove(site.file(control));
                if (!first.isEmpty())
                    site.writeBytes(QStringLiteral("drives/c/Brevan/QoRVA_Clinic_MWLScp/ZORadoDidServiceControl.ini"),
                                    "A=1\r\n" + first + "\r\n");
                if (!second.isEmpty())
                    site.writeBytes(control, "B=1\r\n" + second + "\r\n");
            };
        };
        const auto logFolders = [](bool rudivuv, bool brevan) -> Prepare {
            return [=](TestSite &site) {
                QDir drives(site.file(QStringLiteral("drives/c")));
                if (!rudivuv)
                    QDir(drives.filePath(QStringLiteral("RUDIVUV/Log"))).removeRecursively();
                if (brevan)
                    drives.mkpath(QStringLiteral("Brevan/Log"));
            };
        };
        QTest::newRow("no DB.ini") << Prepare(
                                          [](TestSite &site) { QFile::remove(site.file(QStringLiteral("DB.ini"))); })
                                   << "DB 연결 실패" << true << 0 << "";
        QTest::newRow("no control file") << controlFiles({}, {})
                                         << "ZORadoDidServiceControl.ini 파일이 없습니다. 확인 후 실행하시기 바랍니다."
                                         << false << 0 << "";
        QTest::newRow("account table unreadable")
            << checks::demoPlus("DROP TABLE Tuser;") << "Tuser" << false << 1 << "";
        QTest::newRow("control file in the second place only")
            << controlFiles({}, "LogLevel=4") << "" << false << 2 << "";
        QTest::newRow("control files in both: the first wins")
            << controlFiles("LogLevel=4", "LogLevel=1") << "" << false << 2 << "";
        QTest::newRow("control file in the first place only")
            << controlFiles("LogLevel=3", {}) << "" << false << 1 << "";
        QTest::newRow("first log folder present")
            << logFolders(true, false) << "" << false << 1 << "C:\\RUDIVUV\\Log\\";
        QTest::newRow("neither log folder") << logFolders(false, false) << "" << false << 1 << "C:\\Brevan\\Log\\";
        QTest::newRow("only the second log folder")
            << logFolders(false, true) << "" << false << 1 << "C:\\Brevan\\Log\\";
    }

    void startsOnASite()
    {
        QFETCH(Prepare, prepare);
        QFETCH(QString, message);
        QFETCH(bool, ended);
        QFETCH(int, option);
        QFETCH(QString, logFolder);
        AppHarness app(QDate(2026, 12, 6), prepare);
        app.login();
        QCOMPARE(app.messages().size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty())
            QVERIFY2(checks::lastMessage(app).contains(message), qPrintable(checks::lastMessage(app)));
        QCOMPARE(app.ended(), ended);
        QCOMPARE(app.form().database().isOpen(), !ended);
        QCOMPARE(app.form().logOptionArmed(), option > 0);
        if (option > 0)
            QCOMPARE(checks::value(app, QStringLiteral("Option%1").arg(option)), 1);
        if (!logFolder.isEmpty())
            QCOMPARE(app.text(QStringLiteral("Text12")), logFolder);
        if (ended)
            QVERIFY(app.items(QStringLiteral("Combo2")).isEmpty() && app.items(QStringLiteral("List1")).isEmpty() &&
                    !checks::enabled(app, QStringLiteral("Command6")));
        else
            QCOMPARE(app.items(QStringLiteral("List2")), QStringList{QStringLiteral("VMWL")});
        QVERIFY(app.commands().isEmpty()); // reading never restarts the gateway
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

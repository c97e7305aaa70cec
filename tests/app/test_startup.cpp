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
        return app.messages().at(i).toObject().value(u"text"_s).toString();
    }

private Q_SLOTS:
    void accessCode_data()
    {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QString>("code");
        QTest::newRow("2026-12-06") << QDate(2026, 12, 6) << u"79738793"_s;
        QTest::newRow("2000-01-01") << QDate(2000, 1, 1) << u"79999898"_s;
        QTest::newRow("2019-09-16") << QDate(2019, 9, 16) << u"79809083"_s;
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
        QTest::newRow("extra blank") << u"79738793 "_s;
        QTest::newRow("yesterday's code") << app::accessCode(QDate(2026, 12, 5));
        QTest::newRow("the date itself") << u"20261206"_s;
    }

    void wrongCodesAreRefused()
    {
        QFETCH(QString, typed);
        AppHarness app;
        app.act(u"login "_s + typed);
        QCOMPARE(app.messages().size(), 1);
        QCOMPARE(message(app, 0), u"암호가 잘못되었습니다. 다시 시도하십시오"_s);
        QCOMPARE(app.messages().at(0).toObject().value(u"title"_s).toString(), u"로그인"_s);
        QVERIFY(app.loginDialog().isVisible());
        QVERIFY(!app.form().isVisible());
        QCOMPARE(app.state().value(u"focus"_s).toString(), u"txtPassword"_s);
        QCOMPARE(app.loginDialog().ui().txtPassword->selectedText(), typed);
        QVERIFY(app.state().value(u"statements"_s).toArray().isEmpty());

        // Another try with the right code goes through.
        app.login();
        QVERIFY(app.form().isVisible());
        QVERIFY(!app.loginDialog().isVisible());
    }

    void cancelEndsWithoutTouchingTheDatabase()
    {
        AppHarness app;
        app.act(u"cancel"_s);
        QVERIFY(app.ended());
        QVERIFY(app.state().value(u"statements"_s).toArray().isEmpty());
        QVERIFY(!QFile::exists(app.site().file(u"archive.db"_s)));
    }

    void loadsTheWindow()
    {
        AppHarness app;
        app.login();
        QCOMPARE(app.state().value(u"focus"_s).toString(), u"Text2"_s);
        QVERIFY(app.messages().isEmpty());

        const QStringList charsets = app.items(u"Combo2"_s);
        QCOMPARE(charsets.size(), 26);
        QCOMPARE(charsets.mid(0, 4),
                 (QStringList{u"ISO_IR 100"_s, u"ISO 2022 IR 149"_s, u"\\ISO 2022 IR 149"_s, u"ISO_IR 192"_s}));
        QCOMPARE(charsets.mid(19, 3), (QStringList{u"ISO 2022 IR 144"_s, u"ISO 2022 IR 127"_s, u"ISO 2022 IR 126"_s}));
        QCOMPARE(charsets.last(), u"ISO 2022 IR 166"_s);
        QCOMPARE(app.text(u"Combo2"_s), u"ISO_IR 100"_s);
        QCOMPARE(app.control(u"Combo2"_s).value(u"index"_s).toInt(), -1);
        QCOMPARE(app.items(u"Combo3"_s),
                 (QStringList{u"한글이름 / 검사명한글"_s, u"한글이름 / 검사명영문"_s, u"영문이름 / 검사명한글"_s,
                              u"영문이름 / 검사명영문"_s, u"영문이름 / 검사명영문(기초자료)"_s}));
        QCOMPARE(app.text(u"Combo3"_s), u"영문이름 / 검사명영문"_s);
        QCOMPARE(app.text(u"Combo1"_s), u"복사 대상 계정 선택"_s);
        QCOMPARE(app.items(u"List2"_s), QStringList{u"VMWL"_s});
        QCOMPARE(app.text(u"Text12"_s), u"C:\\RUDIVUV\\Log\\"_s);
        for (const char *name : {"Command1", "Command3", "Command5", "Command6"})
            QVERIFY(app.control(QLatin1String(name)).value(u"enabled"_s).toBool());
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
        const QString control = u"drives/c/RUDIVUV/RUDIVUV_MWLScp/ZORadoDidServiceControl.ini"_s;
        const auto controlFiles = [control](const QByteArray &first, const QByteArray &second) -> Prepare {
            return [=](TestSite &site) {
                QFile::remove(site.file(control));
                if (!first.isEmpty())
                    site.writeBytes(u"drives/c/Brevan/QoRVA_Clinic_MWLScp/ZORadoDidServiceControl.ini"_s,
                                    "A=1\r\n" + first + "\r\n");
                if (!second.isEmpty())
                    site.writeBytes(control, "B=1\r\n" + second + "\r\n");
            };
        };
        const auto logFolders = [](bool rudivuv, bool brevan) -> Prepare {
            return [=](TestSite &site) {
                QDir drives(site.file(u"drives/c"_s));
                if (!rudivuv)
                    QDir(drives.filePath(u"RUDIVUV/Log"_s)).removeRecursively();
                if (brevan)
                    drives.mkpath(u"Brevan/Log"_s);
            };
        };
        QTest::newRow("no DB.ini") << Prepare([](TestSite &site) { QFile::remove(site.file(u"DB.ini"_s)); })
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
            QCOMPARE(checks::value(app, u"Option%1"_s.arg(option)), 1);
        if (!logFolder.isEmpty())
            QCOMPARE(app.text(u"Text12"_s), logFolder);
        if (ended)
            QVERIFY(app.items(u"Combo2"_s).isEmpty() && app.items(u"List1"_s).isEmpty() &&
                    !checks::enabled(app, u"Command6"_s));
        else
            QCOMPARE(app.items(u"List2"_s), QStringList{u"VMWL"_s});
        QVERIFY(app.commands().isEmpty()); // reading never restarts the gateway
    }

    void exitButtonLeavesTheLevelAlone()
    {
        AppHarness app;
        app.login();
        app.act(u"click Option2"_s);
        const int before = app.commands().size();
        app.act(u"click Com_End"_s);
        QVERIFY(app.ended());
        QCOMPARE(app.commands().size(), before);
        QVERIFY(!app.form().database().isOpen());
        QVERIFY(app.site()
                    .readBytes(u"drives/c/RUDIVUV/RUDIVUV_MWLScp/ZORadoDidServiceControl.ini"_s)
                    .contains("LogLevel=4\r\n"));
    }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"

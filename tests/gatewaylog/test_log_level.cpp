#include "support/app_harness.h"
#include "worklist/gateway_control.h"

#include "gatewaylog/log_level.h"

#include <QTest>

using gatewaylog::LogOption;

class TestLogLevel : public QObject
{
    Q_OBJECT

    static QByteArray controlFile(const QByteArray &levelLines)
    {
        return "[Service]\r\nCustomAETitle=CT01^^VMWL_KK_CT01^^^^||\r\n" + levelLines + "FCR_XG5000=0\r\n";
    }

    static std::unique_ptr<AppHarness> start(const QByteArray &file)
    {
        auto app = std::make_unique<AppHarness>(QDate(2026, 12, 6), [&](TestSite &site) {
            site.writeBytes(QStringLiteral("drives/c/RUDIVUV/RUDIVUV_MWLScp/ZORadoDidServiceControl.ini"), file);
        });
        app->login();
        return app;
    }

    static QByteArray fileOf(AppHarness &app)
    {
        return app.site().readBytes(QStringLiteral("drives/c/RUDIVUV/RUDIVUV_MWLScp/ZORadoDidServiceControl.ini"));
    }

    static QStringList applied()
    {
        return {QStringLiteral("taskkill /F /IM QXGateWayService.exe /T"),
                QStringLiteral("taskkill /F /IM ZORadoDidService.exe /T"), QStringLiteral("net start KALDEN1")};
    }

private Q_SLOTS:
    void levelLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("isLevel");
        QTest::addColumn<int>("recognised"); // -1 none, 0 None, 1 Detailed
        QTest::newRow("0") << "LogLevel=0" << true << 0;
        QTest::newRow("3") << "LogLevel=3" << true << 0;
        QTest::newRow("4") << "LogLevel=4" << true << 1;
        QTest::newRow("5") << "LogLevel=5" << true << -1;
        QTest::newRow("blank after =") << "LogLevel= 4" << true << -1;
        QTest::newRow("blanks around the key") << " LogLevel =2" << true << -1;
        QTest::newRow("longer key") << "MaxLogLevel=3" << false << -1;
        QTest::newRow("other case") << "loglevel=4" << false << -1;
        QTest::newRow("value holding the text") << "Comment=LogLevel=4" << false << -1;
    }

    void levelLines()
    {
        QFETCH(QString, line);
        QFETCH(bool, isLevel);
        QFETCH(int, recognised);
        QCOMPARE(gatewaylog::isLevelLine(line), isLevel);
        const auto level = gatewaylog::recognisedLevel(line);
        QCOMPARE(level ? int(*level) : -1, recognised);
    }

    void rewrite_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("selected");
        QTest::addColumn<bool>("reading");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("recognised");
        QTest::newRow("position kept") << QStringList{"A=1", "LogLevel=2", "B=2"} << 1 << false
                                       << QStringList{"A=1", "LogLevel=4", "B=2"} << -1;
        QTest::newRow("first line") << QStringList{"LogLevel=4", "B=2"} << 0 << false
                                    << QStringList{"LogLevel=0", "B=2"} << -1;
        QTest::newRow("two level lines") << QStringList{"LogLevel=1", "x", "LogLevel=3"} << 1 << false
                                         << QStringList{"LogLevel=4", "x", "LogLevel=4"} << -1;
        QTest::newRow("none") << QStringList{"A=1", "B=2"} << 1 << false << QStringList{"A=1", "B=2"} << -1;
        QTest::newRow("unrecognised value replaced")
            << QStringList{"LogLevel=5"} << 1 << false << QStringList{"LogLevel=4"} << -1;
        QTest::newRow("other setting kept") << QStringList{"MaxLogLevel=3", "LogLevel=2"} << 1 << false
                                            << QStringList{"MaxLogLevel=3", "LogLevel=4"} << -1;
        QTest::newRow("reading takes the level")
            << QStringList{"A", "LogLevel=4"} << 0 << true << QStringList{"A", "LogLevel=4"} << 1;
        QTest::newRow("reading an unknown level")
            << QStringList{"LogLevel= 4"} << 0 << true << QStringList{"LogLevel=0"} << -1;
    }

    void rewrite()
    {
        QFETCH(QStringList, lines);
        QFETCH(int, selected);
        QFETCH(bool, reading);
        QFETCH(QStringList, expected);
        QFETCH(int, recognised);
        const auto result = gatewaylog::rewriteLevels(lines, LogOption(selected), reading);
        QCOMPARE(result.lines, expected);
        QCOMPARE(result.recognised ? int(*result.recognised) : -1, recognised);
    }

    void choosingDetailedRewritesTheLevelInPlace()
    {
        auto app = start(controlFile("LogLevel=2\r\nPort=11112\r\n"));
        QCOMPARE(app->control(QStringLiteral("Option1")).value(QStringLiteral("value")).toInt(), 1);
        QCOMPARE(fileOf(*app), controlFile("LogLevel=2\r\nPort=11112\r\n"));
        app->act(QStringLiteral("click Option2"));
        QCOMPARE(fileOf(*app), controlFile("LogLevel=4\r\nPort=11112\r\n"));
        QCOMPARE(app->commands(), applied());
        // Stops, then the one-second pause, then the start.
        QCOMPARE(app->pauses().size(), 1);
        QCOMPARE(app->pauses().at(0).toObject().value(QStringLiteral("afterCommands")).toInt(), 2);
        QCOMPARE(app->pauses().at(0).toObject().value(QStringLiteral("ms")).toInt(), 1000);
        QCOMPARE(app->text(QStringLiteral("Label3")), QStringLiteral("설정 완료"));
        QVERIFY(app->control(QStringLiteral("Command7")).value(QStringLiteral("enabled")).toBool());
        QVERIFY(app->control(QStringLiteral("Command12")).value(QStringLiteral("enabled")).toBool());
        QCOMPARE(app->gatewayProbe().asked.size(), 1);
        QCOMPARE(app->gatewayProbe().asked.first().port, 11112); // the port of the control file

        // A gateway that does not come back is told, after a bounded wait.
        app->gatewayProbe().answering = false;
        app->act(QStringLiteral("click Option1"));
        QCOMPARE(app->text(QStringLiteral("Label3")), QStringLiteral("워크리스트 서비스가 시작되지 않았습니다."));
        QCOMPARE(app->gatewayProbe().asked.size(), 1 + worklist::gateway::kEchoTries);
        QCOMPARE(app->pauses().size(), 2 + worklist::gateway::kEchoTries);
        QVERIFY(app->control(QStringLiteral("Command7")).value(QStringLiteral("enabled")).toBool());
    }

    void levelFourAtStartArmsWithoutARestart()
    {
        auto app = start(controlFile("LogLevel=4\r\n"));
        QCOMPARE(app->control(QStringLiteral("Option2")).value(QStringLiteral("value")).toInt(), 1);
        QVERIFY(app->commands().isEmpty());
        app->act(QStringLiteral("click Option1"));
        QCOMPARE(fileOf(*app), controlFile("LogLevel=0\r\n"));
    }

    void unrecognisedLevelLeavesTheOptionsUnarmed()
    {
        auto app = start(controlFile("LogLevel=5\r\n"));
        QVERIFY(!app->form().logOptionArmed());
        app->act(QStringLiteral("click Option2")); // only arms
        QVERIFY(app->commands().isEmpty());
        QCOMPARE(fileOf(*app), controlFile("LogLevel=5\r\n"));
        app->act(QStringLiteral("click Option1"));
        QCOMPARE(fileOf(*app), controlFile("LogLevel=0\r\n"));
        QCOMPARE(app->commands(), applied());
    }

    void twoLevelLinesAndOtherSettings()
    {
        auto app = start(controlFile("LogLevel=1\r\nMaxLogLevel=3\r\nLogLevel=2\r\n"));
        app->act(QStringLiteral("click Option2"));
        QCOMPARE(fileOf(*app), controlFile("LogLevel=4\r\nMaxLogLevel=3\r\nLogLevel=4\r\n"));
    }

    void closingWhileDetailedWritesLevelZero()
    {
        auto app = start(controlFile("LogLevel=2\r\n"));
        app->act(QStringLiteral("click Option2"));
        app->act(QStringLiteral("close"));
        QVERIFY(app->ended());
        QCOMPARE(fileOf(*app), controlFile("LogLevel=0\r\n"));
        QCOMPARE(app->commands(), applied() + applied());
        QCOMPARE(app->pauses().at(1).toObject().value(QStringLiteral("afterCommands")).toInt(), 5);
        QVERIFY(!app->form().database().isOpen());
    }

    void closingWhileNoneChangesNothing()
    {
        auto app = start(controlFile("LogLevel=3\r\n"));
        app->act(QStringLiteral("close"));
        QVERIFY(app->ended());
        QVERIFY(app->commands().isEmpty());
        QCOMPARE(fileOf(*app), controlFile("LogLevel=3\r\n"));
    }

    void missingFileDuringApplyStillRestarts()
    {
        auto app = start(controlFile("LogLevel=2\r\n"));
        QFile::remove(app->controlFile());
        app->act(QStringLiteral("click Option2"));
        QCOMPARE(app->messages().last().toObject().value(QStringLiteral("text")).toString(),
                 QStringLiteral("ZORadoDidServiceControl.ini 파일이 없습니다. 확인 후 실행하시기 바랍니다."));
        QCOMPARE(app->commands(), applied());
        QCOMPARE(app->text(QStringLiteral("Label3")), QStringLiteral("설정 완료"));
    }

    void failedWriteBringsTheGatewayBack()
    {
        auto app = start(controlFile("LogLevel=2\r\n"));
        // A character the code page cannot hold: the file cannot be written.
        app->site().writeBytes(QStringLiteral("drives/c/RUDIVUV/RUDIVUV_MWLScp/ZORadoDidServiceControl.ini"),
                               controlFile("LogLevel=2\r\nName=\xF0\x9F\x98\x80\r\n"));
        app->act(QStringLiteral("click Option2"));
        QCOMPARE(app->commands(), applied());
        QVERIFY(app->control(QStringLiteral("Command7")).value(QStringLiteral("enabled")).toBool());
        QCOMPARE(app->messages().size(), 1);
    }
};

QTEST_MAIN(TestLogLevel)
#include "test_log_level.moc"

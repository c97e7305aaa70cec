#include "support/window_checks.h"

#include "gatewaylog/log_level.h"

#include <QTest>

using namespace Qt::StringLiterals;

using gatewaylog::LogOption;
using namespace checks;

// The gateway's log level in its control file, and the two options that set it.
class TestLogLevel : public QObject
{
    Q_OBJECT

    static QByteArray controlText(const QByteArray &levelLines)
    {
        return "[Service]\r\nCustomAETitle=CT01^^VMWL_KK_CT01^^^^||\r\n" + levelLines + "FCR_XG5000=0\r\n";
    }

    static std::unique_ptr<AppHarness> start(const QByteArray &levelLines)
    {
        auto app = std::make_unique<AppHarness>(QDate(2026, 12, 6), [&](TestSite &site) {
            site.writeBytes(u"drives/c/RUDIVUV/RUDIVUV_MWLScp/ZORadoDidServiceControl.ini"_s, controlText(levelLines));
        });
        app->login();
        return app;
    }

private Q_SLOTS:
    void levelLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("isLevel");
        QTest::addColumn<int>("recognised"); // -1 none, 0 None, 1 Detailed
        const auto row = [](const char *line, bool isLevel, int recognised) {
            QTest::newRow(line) << line << isLevel << recognised;
        };
        row("LogLevel=0", true, 0);
        row("LogLevel=3", true, 0);
        row("LogLevel=4", true, 1);
        row("LogLevel=5", true, -1);
        row("LogLevel= 4", true, -1);
        row(" LogLevel =2", true, -1);
        row("MaxLogLevel=3", false, -1);
        row("loglevel=4", false, -1);
        row("Comment=LogLevel=4", false, -1);
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

    // What the operator's clicks leave in the file, and how often the gateway restarts.
    void options_data()
    {
        QTest::addColumn<QByteArray>("levels");
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<int>("restarts");
        const auto row = [](const char *name, const char *levels, const QStringList &actions, const char *written,
                            int restarts) {
            QTest::newRow(name) << QByteArray(levels) << actions << QByteArray(written) << restarts;
        };
        row("opening changes nothing", "LogLevel=2\r\n", {}, "LogLevel=2\r\n", 0);
        row("detailed", "LogLevel=2\r\n", {u"click Option2"_s}, "LogLevel=4\r\n", 1);
        row("none after level 4", "LogLevel=4\r\n", {u"click Option1"_s}, "LogLevel=0\r\n", 1);
        row("unrecognised level: the first click only arms", "LogLevel=5\r\n", {u"click Option2"_s}, "LogLevel=5\r\n",
            0);
        row("unrecognised level, then none", "LogLevel=5\r\n", {u"click Option2"_s, u"click Option1"_s},
            "LogLevel=0\r\n", 1);
        row("every level line, other settings kept", "LogLevel=1\r\nMaxLogLevel=3\r\nLogLevel=2\r\n",
            {u"click Option2"_s}, "LogLevel=4\r\nMaxLogLevel=3\r\nLogLevel=4\r\n", 1);
        row("closing while detailed writes none", "LogLevel=2\r\n", {u"click Option2"_s, u"close"_s}, "LogLevel=0\r\n",
            2);
        row("closing while none", "LogLevel=3\r\n", {u"close"_s}, "LogLevel=3\r\n", 0);
    }

    void options()
    {
        QFETCH(QByteArray, levels);
        QFETCH(QStringList, actions);
        QFETCH(QByteArray, written);
        QFETCH(int, restarts);
        auto app = start(levels);
        for (const QString &action : actions)
            app->act(action);
        QCOMPARE(app->site().readBytes(u"drives/c/RUDIVUV/RUDIVUV_MWLScp/ZORadoDidServiceControl.ini"_s),
                 controlText(written));
        // Each restart stops, pauses a second, then starts.
        QStringList expected;
        for (int i = 0; i < restarts; ++i) {
            expected += restart();
            const QJsonObject pause = app->pauses().at(i).toObject();
            QCOMPARE(pause.value(u"afterCommands"_s).toInt(), expected.size() - 1);
            QCOMPARE(pause.value(u"ms"_s).toInt(), 1000);
        }
        QCOMPARE(app->commands(), expected);
        QCOMPARE(app->pauses().size(), restarts);
        const bool ended = actions.contains(u"close"_s);
        QCOMPARE(app->ended(), ended);
        QCOMPARE(app->text(u"Label3"_s) == u"설정 완료"_s, restarts > 0);
        QVERIFY(enabled(*app, u"Command7"_s) && enabled(*app, u"Command12"_s));
    }

    // A file that cannot be written, or is gone, still brings the gateway back.
    void failedWriteStillRestarts_data()
    {
        QTest::addColumn<bool>("remove");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing file") << true
                                      << "ZORadoDidServiceControl.ini 파일이 없습니다. 확인 후 실행하시기 바랍니다.";
        QTest::newRow("text the code page cannot hold") << false << "ZORadoDidServiceControl.ini";
    }

    void failedWriteStillRestarts()
    {
        QFETCH(bool, remove);
        QFETCH(QString, message);
        auto app = start("LogLevel=2\r\n");
        if (remove)
            QFile::remove(app->controlFile());
        else
            app->site().writeBytes(u"drives/c/RUDIVUV/RUDIVUV_MWLScp/ZORadoDidServiceControl.ini"_s,
                                   controlText("LogLevel=2\r\nName=\xF0\x9F\x98\x80\r\n"));
        app->act(u"click Option2"_s);
        QCOMPARE(app->messages().size(), 1);
        QVERIFY2(lastMessage(*app).contains(message), qPrintable(lastMessage(*app)));
        QCOMPARE(app->commands(), restart());
        QVERIFY(enabled(*app, u"Command7"_s));
    }
};

QTEST_MAIN(TestLogLevel)
#include "test_log_level.moc"

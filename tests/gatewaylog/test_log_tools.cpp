#include "support/window_checks.h"

#include "gatewaylog/log_level.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMouseEvent>
#include <QOperatingSystemVersion>
#include <QTest>

using namespace Qt::StringLiterals;

using namespace checks;

// The log tools on the demo site's logs, as the operator uses them, and the
// gateway's log level in its control file with the two options that set it.
class TestLogTools : public QObject
{
    Q_OBJECT

    static QString logDir(AppHarness &app) { return app.site().file(u"drives/c/RUDIVUV/Log"_s); }

    struct Deletion
    {
        QString typed;  // Text12; empty keeps the log folder
        QString folder; // on disk, under the site
        QStringList added, left;
        bool restarted;
    };

    static QByteArray controlText(const QByteArray &levelLines)
    {
        return "[Service]\r\nCustomAETitle=CT01^^VMWL_KK_CT01^^^^||\r\n" + levelLines + "FCR_XG5000=0\r\n";
    }

    static std::unique_ptr<AppHarness> start(const QByteArray &levelLines)
    {
        auto app = std::make_unique<AppHarness>(AppHarness::LoggedIn, [&](TestSite &site) {
            site.writeBytes(u"drives/c/RUDIVUV/RUDIVUV_MWLScp/ZORadoDidServiceControl.ini"_s, controlText(levelLines));
        });
        return app;
    }

private Q_SLOTS:
    void scanInspectPreviewLookUp()
    {
        AppHarness app(AppHarness::LoggedIn);
        app.act(u"click Command7"_s);
        const QStringList entries = app.items(u"List3"_s);
        // CT01 and DR01 on two days (their queries name the day), DR01 also
        // from its older view, MR01 from the base view; repeats merged.
        QCOMPARE(entries.size(), 6);
        QVERIFY(entries.at(0).startsWith(
            u"+//+CT01+///+*//*[\\ISO 2022 IR 149]*///*-//-FROM VMWL_KK_CT01 WHERE (1 = 1) AND"_s));
        QCOMPARE(entries.filter(u"+//+DR01+///+"_s).size(), 3);
        QCOMPARE(entries.filter(u"FROM VMWL WHERE"_s).size(), 1);
        QVERIFY(entries.filter(u"VMWL_EG_DR01"_s).value(0).startsWith(u"+//+DR01+///+"_s));
        QVERIFY(app.items(u"File1"_s).contains(u"ZORadoDidService_20261205.log"_s));
        QVERIFY(app.messages().isEmpty());
        app.act(u"click Command7"_s); // a second scan empties the list first
        QCOMPARE(app.items(u"List3"_s), entries);

        app.act(u"pick List3 0"_s);
        QVERIFY(app.text(u"Text8"_s)
                    .startsWith(u"장비 Ae Title : CT01\r\n\r\nCharacter_Set : [\\ISO 2022 IR "
                                "149]\r\n\r\nTable 명 : VMWL_KK_CT01\r\n\r\nmodality = 'CT' \r\n"_s));
        QCOMPARE(app.text(u"Text10"_s) + u'|' + app.text(u"Text11"_s), u"CT01|VMWL_KK_CT01"_s);

        // The view is not in this archive yet: the preview says so.
        app.act(u"click Command2"_s);
        QVERIFY(lastMessage(app).contains(u"VMWL_KK_CT01"_s));

        app.act(u"click Command11"_s);
        const QString orders = app.text(u"Text8"_s);
        QVERIFY(orders.startsWith(u"    환자 번호 : [2026000123]\r\n"_s));
        QCOMPARE(orders.count(u" (Success)\r\n\r\n"_s), 3); // three associations of CT01 with the view
        QVERIFY(orders.contains(u"<2026-12-05 08:12:05> : 4 (Success)\r\n\r\n"_s));
        QVERIFY(app.text(u"Label3"_s).startsWith(u"로그가 아래와 같으면 장비는 2건만 조회됨\r\n"_s));
        QVERIFY(app.text(u"Label3"_s).endsWith(u"<2019-09-16 14:49:19> : 3 (Success)"_s));
    }

    void onlyTheGatewaysFilesAreRead()
    {
        if (QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows)
            QSKIP("Windows names files without regard to letter case: every spelling is the gateway's");
        AppHarness app(AppHarness::LoggedIn);
        for (const QString &name : QDir(logDir(app)).entryList(QDir::Files))
            QFile::rename(QDir(logDir(app)).filePath(name), QDir(logDir(app)).filePath(name.toLower()));
        app.act(u"click Command7"_s);
        QVERIFY(app.items(u"List3"_s).isEmpty());
        QVERIFY(app.messages().isEmpty());
    }

    // "로그 삭제": which files go, and whether the gateway is restarted around it.
    void deletion_data()
    {
        QTest::addColumn<Deletion>("d");
        QTest::newRow("the gateway's logs only, not in sub-folders")
            << Deletion{u""_s,
                        u"drives/c/RUDIVUV/Log"_s,
                        {u"zoradodid_old.txt"_s, u"other.log"_s, u"sub/ZORadoDidService_1.log"_s},
                        {u"other.log"_s, u"sub/ZORadoDidService_1.log"_s},
                        true};
        QTest::newRow("a folder named after the gateway: every file")
            << Deletion{u"C:\\ZORADODID\\"_s, u"drives/c/ZORADODID"_s, {u"a.txt"_s, u"b.log"_s}, {}, true};
        QTest::newRow("missing folder stops nothing")
            << Deletion{u"C:\\NoSuch\\"_s, u"drives/c/NoSuch"_s, {}, {}, false};
    }

    void deletion()
    {
        QFETCH(Deletion, d);
        AppHarness app(AppHarness::LoggedIn);
        for (const QString &file : d.added)
            app.site().writeBytes(d.folder + u'/' + file, "x");
        app.act(u"click Command7"_s);
        QVERIFY(!app.items(u"List3"_s).isEmpty());
        app.act((d.typed.isEmpty() ? QString() : u"type Text12 "_s + d.typed + u'\n') + u"click Command12"_s);
        QStringList files;
        for (QDirIterator it(app.site().file(d.folder), QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
            files << QDir(app.site().file(d.folder)).relativeFilePath(it.next());
        files.sort();
        QCOMPARE(files, d.left);
        QCOMPARE(app.commands(), d.restarted ? restart() : QStringList());
        QCOMPARE(app.items(u"List3"_s).isEmpty(), d.restarted); // emptied with the files
    }

    void longWorkShowsProgressAndTakesNoInput()
    {
        AppHarness app(AppHarness::LoggedIn);
        app.act(u"type Text2 KEEP\nhover Label13"_s);
        QString during;
        app.form().runBusy(u"로그 확인 중입니다."_s, 2, [&](const Form1::BusyProgress &progress) {
            // Repaints are paced: nothing new is shown within 100 ms of the last.
            app.advanceClock(99);
            progress(1, 1024, 3 * 1024 * 1024);
            QCOMPARE(app.text(u"Label3"_s), u"로그 확인 중입니다.\r\n0 / 2 파일, 0.0 MB / 0.0 MB"_s);
            app.advanceClock(1);
            progress(1, 1024 * 1024, 3 * 1024 * 1024);
            during = app.text(u"Label3"_s);
            QVERIFY(app.form().busy());
            // A click on "초기화" meanwhile is not taken.
            QWidget *reset = app.form().ui().Command8;
            const QPointF at(reset->rect().center());
            QMouseEvent press(QEvent::MouseButtonPress, at, reset->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                              Qt::NoModifier);
            QMouseEvent release(QEvent::MouseButtonRelease, at, reset->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                                Qt::NoModifier);
            QApplication::sendEvent(reset, &press);
            QApplication::sendEvent(reset, &release);
            app.form().close();
        });
        QCOMPARE(during, u"로그 확인 중입니다.\r\n1 / 2 파일, 1.0 MB / 3.0 MB"_s);
        QCOMPARE(app.text(u"Text2"_s), u"KEEP"_s);
        QVERIFY(!app.ended());
        QCOMPARE(app.text(u"Label3"_s), u"장비 Worklist에서 한글 표시 여부 설정"_s);
        QVERIFY(!app.form().busy());
    }

    // A double click opens the log folder; a folder that is not there opens nothing and is named.
    void logFolderField()
    {
        AppHarness app(AppHarness::LoggedIn);
        app.act(u"dblclick Text12"_s);
        QCOMPARE(app.commands(), QStringList{u"Explorer.exe /e, C:\\RUDIVUV\\Log\\"_s});
        app.act(u"type Text12 C:\\NoSuch\\Log\\\ndblclick Text12"_s);
        QCOMPARE(app.commands().size(), 1);
        app.act(u"click Command7"_s);
        QVERIFY(lastMessage(app).contains(u"NoSuch"_s));
        QVERIFY(app.items(u"List3"_s).isEmpty());
        app.act(u"click Command11"_s);
        QCOMPARE(app.messages().size(), 2);
        QCOMPARE(app.text(u"Text8"_s), QString());
    }

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

QTEST_MAIN(TestLogTools)
#include "test_log_tools.moc"

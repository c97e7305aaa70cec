#include "support/window_checks.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMouseEvent>
#include <QTest>

using namespace Qt::StringLiterals;

using namespace checks;

// The log tools on the demo site's logs, as the operator uses them.
class TestLogTools : public QObject
{
    Q_OBJECT

    static QString logDir(AppHarness &app) { return app.site().file(QStringLiteral("drives/c/RUDIVUV/Log")); }

private Q_SLOTS:
    void scanInspectPreviewLookUp()
    {
        AppHarness app;
        app.login();
        app.act(QStringLiteral("click Command7"));
        const QStringList entries = app.items(QStringLiteral("List3"));
        // CT01 and DR01 on two days (their queries name the day), DR01 also
        // from its older view, MR01 from the base view; repeats merged.
        QCOMPARE(entries.size(), 6);
        QVERIFY(entries.at(0).startsWith(
            QStringLiteral("+//+CT01+///+*//*[\\ISO 2022 IR 149]*///*-//-FROM VMWL_KK_CT01 WHERE (1 = 1) AND")));
        QCOMPARE(entries.filter(QStringLiteral("+//+DR01+///+")).size(), 3);
        QCOMPARE(entries.filter(QStringLiteral("FROM VMWL WHERE")).size(), 1);
        QVERIFY(entries.filter(QStringLiteral("VMWL_EG_DR01")).value(0).startsWith(QStringLiteral("+//+DR01+///+")));
        QVERIFY(app.items(QStringLiteral("File1")).contains(QStringLiteral("ZORadoDidService_20261205.log")));
        QVERIFY(app.messages().isEmpty());
        app.act(QStringLiteral("click Command7")); // a second scan empties the list first
        QCOMPARE(app.items(QStringLiteral("List3")), entries);

        app.act(QStringLiteral("pick List3 0"));
        QVERIFY(app.text(QStringLiteral("Text8"))
                    .startsWith(QStringLiteral("장비 Ae Title : CT01\r\n\r\nCharacter_Set : [\\ISO 2022 IR "
                                               "149]\r\n\r\nTable 명 : VMWL_KK_CT01\r\n\r\nmodality = 'CT' \r\n")));
        QCOMPARE(app.text(u"Text10"_s) + u'|' + app.text(u"Text11"_s), QStringLiteral("CT01|VMWL_KK_CT01"));

        // The view is not in this archive yet: the preview says so.
        app.act(QStringLiteral("click Command2"));
        QVERIFY(lastMessage(app).contains(QStringLiteral("VMWL_KK_CT01")));

        app.act(QStringLiteral("click Command11"));
        const QString orders = app.text(QStringLiteral("Text8"));
        QVERIFY(orders.startsWith(QStringLiteral("    환자 번호 : [2026000123]\r\n")));
        QCOMPARE(orders.count(QStringLiteral(" (Success)\r\n\r\n")), 3); // three associations of CT01 with the view
        QVERIFY(orders.contains(QStringLiteral("<2026-12-05 08:12:05> : 4 (Success)\r\n\r\n")));
        QVERIFY(app.text(QStringLiteral("Label3"))
                    .startsWith(QStringLiteral("로그가 아래와 같으면 장비는 2건만 조회됨\r\n")));
        QVERIFY(app.text(QStringLiteral("Label3")).endsWith(QStringLiteral("<2019-09-16 14:49:19> : 3 (Success)")));
    }

    void onlyTheGatewaysFilesAreRead()
    {
        AppHarness app;
        app.login();
        for (const QString &name : QDir(logDir(app)).entryList(QDir::Files))
            QFile::rename(QDir(logDir(app)).filePath(name), QDir(logDir(app)).filePath(name.toLower()));
        app.act(QStringLiteral("click Command7"));
        QVERIFY(app.items(QStringLiteral("List3")).isEmpty());
        QVERIFY(app.messages().isEmpty());
    }

    void missingFolderIsNamed()
    {
        AppHarness app;
        app.login();
        app.act(QStringLiteral("type Text12 C:\\NoSuch\\Log\\"));
        app.act(QStringLiteral("click Command7"));
        QVERIFY(lastMessage(app).contains(QStringLiteral("NoSuch")));
        QVERIFY(app.items(QStringLiteral("List3")).isEmpty());
        app.act(QStringLiteral("click Command11"));
        QCOMPARE(app.messages().size(), 2);
        QCOMPARE(app.text(QStringLiteral("Text8")), QString());
    }

    // "로그 삭제": which files go, and whether the gateway is restarted around it.
    void deletion_data()
    {
        QTest::addColumn<QString>("typed");  // Text12; empty keeps the log folder
        QTest::addColumn<QString>("folder"); // on disk, under the site
        QTest::addColumn<QStringList>("added");
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<bool>("restarted");
        QTest::newRow("the gateway's logs only, not in sub-folders")
            << ""
            << "drives/c/RUDIVUV/Log"
            << QStringList{u"zoradodid_old.txt"_s, u"other.log"_s, u"sub/ZORadoDidService_1.log"_s}
            << QStringList{u"other.log"_s, u"sub/ZORadoDidService_1.log"_s} << true;
        QTest::newRow("a folder named after the gateway: every file")
            << "C:\\ZORADODID\\"
            << "drives/c/ZORADODID" << QStringList{u"a.txt"_s, u"b.log"_s} << QStringList{} << true;
        QTest::newRow("missing folder stops nothing") << "C:\\NoSuch\\"
                                                      << "drives/c/NoSuch" << QStringList{} << QStringList{} << false;
    }

    void deletion()
    {
        QFETCH(QString, typed);
        QFETCH(QString, folder);
        QFETCH(QStringList, added);
        QFETCH(QStringList, left);
        QFETCH(bool, restarted);
        AppHarness app;
        app.login();
        for (const QString &file : added)
            app.site().writeBytes(folder + u'/' + file, "x");
        app.act(QStringLiteral("click Command7"));
        QVERIFY(!app.items(QStringLiteral("List3")).isEmpty());
        if (!typed.isEmpty())
            app.act(QStringLiteral("type Text12 ") + typed);
        app.act(QStringLiteral("click Command12"));
        QStringList files;
        for (QDirIterator it(app.site().file(folder), QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
            files << QDir(app.site().file(folder)).relativeFilePath(it.next());
        files.sort();
        QCOMPARE(files, left);
        QCOMPARE(app.commands(), restarted ? restart() : QStringList());
        QCOMPARE(app.items(QStringLiteral("List3")).isEmpty(), restarted); // emptied with the files
    }

    void longWorkShowsProgressAndTakesNoInput()
    {
        AppHarness app;
        app.login();
        app.act(QStringLiteral("type Text2 KEEP"));
        app.act(QStringLiteral("hover Label13"));
        QString during;
        app.form().runBusy(QStringLiteral("로그 확인 중입니다."), 2, [&](const Form1::BusyProgress &progress) {
            // Repaints are paced: nothing new is shown within 100 ms of the last.
            app.advanceClock(99);
            progress(1, 1024, 3 * 1024 * 1024);
            QCOMPARE(app.text(QStringLiteral("Label3")),
                     QStringLiteral("로그 확인 중입니다.\r\n0 / 2 파일, 0.0 MB / 0.0 MB"));
            app.advanceClock(1);
            progress(1, 1024 * 1024, 3 * 1024 * 1024);
            during = app.text(QStringLiteral("Label3"));
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
        QCOMPARE(during, QStringLiteral("로그 확인 중입니다.\r\n1 / 2 파일, 1.0 MB / 3.0 MB"));
        QCOMPARE(app.text(QStringLiteral("Text2")), QStringLiteral("KEEP"));
        QVERIFY(!app.ended());
        QCOMPARE(app.text(QStringLiteral("Label3")), QStringLiteral("장비 Worklist에서 한글 표시 여부 설정"));
        QVERIFY(!app.form().busy());
    }

    void doubleClickOpensTheFolder()
    {
        AppHarness app;
        app.login();
        app.act(QStringLiteral("dblclick Text12"));
        QCOMPARE(app.commands(), QStringList{QStringLiteral("Explorer.exe /e, C:\\RUDIVUV\\Log\\")});
        app.act(QStringLiteral("type Text12 C:\\NoSuch\\"));
        app.act(QStringLiteral("dblclick Text12"));
        QCOMPARE(app.commands().size(), 1);
    }
};

QTEST_MAIN(TestLogTools)
#include "test_log_tools.moc"

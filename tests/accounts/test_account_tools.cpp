#include "support/window_checks.h"

#include "accounts/account_statements.h"
#include "platform/codepage.h"

#include <QTest>
#include <QTextCodec>

using namespace Qt::StringLiterals;

using namespace checks;

// The account tools on the demo archive, through the window. What each
// statement does is checked in test_account_statements; here, which accounts
// and groups the tools send them for, in which order, and what a failure leaves;
// and the account lists as the archive fills them.
// Account key k stands at List1 item k - 3 and Combo1 item k - 2.
class TestAccountTools : public QObject
{
    Q_OBJECT

    static QString target(int key) { return QStringLiteral("pick List1 %1").arg(key - 3); }
    static QString source(int key) { return QStringLiteral("pick Combo1 %1").arg(key - 2); }

    static QStringList settings(AppHarness &app, int key)
    {
        return column(app, QStringLiteral("Select ITEM + '=' + SET_VALUE From Tusersetting Where USER_KEY = %1 "
                                          "Order by USERSETTING_KEY")
                               .arg(key));
    }

    static QStringList sentSince(const AppHarness &app, qsizetype before) { return statements(app).mid(before); }

private Q_SLOTS:
    void resetByLevel_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("level");
        QTest::newRow("level 400") << 3 << "400";
        QTest::newRow("level 200 from the 400 files") << 5 << "400";
        QTest::newRow("level 300") << 6 << "300";
        QTest::newRow("level 100 from the 110 files") << 8 << "110";
    }

    void resetByLevel()
    {
        QFETCH(int, key);
        QFETCH(QString, level);
        AppHarness app;
        app.login();
        app.act(target(key));
        app.act(QStringLiteral("click Command1"));
        QCOMPARE(lastMessage(app), QStringLiteral("완료되었습니다."));
        QStringList expected;
        for (const char *item : {"VIEWER-VIEWER_PROPERTY", "WORKLIST-SEARCH_FILTER1", "WORKLIST-LIST_COL",
                                 "WORKLIST-PROFILE", "WORKLIST-SEARCH_WIZARD", "WORKLIST-SEARCH_WIZARD_TREE",
                                 "VIEWER-DLPTLS", "WORKLIST-WORKLIST_PROPERTY", "WORKLIST-WINDOW_POSITION"}) {
            const QString name = QString::fromLatin1(item);
            const QByteArray bytes = app.site().readBytes(QStringLiteral("TUSERSETTING/%1-%2.txt").arg(level, name));
            expected << name.section(u'-', 1) + u'=' + platform::cp949Codec()->toUnicode(bytes);
        }
        QCOMPARE(settings(app, key), expected);
        QVERIFY(app.control(QStringLiteral("List1")).value(QStringLiteral("selected")).toArray().isEmpty());
    }

    void resetFailsWholeForAMissingFile()
    {
        AppHarness app(QDate(2026, 12, 6), [](TestSite &site) {
            QFile::remove(site.file(QStringLiteral("TUSERSETTING/400-WORKLIST-WINDOW_POSITION.txt")));
            site.writeBytes(QStringLiteral("TUSERSETTING/110-VIEWER-DLPTLS.txt"), QByteArray());
        });
        app.login();
        const QStringList before12 = settings(app, 12);
        const qsizetype sent = statements(app).size();
        for (int key : {12, 9, 6}) // picked out of order: worked in list order
            app.act(target(key));
        app.act(QStringLiteral("click Command1"));
        QVERIFY(lastMessage(app).contains(QStringLiteral("400-WORKLIST-WINDOW_POSITION.txt")));
        QCOMPARE(settings(app, 12), before12);
        QCOMPARE(settings(app, 6).size(), 9);
        QVERIFY(settings(app, 9).contains(QStringLiteral("DLPTLS="))); // an empty file gives an empty value
        const QStringList deletes = sentSince(app, sent).filter(QStringLiteral("Delete")).mid(0, 2);
        QCOMPARE(deletes, (QStringList{accounts::resetDelete(6), accounts::resetDelete(9)}));
    }

    void settingsCopy_data()
    {
        QTest::addColumn<bool>("keepLayout");
        QTest::newRow("everything") << false;
        QTest::newRow("window layout kept") << true;
    }

    void settingsCopy()
    {
        QFETCH(bool, keepLayout);
        AppHarness app;
        app.login();
        const QStringList fromSource = settings(app, 12);
        app.act(source(12));
        if (keepLayout)
            app.act(QStringLiteral("click Check6"));
        for (int key : {12, 9, 4}) // the source itself is left alone
            app.act(target(key));
        const qsizetype sent = statements(app).size();
        app.act(QStringLiteral("click Command3"));
        QCOMPARE(lastMessage(app), QStringLiteral("완료되었습니다."));
        QCOMPARE(sentSince(app, sent).mid(0, 4),
                 (QStringList{accounts::copyDelete(4, keepLayout), accounts::copyInsert(4, 12, keepLayout),
                              accounts::copyDelete(9, keepLayout), accounts::copyInsert(9, 12, keepLayout)}));
        QCOMPARE(settings(app, 12), fromSource);
        QCOMPARE(app.text(QStringLiteral("Combo1")), QStringLiteral("복사 대상 계정 선택"));
        QVERIFY(app.control(QStringLiteral("List1")).value(QStringLiteral("selected")).toArray().isEmpty());
    }

    void copiesNeedASource()
    {
        AppHarness app;
        app.login();
        const int rows = count(app, QStringLiteral("Select * From Tusersetting"));
        app.act(QStringLiteral("click Command1")); // nothing selected: nothing reset
        QCOMPARE(lastMessage(app), QStringLiteral("완료되었습니다."));
        QCOMPARE(count(app, QStringLiteral("Select * From Tusersetting")), rows);
        app.act(target(6));
        app.act(QStringLiteral("click Command3"));
        QCOMPARE(lastMessage(app), QStringLiteral("복사할 계정을 선택 하십시오."));
        app.act(QStringLiteral("type Combo1 no bar here"));
        app.act(QStringLiteral("click Command13"));
        QCOMPARE(app.messages().size(), 3);
        QCOMPARE(count(app, QStringLiteral("Select * From Tusersetting Where USER_KEY = 6")), 4);
    }

    // A statement that fails part-way leaves every account as it was.
    void failedCopyChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("sequence");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("check");
        QTest::newRow("settings") << QByteArray("Seq_Tusersetting") << "Command3"
                                  << "Select * From Tusersetting Where USER_KEY In (5, 6)";
        QTest::newRow("report groups") << QByteArray("Seq_TCOMMONRPT") << "Command14"
                                       << "Select * From TGROUP g, TGROUPUSER u Where g.GROUP_KEY = u.GROUP_KEY";
    }

    void failedCopyChangesNothing()
    {
        QFETCH(QByteArray, sequence);
        QFETCH(QString, button);
        QFETCH(QString, check);
        AppHarness app(QDate(2026, 12, 6), demoPlus("DELETE FROM kz_sequences WHERE name = '" + sequence + "';"));
        app.login();
        const QStringList before = column(app, check);
        app.act(source(12));
        app.act(target(6));
        app.act(target(5));
        app.act(QStringLiteral("click ") + button);
        QVERIFY(lastMessage(app).contains(QString::fromLatin1(sequence)));
        QCOMPARE(column(app, check), before);
    }

    void macrosCopied()
    {
        AppHarness app;
        app.login();
        app.act(source(12));
        app.act(target(12));
        app.act(target(15));
        const qsizetype sent = statements(app).size();
        app.act(QStringLiteral("click Command13"));
        QCOMPARE(sentSince(app, sent).value(0), accounts::macroCopy(15, 12));
        QCOMPARE(lastMessage(app), QStringLiteral("완료되었습니다."));
    }

    void reportGroups()
    {
        // A group whose name holds a quote.
        AppHarness app(QDate(2026, 12, 6),
                       demoPlus("INSERT INTO TGROUP VALUES (90, 1, 'G04', 12, 'O''Brien', 'x', NULL, 'Y', 'Y');\n"
                                "INSERT INTO TCOMMONREPORT (COMMONRPT_KEY, GROUP_KEY, REPORT_NAME) VALUES (90, 90, "
                                "'r');"));
        app.login();
        app.act(source(12));
        const int spine = app.items(QStringLiteral("List4")).indexOf(QStringLiteral("39_SPINE"));
        app.act(QStringLiteral("pick List4 %1").arg(spine)); // unselected: not copied
        for (int key : {3, 5, 11, 12})
            app.act(target(key));
        app.act(QStringLiteral("click Command14"));
        QCOMPARE(lastMessage(app), QStringLiteral("완료되었습니다."));

        auto groupsOf = [&](int key) {
            return column(app, QStringLiteral("Select g.GROUP_NAME + ':' + u.FLAG From TGROUP g, TGROUPUSER u Where "
                                              "g.GROUP_KEY = u.GROUP_KEY And u.USER_KEY = %1 And g.OWNER_KEY = %1 "
                                              "And g.GROUP_TYPE = 'G04' And g.STAT_FLAG = 'Y' Order by 1")
                                   .arg(key));
        };
        auto reportsOf = [&](int key, const QString &group) {
            return count(app, QStringLiteral("Select * From TCOMMONREPORT k, TGROUP g Where k.GROUP_KEY = g.GROUP_KEY "
                                             "And g.OWNER_KEY = %1 And g.GROUP_NAME = '%2'")
                                  .arg(key)
                                  .arg(group));
        };
        // Account 5 had none: new groups, their links and reports.
        QCOMPARE(groupsOf(5), (QStringList{u"CHEST:Y"_s, u"O'Brien:Y"_s, u"복부:Y"_s}));
        QCOMPARE(reportsOf(5, u"CHEST"_s), 3);
        QCOMPARE(reportsOf(5, u"O''Brien"_s), 1);
        // Account 11 has "chest" already: its group is used, no new one.
        QCOMPARE(groupsOf(11).filter(QStringLiteral("chest"), Qt::CaseInsensitive), QStringList{u"chest:Y"_s});
        QCOMPARE(reportsOf(11, u"chest"_s), 3);
        // Account 3's "Chest" holds a report of the same name: nothing copied into it.
        QCOMPARE(reportsOf(3, u"Chest"_s), 1);
        QVERIFY(!groupsOf(3).contains(QStringLiteral("SPINE:Y")));
        QCOMPARE(reportsOf(12, u"CHEST"_s), 3);

        // A second run adds nothing.
        const int rows = count(app, QStringLiteral("Select * From TCOMMONREPORT")) +
                         count(app, QStringLiteral("Select * From TGROUP"));
        app.act(source(12));
        app.act(QStringLiteral("pick List4 %1").arg(spine));
        for (int key : {3, 5, 11})
            app.act(target(key));
        app.act(QStringLiteral("click Command14"));
        QCOMPARE(count(app, QStringLiteral("Select * From TCOMMONREPORT")) +
                     count(app, QStringLiteral("Select * From TGROUP")),
                 rows);
    }

    void romanization()
    {
        AppHarness app;
        app.login();
        app.act(QStringLiteral("type Text16 마이클"));
        app.act(QStringLiteral("key Text16 Enter"));
        QCOMPARE(app.text(u"Text17"_s) + u'|' + app.text(u"Text18"_s), QStringLiteral("|MICHAEL"));
        QCOMPARE(app.state().value(QStringLiteral("focus")).toString(), QStringLiteral("Text17"));

        // No: nothing changes.
        app.act(QStringLiteral("hover Label13"));
        app.act(QStringLiteral("key Text17 Enter"));
        QCOMPARE(app.state().value(QStringLiteral("focus")).toString(), QStringLiteral("Text18"));
        app.act(QStringLiteral("answer No"));
        app.act(QStringLiteral("key Text18 Enter"));
        QCOMPARE(lastMessage(app), QStringLiteral("성 : , 이름 : MICHAEL 변경 하시겠습니까?"));
        QCOMPARE(app.text(QStringLiteral("Label3")), QStringLiteral("장비 Worklist에서 한글 표시 여부 설정"));
        const QString stored = QStringLiteral("Select FAMILY_NAME + '|' + ENG_NAME From THANCONVERT Where KOR_NAME = "
                                              "'마이클'");
        QCOMPARE(column(app, stored), QStringList{u"<NULL>"_s});

        // Yes: stored as typed.
        app.act(QStringLiteral("type Text18 MI'CHAEL "));
        app.act(QStringLiteral("answer Yes"));
        app.act(QStringLiteral("key Text18 Enter"));
        QCOMPARE(app.text(QStringLiteral("Label3")), QStringLiteral("변경되었습니다."));
        QCOMPARE(column(app, stored), QStringList{u"|MI'CHAEL "_s});
    }

    void romanizationEdgeCases()
    {
        AppHarness app;
        app.login();
        for (const char *action : {"type Text17 OLD", "type Text18 OLD", "type Text16 없는이름", "click Command9"})
            app.act(QString::fromUtf8(action));
        QCOMPARE(app.text(u"Text17"_s) + app.text(u"Text18"_s), QString());
        QVERIFY(app.messages().isEmpty());

        app.act(QStringLiteral("click Command4"));
        QCOMPARE(lastMessage(app), QStringLiteral("영문 이름 입력되지 않았습니다."));

        app.act(QStringLiteral("type Text16 O'Hara"));
        app.act(QStringLiteral("click Command9")); // a quote in the name is no error
        QCOMPARE(app.messages().size(), 1);
    }

    void listsOnTheDemoArchive()
    {
        AppHarness app;
        app.login();
        const QStringList sources = app.items(QStringLiteral("Combo1"));
        const QStringList targets = app.items(QStringLiteral("List1"));
        // Key 1 is listed nowhere, key 2 as a source only.
        QCOMPARE(sources.size(), 14);
        QCOMPARE(targets.size(), 13);
        QCOMPARE(sources.first(), QStringLiteral("2 | pacsadm | PACS관리자| 500"));
        QCOMPARE(targets.first(), QStringLiteral("3     |  kimrad     |  김판독     |  판독"));
        QVERIFY(targets.contains(QStringLiteral("10     |  guest     |       |  조회")));
        QCOMPARE(app.text(QStringLiteral("Combo1")), QStringLiteral("복사 대상 계정 선택"));
        QCOMPARE(app.control(QStringLiteral("Combo1")).value(QStringLiteral("index")).toInt(), -1);

        app.act(QStringLiteral("pick Combo1 10")); // 12 | rad1
        QStringList groups = app.items(QStringLiteral("List4"));
        groups.sort();
        QCOMPARE(groups, (QStringList{u"37_CHEST"_s, u"38_복부"_s, u"39_SPINE"_s}));
        QCOMPARE(app.control(QStringLiteral("List4")).value(QStringLiteral("selected")).toArray().size(), 3);
        QCOMPARE(statements(app).last(),
                 QStringLiteral("Select DISTINCT g.group_key, g.GROUP_NAME From   TGROUP G, TCOMMONREPORT k Where  "
                                "g.Group_type ='G04' And    g.Stat_flag = 'Y' And    g.group_key = k.group_key And    "
                                "g.owner_key = 12"));
        // A source without report groups empties the list.
        app.act(QStringLiteral("pick Combo1 4")); // 6 | choitech
        QVERIFY(app.items(QStringLiteral("List4")).isEmpty());
    }

    void fewAccounts_data()
    {
        QTest::addColumn<QByteArray>("keep");
        QTest::addColumn<int>("sources");
        QTest::addColumn<int>("targets");
        QTest::newRow("none") << QByteArray("0") << 0 << 0;
        QTest::newRow("one") << QByteArray("1") << 0 << 0;
        QTest::newRow("two") << QByteArray("2") << 1 << 0;
    }

    void fewAccounts()
    {
        QFETCH(QByteArray, keep);
        QFETCH(int, sources);
        QFETCH(int, targets);
        AppHarness app(QDate(2026, 12, 6), demoPlus("DELETE FROM Tuser WHERE user_key > " + keep + ";"));
        app.login();
        QCOMPARE(app.items(QStringLiteral("Combo1")).size(), sources);
        QCOMPARE(app.items(QStringLiteral("List1")).size(), targets);
        QCOMPARE(app.text(QStringLiteral("Combo1")), QStringLiteral("복사 대상 계정 선택"));
    }
};

QTEST_MAIN(TestAccountTools)
#include "test_account_tools.moc"

#include "support/app_harness.h"

#include "platform/codepage.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>

// The account tools on the demo archive. Accounts: key k stands at List1 item
// k - 3 and Combo1 item k - 2.
class TestAccountTools : public QObject
{
    Q_OBJECT

    static QString target(int key) { return QStringLiteral("pick List1 %1").arg(key - 3); }
    static QString source(int key) { return QStringLiteral("pick Combo1 %1").arg(key - 2); }

    static int count(AppHarness &app, const QString &sql) { return app.form().database().open(sql).recordCount(); }

    static QStringList column(AppHarness &app, const QString &sql)
    {
        QStringList values;
        for (db::Recordset r = app.form().database().open(sql); !r.eof(); r.moveNext())
            values.append(r.isNull(0) ? QStringLiteral("<NULL>") : r.text(0));
        return values;
    }

    static QString lastMessage(const AppHarness &app)
    {
        return app.messages().last().toObject().value(QStringLiteral("text")).toString();
    }

    static QStringList settings(AppHarness &app, int key)
    {
        return column(
            app, QStringLiteral("Select ITEM + '=' + SET_VALUE From Tusersetting Where USER_KEY = %1 Order by ITEM")
                     .arg(key));
    }

    static QString defaultText(AppHarness &app, const QString &file)
    {
        QFile f(app.site().file(QStringLiteral("TUSERSETTING/") + file));
        f.open(QIODevice::ReadOnly);
        return platform::fromCp949(f.readAll());
    }

private Q_SLOTS:
    // --- reset from the default files

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
        const QStringList values = column(
            app,
            QStringLiteral("Select SET_VALUE From Tusersetting Where USER_KEY = %1 Order by USERSETTING_KEY").arg(key));
        QCOMPARE(values.size(), 9);
        QCOMPARE(values.at(0), defaultText(app, level + "-VIEWER-VIEWER_PROPERTY.txt"));
        QCOMPARE(values.at(8), defaultText(app, level + "-WORKLIST-WINDOW_POSITION.txt"));
        QVERIFY(values.at(3).endsWith(QStringLiteral("\r\n")));
        QCOMPARE(
            column(
                app,
                QStringLiteral("Select ITEM From Tusersetting Where USER_KEY = %1 Order by USERSETTING_KEY").arg(key)),
            (QStringList{"VIEWER_PROPERTY", "SEARCH_FILTER1", "LIST_COL", "PROFILE", "SEARCH_WIZARD",
                         "SEARCH_WIZARD_TREE", "DLPTLS", "WORKLIST_PROPERTY", "WINDOW_POSITION"}));
        QCOMPARE(count(app, QStringLiteral("Select * From Tusersetting Where USER_KEY = %1 And SET_TYPE = 'C' And "
                                           "SAVE_FLAG = 'Y' And FLAG = 'Y'")
                                .arg(key)),
                 9);
        QVERIFY(app.control(QStringLiteral("List1")).value(QStringLiteral("selected")).toArray().isEmpty());
    }

    void resetTwoAccountsInListOrder()
    {
        AppHarness app;
        app.login();
        app.act(target(12));
        app.act(target(4));
        const int before = app.state().value(QStringLiteral("statements")).toArray().size();
        app.act(QStringLiteral("click Command1"));
        const QJsonArray statements = app.state().value(QStringLiteral("statements")).toArray();
        QCOMPARE(statements.at(before).toString(), QStringLiteral("Delete Tusersetting Where USER_KEY = 4"));
        QCOMPARE(statements.at(before + 10).toString(), QStringLiteral("Delete Tusersetting Where USER_KEY = 12"));
        QCOMPARE(count(app, QStringLiteral("Select * From Tusersetting Where USER_KEY = 12")), 9);
    }

    void resetWithNothingSelected()
    {
        AppHarness app;
        app.login();
        const int rows = count(app, QStringLiteral("Select * From Tusersetting"));
        app.act(QStringLiteral("click Command1"));
        QCOMPARE(lastMessage(app), QStringLiteral("완료되었습니다."));
        QCOMPARE(count(app, QStringLiteral("Select * From Tusersetting")), rows);
    }

    void missingDefaultFileLeavesTheAccountAsItWas()
    {
        AppHarness app(QDate(2026, 12, 6), [](TestSite &site) {
            QFile::remove(site.file(QStringLiteral("TUSERSETTING/400-WORKLIST-WINDOW_POSITION.txt")));
        });
        app.login();
        const QStringList before12 = settings(app, 12);
        app.act(target(6));  // level 300: its files are all there
        app.act(target(12)); // level 400: one file missing
        app.act(QStringLiteral("click Command1"));
        QVERIFY(lastMessage(app).contains(QStringLiteral("400-WORKLIST-WINDOW_POSITION.txt")));
        QCOMPARE(settings(app, 12), before12);
        QCOMPARE(count(app, QStringLiteral("Select * From Tusersetting Where USER_KEY = 6")), 9);
    }

    void emptyDefaultFile()
    {
        AppHarness app(QDate(2026, 12, 6), [](TestSite &site) {
            site.writeBytes(QStringLiteral("TUSERSETTING/110-VIEWER-DLPTLS.txt"), QByteArray());
        });
        app.login();
        app.act(target(9));
        app.act(QStringLiteral("click Command1"));
        QCOMPARE(
            column(app, QStringLiteral("Select SET_VALUE From Tusersetting Where USER_KEY = 9 And ITEM = 'DLPTLS'")),
            QStringList{QString()});
    }

    // --- settings copy

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
        const QStringList target6 = settings(app, 6);
        app.act(source(12));
        if (keepLayout)
            app.act(QStringLiteral("click Check6"));
        app.act(target(12)); // the source itself: left alone
        app.act(target(6));
        app.act(QStringLiteral("click Command3"));
        QCOMPARE(lastMessage(app), QStringLiteral("완료되었습니다."));
        QCOMPARE(settings(app, 12), fromSource);
        if (!keepLayout) {
            QCOMPARE(settings(app, 6), fromSource);
        } else {
            QStringList expected = fromSource.filter(QRegularExpression(QStringLiteral("^(?!WINDOW_POSITION=)")));
            expected.removeAll(QStringLiteral("<NULL>")); // a NULL item is neither copied
            expected += target6.filter(QStringLiteral("WINDOW_POSITION="));
            QStringList actual = settings(app, 6);
            actual.removeAll(QStringLiteral("<NULL>"));
            expected.sort();
            actual.sort();
            QCOMPARE(actual, expected);
        }
        QCOMPARE(app.text(QStringLiteral("Combo1")), QStringLiteral("복사 대상 계정 선택"));
        QVERIFY(app.control(QStringLiteral("List1")).value(QStringLiteral("selected")).toArray().isEmpty());
    }

    void settingsCopyNeedsASource()
    {
        AppHarness app;
        app.login();
        app.act(target(6));
        app.act(QStringLiteral("click Command3"));
        QCOMPARE(lastMessage(app), QStringLiteral("복사할 계정을 선택 하십시오."));
        app.act(QStringLiteral("type Combo1 no bar here"));
        app.act(QStringLiteral("click Command13"));
        QCOMPARE(app.messages().size(), 2);
        QCOMPARE(count(app, QStringLiteral("Select * From Tusersetting Where USER_KEY = 6")), 4);
    }

    void settingsCopyThreeTargetsInOrder()
    {
        AppHarness app;
        app.login();
        app.act(source(3));
        for (int key : {9, 4, 7})
            app.act(target(key));
        const int before = app.state().value(QStringLiteral("statements")).toArray().size();
        app.act(QStringLiteral("click Command3"));
        const QJsonArray s = app.state().value(QStringLiteral("statements")).toArray();
        QCOMPARE(s.at(before).toString(), QStringLiteral("Delete Tusersetting Where USER_KEY = 4"));
        QVERIFY(s.at(before + 1).toString().contains(QStringLiteral("(Select Next Value For Seq_Tusersetting, 4,")));
        QCOMPARE(s.at(before + 2).toString(), QStringLiteral("Delete Tusersetting Where USER_KEY = 7"));
        QCOMPARE(s.at(before + 4).toString(), QStringLiteral("Delete Tusersetting Where USER_KEY = 9"));
    }

    void failingCopyKeepsTheTargetsRows()
    {
        AppHarness app(QDate(2026, 12, 6), [](TestSite &site) {
            site.writeBytes(QStringLiteral("archive/demo.sql"),
                            site.readBytes(QStringLiteral("archive/demo.sql")) +
                                "\nDELETE FROM kz_sequences WHERE name = 'Seq_Tusersetting';\n");
        });
        app.login();
        const QStringList before = settings(app, 6);
        app.act(source(12));
        app.act(target(6));
        app.act(QStringLiteral("click Command3"));
        QVERIFY(lastMessage(app).contains(QStringLiteral("Seq_Tusersetting")));
        QCOMPARE(settings(app, 6), before);
    }

    // --- macro texts

    void macrosCopiedTwice()
    {
        AppHarness app;
        app.login();
        const int macros = count(app, QStringLiteral("Select * From TMACROTEXT Where USER_KEY = 12"));
        for (int run = 0; run < 2; ++run) {
            app.act(source(12));
            app.act(target(12));
            app.act(target(15));
            app.act(QStringLiteral("click Command13"));
        }
        QCOMPARE(count(app, QStringLiteral("Select * From TMACROTEXT Where USER_KEY = 15")), 2 * macros);
        QCOMPARE(count(app, QStringLiteral("Select * From TMACROTEXT Where USER_KEY = 12")), macros);
        QCOMPARE(count(app, QStringLiteral("Select * From TMACROTEXT Where USER_KEY = 15 And INSTITUTION_KEY = 1")),
                 2 * macros);
        QVERIFY(app.state()
                    .value(QStringLiteral("statements"))
                    .toArray()
                    .contains(QStringLiteral("Insert into TMACROTEXT ([MACROTEXT_KEY], [INSTITUTION_KEY], "
                                             "[MACRO_NAME], [USER_KEY] ,[SPECIAL_CHAR], "
                                             "[KEY_TEXT] ,[MACRO_TEXT]) (Select Next value For Seq_TMACROTEXT,  1, "
                                             "Macro_name, 15, SPECIAL_CHAR, Key_text, "
                                             "Macro_text From Tmacrotext Where  User_key= 12)")));
    }

    // --- standard report groups

    void reportGroups()
    {
        AppHarness app(QDate(2026, 12, 6), [](TestSite &site) {
            // A group whose name holds a quote.
            site.writeBytes(
                QStringLiteral("archive/demo.sql"),
                site.readBytes(QStringLiteral("archive/demo.sql")) +
                    "\nINSERT INTO TGROUP VALUES (90, 1, 'G04', 12, 'O''Brien', 'x', NULL, 'Y', 'Y');\n"
                    "INSERT INTO TCOMMONREPORT (COMMONRPT_KEY, GROUP_KEY, REPORT_NAME) VALUES (90, 90, 'r');\n");
        });
        app.login();
        app.act(source(12));
        QStringList groups = app.items(QStringLiteral("List4"));
        QCOMPARE(groups.size(), 4);
        const int spine = groups.indexOf(QStringLiteral("39_SPINE"));
        app.act(QStringLiteral("pick List4 %1").arg(spine)); // unselected: not copied
        for (int key : {3, 5, 11, 12})
            app.act(target(key));
        app.act(QStringLiteral("click Command14"));
        QCOMPARE(lastMessage(app), QStringLiteral("완료되었습니다."));

        auto groupsOf = [&](int key) {
            return column(app,
                          QStringLiteral("Select GROUP_NAME From TGROUP Where OWNER_KEY = %1 And GROUP_TYPE = 'G04' "
                                         "And STAT_FLAG = 'Y' Order by GROUP_NAME")
                              .arg(key));
        };
        auto reportsOf = [&](int key, const QString &group) {
            return count(app, QStringLiteral("Select * From TCOMMONREPORT k, TGROUP g Where k.GROUP_KEY = g.GROUP_KEY "
                                             "And g.OWNER_KEY = %1 And Upper(g.GROUP_NAME) = Upper('%2')")
                                  .arg(key)
                                  .arg(group));
        };
        // Account 5 had none: new groups, their links and reports.
        QCOMPARE(groupsOf(5), (QStringList{"CHEST", "O'Brien", "복부"}));
        QCOMPARE(reportsOf(5, "CHEST"), 3);
        QCOMPARE(count(app, QStringLiteral("Select * From TGROUPUSER u, TGROUP g Where u.GROUP_KEY = g.GROUP_KEY And "
                                           "g.OWNER_KEY = 5 And u.USER_KEY = 5 And u.FLAG = 'Y'")),
                 3);
        QCOMPARE(count(app, QStringLiteral("Select * From TGROUP Where OWNER_KEY = 5 And GROUP_DESC = 'Default' And "
                                           "SORTING_NO Is Null And FLAG = 'Y' And INSTITUTION_KEY = 1")),
                 3);
        // Account 11 has "chest" already: its group is used, no new one.
        QCOMPARE(groupsOf(11).filter(QStringLiteral("chest"), Qt::CaseInsensitive),
                 QStringList{QStringLiteral("chest")});
        QCOMPARE(reportsOf(11, "chest"), 3);
        // Account 3's "Chest" holds a report of the same name: nothing copied into it.
        QCOMPARE(reportsOf(3, "Chest"), 1);
        QCOMPARE(groupsOf(3).contains(QStringLiteral("SPINE")), false);
        // The source is left alone.
        QCOMPARE(reportsOf(12, "CHEST"), 3);

        // A second run adds nothing.
        const int reports = count(app, QStringLiteral("Select * From TCOMMONREPORT"));
        const int groupRows = count(app, QStringLiteral("Select * From TGROUP"));
        app.act(source(12));
        app.act(QStringLiteral("pick List4 %1").arg(spine));
        for (int key : {3, 5, 11})
            app.act(target(key));
        app.act(QStringLiteral("click Command14"));
        QCOMPARE(count(app, QStringLiteral("Select * From TCOMMONREPORT")), reports);
        QCOMPARE(count(app, QStringLiteral("Select * From TGROUP")), groupRows);
    }

    void failedReportCopyLeavesNoEmptyGroup()
    {
        AppHarness app(QDate(2026, 12, 6), [](TestSite &site) {
            site.writeBytes(QStringLiteral("archive/demo.sql"),
                            site.readBytes(QStringLiteral("archive/demo.sql")) +
                                "\nDELETE FROM kz_sequences WHERE name = 'Seq_TCOMMONRPT';\n");
        });
        app.login();
        const int groups = count(app, QStringLiteral("Select * From TGROUP"));
        const int links = count(app, QStringLiteral("Select * From TGROUPUSER"));
        app.act(source(12));
        app.act(target(5));
        app.act(QStringLiteral("click Command14"));
        QVERIFY(lastMessage(app).contains(QStringLiteral("Seq_TCOMMONRPT")));
        QCOMPARE(count(app, QStringLiteral("Select * From TGROUP")), groups);
        QCOMPARE(count(app, QStringLiteral("Select * From TGROUPUSER")), links);
    }

    // --- romanization

    void romanization()
    {
        AppHarness app;
        app.login();
        app.act(QStringLiteral("type Text16 마이클"));
        app.act(QStringLiteral("key Text16 Enter"));
        QCOMPARE(app.text(QStringLiteral("Text17")), QString());
        QCOMPARE(app.text(QStringLiteral("Text18")), QStringLiteral("MICHAEL"));
        QCOMPARE(app.state().value(QStringLiteral("focus")).toString(), QStringLiteral("Text17"));

        // No: nothing changes.
        app.act(QStringLiteral("hover Label13"));
        app.act(QStringLiteral("key Text17 Enter"));
        QCOMPARE(app.state().value(QStringLiteral("focus")).toString(), QStringLiteral("Text18"));
        app.act(QStringLiteral("answer No"));
        app.act(QStringLiteral("key Text18 Enter"));
        QCOMPARE(lastMessage(app), QStringLiteral("성 : , 이름 : MICHAEL 변경 하시겠습니까?"));
        QCOMPARE(app.text(QStringLiteral("Label3")), QStringLiteral("장비 Worklist에서 한글 표시 여부 설정"));
        QVERIFY(column(app, QStringLiteral("Select FAMILY_NAME From THANCONVERT Where KOR_NAME = '마이클'"))
                    .contains("<NULL>"));

        // Yes: an empty family name is stored as empty text, blanks and quotes as typed.
        app.act(QStringLiteral("type Text18 MI'CHAEL "));
        app.act(QStringLiteral("answer Yes"));
        app.act(QStringLiteral("key Text18 Enter"));
        QCOMPARE(app.text(QStringLiteral("Label3")), QStringLiteral("변경되었습니다."));
        db::Recordset row = app.form().database().open(
            QStringLiteral("Select FAMILY_NAME, ENG_NAME From THANCONVERT Where KOR_NAME = '마이클'"));
        QVERIFY(!row.isNull(0));
        QCOMPARE(row.text(0), QString());
        QCOMPARE(row.text(1), QStringLiteral("MI'CHAEL "));
    }

    void romanizationEdgeCases()
    {
        AppHarness app;
        app.login();
        app.act(QStringLiteral("type Text17 OLD"));
        app.act(QStringLiteral("type Text18 OLD"));
        app.act(QStringLiteral("type Text16 없는이름"));
        app.act(QStringLiteral("click Command9"));
        QCOMPARE(app.text(QStringLiteral("Text17")), QString());
        QCOMPARE(app.text(QStringLiteral("Text18")), QString());
        QVERIFY(app.messages().isEmpty());

        app.act(QStringLiteral("click Command4"));
        QCOMPARE(lastMessage(app), QStringLiteral("영문 이름 입력되지 않았습니다."));

        app.act(QStringLiteral("type Text16 O'Hara"));
        app.act(QStringLiteral("click Command9")); // a quote in the name is no error
        QCOMPARE(app.messages().size(), 1);
    }
};

QTEST_MAIN(TestAccountTools)
#include "test_account_tools.moc"

#include "support/window_checks.h"

#include "accounts/account_entries.h"
#include "accounts/account_statements.h"
#include "db/db_session.h"
#include "platform/codepage.h"
#include "platform/error.h"
#include "romanize/romanize_statements.h"

#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

using namespace checks;

// The account tools: the entries of the account lists and the statements of
// the tools and of the romanization table, as the archive receives them; then,
// through the window on the demo archive, which accounts and groups they send
// their statements for, in which order, what those do to the archive and what a
// failure leaves; and the account lists as the archive fills them.
// Account key k stands at List1 item k - 3 and Combo1 item k - 2.
class TestAccountTools : public QObject
{
    Q_OBJECT

    static QString target(int key) { return u"pick List1 %1\n"_s.arg(key - 3); }
    static QString source(int key) { return u"pick Combo1 %1\n"_s.arg(key - 2); }
    // The source, then the targets in the order given.
    static QString picks(int from, const QList<int> &to)
    {
        QString script = from ? source(from) : QString();
        for (int key : to)
            script += target(key);
        return script;
    }

    // Each setting as ITEM=value; a long value comes as varchar(max).
    static QStringList settings(AppHarness &app, int key)
    {
        return column(app, u"Select ITEM + '=' + SET_VALUE From Tusersetting Where USER_KEY = %1 "
                           u"Order by USERSETTING_KEY"_s.arg(key));
    }

    static QStringList sentSince(const AppHarness &app, qsizetype before) { return statements(app).mid(before); }

private Q_SLOTS:
    void texts_data()
    {
        QTest::addColumn<QString>("actual");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const QString &a, const QString &b) { QTest::newRow(name) << a << b; };
        const QString layout = u" And Item <> 'WINDOW_POSITION'"_s;
        const QString insert =
            u"Insert into Tusersetting (Usersetting_key, user_key, part, item, set_type, SET_VALUE, save_flag, flag) "_s
            u"(Select Next Value For Seq_Tusersetting, 9, Part, Item, Set_type, Set_Value, Save_Flag, Flag From "_s
            u"Tusersetting Where  User_key= 5"_s;
        row("copy delete, layout kept", accounts::copyDelete(9, true),
            u"Delete Tusersetting Where USER_KEY = 9"_s + layout);
        row("copy delete", accounts::copyDelete(9, false), u"Delete Tusersetting Where USER_KEY = 9"_s);
        row("copy insert, layout kept", accounts::copyInsert(9, 5, true), insert + layout + u')');
        row("copy insert", accounts::copyInsert(9, 5, false), insert + u')');
        row("macro copy", accounts::macroCopy(15, 12),
            u"Insert into TMACROTEXT ([MACROTEXT_KEY], [INSTITUTION_KEY], [MACRO_NAME], [USER_KEY] ,[SPECIAL_CHAR], "_s
            u"[KEY_TEXT] ,[MACRO_TEXT]) (Select Next value For Seq_TMACROTEXT,  1, Macro_name, 15, SPECIAL_CHAR, "_s
            u"Key_text, Macro_text From Tmacrotext Where  User_key= 12)"_s);
        row("reset delete", accounts::resetDelete(12), u"Delete Tusersetting Where USER_KEY = 12"_s);
        row("reset insert", accounts::resetInsert(12, accounts::defaultRows()[8], u"Left=0\r\nit's\r\n"_s),
            u"Insert into Tusersetting (USERSETTING_KEY, USER_KEY, PART, ITEM, SET_TYPE, SET_VALUE, SAVE_FLAG, FLAG) "_s
            u"\r\n(Select Next Value For Seq_Tusersetting, 12, 'WORKLIST','WINDOW_POSITION','C', "_s
            u"'Left=0\r\nit''s\r\n', 'Y','Y')"_s);
        row("reset insert, a line ending in a backslash",
            accounts::resetInsert(12, accounts::defaultRows()[0], u"Dir=D:\\X\\\r\nA=\\\nB=\\\r"_s),
            u"Insert into Tusersetting (USERSETTING_KEY, USER_KEY, PART, ITEM, SET_TYPE, SET_VALUE, SAVE_FLAG, FLAG) "_s
            u"\r\n(Select Next Value For Seq_Tusersetting, 12, 'VIEWER','VIEWER_PROPERTY','C', "_s
            u"'Dir=D:\\X\\'+Cast('' As varchar(max))+'\r\nA=\\'+'\nB=\\\r', 'Y','Y')"_s);
        row("group search", accounts::groupSearch(15, u"O'Brien"_s),
            u"Select top 1 Group_key From Tgroup Where Group_type='G04' And Stat_flag ='Y' And "_s
            u"OwNer_key = 15 And Upper(Group_name) = Upper('O''Brien')"_s);
        row("group creation", accounts::groupCreate(15, u"CHEST"_s),
            u"Insert Into Tgroup (GROUP_KEY,  INSTITUTION_KEY,    GROUP_TYPE, OWNER_KEY, GROUP_NAME, GROUP_DESC, "_s
            u"SORTING_NO, STAT_FLAG,  FLAG) (Select Next value For Seq_Tgroup, 1, 'G04', 15,'CHEST', 'Default', NULL, "_s
            u"'Y','Y')"_s);
        row("link", accounts::groupLink(1001, 15),
            u"Insert Into Tgroupuser (GROUP_KEY,  USER_KEY, FLAG) (Select 1001, 15, 'Y')"_s);
        row("report copy", accounts::reportCopy(1001, 37),
            u"IF Not Exists  (  Select *  From  TCOMMONREPORT   Where GROUP_KEY = '1001'  And   REPORT_NAME in  (  "_s
            u"Select REPORT_NAME  From   TCOMMONREPORT  Where  GROUP_KEY = '37'  )  )  Begin Insert into "_s
            u"TCOMMONREPORT (COMMONRPT_KEY, GROUP_KEY, REPORT_NAME, REPORT_TEXT, CONCLUSION, CLASS_A,    CLASS_B, "_s
            u"CLASS_C, HOTKEY,   DISPLAY_NO, CREATE_DATE, MODIFY_DATE, FLAG) (Select Next value For Seq_TCOMMONRPT, "_s
            u"1001, REPORT_NAME, REPORT_TEXT, CONCLUSION, CLASS_A,    CLASS_B, CLASS_C, HOTKEY,   DISPLAY_NO, "_s
            u"CREATE_DATE, MODIFY_DATE, FLAG FROM TCOMMONREPORT Where  GROUP_KEY = 37)  End"_s);
        row("name lookup", romanize::lookup(u"홍길동"_s),
            u"Select FAMILY_NAME, ENG_NAME From   THANCONVERT Where  KOR_NAME = '홍길동'"_s);
        row("name update", romanize::update(u"O'NEIL"_s, u"GIL DONG "_s, u"홍길동"_s),
            u"Update  THANCONVERT Set     FAMILY_NAME = 'O''NEIL', ENG_NAME = 'GIL DONG ' Where   KOR_NAME = '홍길동'"_s);
        row("name question", romanize::confirmation(u""_s, u"MICHAEL"_s),
            u"성 : , 이름 : MICHAEL 변경 하시겠습니까?"_s);
        row("판독 files", accounts::defaultFile(accounts::levelCode(u"판독"_s), accounts::defaultRows()[0]),
            u"TUSERSETTING\\400-VIEWER-VIEWER_PROPERTY.txt"_s);
        row("촬영 files", accounts::defaultFile(accounts::levelCode(u"촬영"_s), accounts::defaultRows()[0]),
            u"TUSERSETTING\\300-VIEWER-VIEWER_PROPERTY.txt"_s);
        row("조회 files", accounts::defaultFile(accounts::levelCode(u"조회"_s), accounts::defaultRows()[8]),
            u"TUSERSETTING\\110-WORKLIST-WINDOW_POSITION.txt"_s);
        row("digits stand as they are", accounts::defaultFile(accounts::levelCode(u"00"_s), accounts::defaultRows()[0]),
            u"TUSERSETTING\\00-VIEWER-VIEWER_PROPERTY.txt"_s);
    }

    void texts()
    {
        QFETCH(QString, actual);
        QFETCH(QString, expected);
        QCOMPARE(actual, expected);
    }

    void entriesReadBack_data()
    {
        QTest::addColumn<QStringList>("account"); // key, user id, name, level
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("caption"); // read back from the target entry
        const auto row = [](const char *name, const QStringList &account, const char *source, const char *target,
                            const char *caption) {
            QTest::newRow(name) << account << QString::fromUtf8(source) << QString::fromUtf8(target)
                                << QString::fromUtf8(caption);
        };
        row("reader", {u"12"_s, u"rad1"_s, u"판독의"_s, u"400"_s}, "12 | rad1 | 판독의| 판독",
            "12     |  rad1     |  판독의     |  판독", "판독");
        row("no name", {u"10"_s, u"guest"_s, u""_s, u"110"_s}, "10 | guest | | 조회",
            "10     |  guest     |       |  조회", "조회");
        row("key beyond 16 bits, level 200", {u"70000"_s, u"x"_s, u"y"_s, u"200"_s}, "70000 | x | y| 판독",
            "70000     |  x     |  y     |  판독", "판독");
        row("user id with a bar, level 100", {u"7"_s, u"a|b"_s, u"c"_s, u"100"_s}, "7 | a|b | c| 조회",
            "7     |  a|b     |  c     |  조회", "조회");
        row("no level", {u"8"_s, u"d"_s, u"e"_s, u""_s}, "8 | d | e| ", "8     |  d     |  e     |  ", "");
        row("other level", {u"1"_s, u"a"_s, u"b"_s, u"500"_s}, "1 | a | b| 500", "1     |  a     |  b     |  500",
            "00");
    }

    void entriesReadBack()
    {
        QFETCH(QStringList, account);
        QFETCH(QString, source);
        QFETCH(QString, target);
        QFETCH(QString, caption);
        QCOMPARE(accounts::sourceEntry(account[0], account[1], account[2], account[3]), source);
        QCOMPARE(accounts::targetEntry(account[0], account[1], account[2], account[3]), target);
        QCOMPARE(accounts::accountKeyOf(source), account[0].toInt());
        QCOMPARE(accounts::accountKeyOf(target), account[0].toInt());
        QCOMPARE(accounts::levelCaptionOf(target), caption);
    }

    void badEntriesAreErrors()
    {
        for (const char *entry : {"복사 대상 계정 선택", "ab | c | d| e", "5000000000 | x | y| z", "| x"})
            QVERIFY_THROWS_EXCEPTION(platform::Error, accounts::accountKeyOf(QString::fromUtf8(entry)));
        QCOMPARE(accounts::groupEntry(u"37"_s, u"CHEST_PA"_s), u"37_CHEST_PA"_s);
        QCOMPARE(accounts::groupKeyOf(u"37_CHEST_PA"_s), 37);
        QCOMPARE(accounts::groupNameOf(u"37_CHEST_PA"_s), u"CHEST_PA"_s);
    }

    void resetByLevel_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("level");
        QTest::addColumn<QByteArray>("profile"); // written over the PROFILE file when not empty
        QTest::newRow("level 400") << 3 << "400" << QByteArray();
        QTest::newRow("level 200 from the 400 files") << 5 << "400" << QByteArray();
        QTest::newRow("level 300") << 6 << "300" << QByteArray();
        QTest::newRow("level 100 from the 110 files") << 8 << "110" << QByteArray();
        // The server would take the backslash and the line end for a line continuation.
        QTest::newRow("a line ending in a backslash")
            << 6 << "300" << QByteArray("ExportDir=D:\\Export\\\r\nNext=1\r\nLast=\\\r\n");
        // Texts joined by + are cut at 8000 bytes on the server unless one of them is varchar(max).
        QTest::newRow("a long file with a line ending in a backslash")
            << 6 << "300"
            << "Dir=D:\\X\\\r\nK=" + QByteArray(5000, 'v') + "\\\r\nL=" + QByteArray(5000, 'w') + "\r\nLast=1\r\n";
    }

    void resetByLevel()
    {
        QFETCH(int, key);
        QFETCH(QString, level);
        QFETCH(QByteArray, profile);
        AppHarness app(AppHarness::LoggedIn, [&](TestSite &site) {
            if (!profile.isEmpty())
                site.writeBytes(u"TUSERSETTING/%1-WORKLIST-PROFILE.txt"_s.arg(level), profile);
        });
        app.act(target(key) + u"click Command1"_s);
        QCOMPARE(lastMessage(app), u"완료되었습니다."_s);
        QStringList expected;
        for (const char *item : {"VIEWER-VIEWER_PROPERTY", "WORKLIST-SEARCH_FILTER1", "WORKLIST-LIST_COL",
                                 "WORKLIST-PROFILE", "WORKLIST-SEARCH_WIZARD", "WORKLIST-SEARCH_WIZARD_TREE",
                                 "VIEWER-DLPTLS", "WORKLIST-WORKLIST_PROPERTY", "WORKLIST-WINDOW_POSITION"}) {
            const QString name = QString::fromLatin1(item);
            const QByteArray bytes = app.site().readBytes(u"TUSERSETTING/%1-%2.txt"_s.arg(level, name));
            expected << name.section(u'-', 1) + u'=' + platform::fromCp949(bytes);
        }
        QCOMPARE(settings(app, key), expected);
        QVERIFY(app.control(u"List1"_s).value(u"selected"_s).toArray().isEmpty());
    }

    void resetFailsWholeForAMissingFile()
    {
        AppHarness app(AppHarness::LoggedIn, [](TestSite &site) {
            QFile::remove(site.file(u"TUSERSETTING/400-WORKLIST-WINDOW_POSITION.txt"_s));
            site.writeBytes(u"TUSERSETTING/110-VIEWER-DLPTLS.txt"_s, QByteArray());
        });
        const QStringList before12 = settings(app, 12);
        const qsizetype sent = statements(app).size();
        // Picked out of order: worked in list order.
        app.act(picks(0, {12, 9, 6}) + u"click Command1"_s);
        QVERIFY(lastMessage(app).contains(u"400-WORKLIST-WINDOW_POSITION.txt"_s));
        QCOMPARE(settings(app, 12), before12);
        QCOMPARE(settings(app, 6).size(), 9);
        QVERIFY(settings(app, 9).contains(u"DLPTLS="_s)); // an empty file gives an empty value
        const QStringList deletes = sentSince(app, sent).filter(u"Delete"_s).mid(0, 2);
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
        AppHarness app(AppHarness::LoggedIn);
        const QStringList fromSource = settings(app, 12);
        const QStringList before4 = settings(app, 4);
        app.act(picks(12, {12, 9, 4}) + (keepLayout ? u"click Check6"_s : QString())); // the source is left alone
        const qsizetype sent = statements(app).size();
        app.act(u"click Command3"_s);
        QCOMPARE(lastMessage(app), u"완료되었습니다."_s);
        QCOMPARE(sentSince(app, sent).mid(0, 4),
                 (QStringList{accounts::copyDelete(4, keepLayout), accounts::copyInsert(4, 12, keepLayout),
                              accounts::copyDelete(9, keepLayout), accounts::copyInsert(9, 12, keepLayout)}));
        QCOMPARE(settings(app, 12), fromSource);
        // The target holds the source's rows; with the layout kept, its own layout instead of the
        // source's. A row without an item is neither the layout nor anything else: it is not copied.
        QStringList expected = fromSource;
        if (keepLayout)
            expected = fromSource.filter(QRegularExpression(u"^(?!WINDOW_POSITION=|<NULL>)"_s)) +
                       before4.filter(QRegularExpression(u"^(WINDOW_POSITION=|<NULL>)"_s));
        QStringList copied = settings(app, 4);
        copied.sort();
        expected.sort();
        QCOMPARE(copied, expected);
        QCOMPARE(column(app, u"Select Count(Distinct USERSETTING_KEY) - Count(*) From Tusersetting"_s),
                 QStringList{u"0"_s});
        QCOMPARE(app.text(u"Combo1"_s), u"복사 대상 계정 선택"_s);
        QVERIFY(app.control(u"List1"_s).value(u"selected"_s).toArray().isEmpty());
    }

    void copiesNeedASource()
    {
        AppHarness app(AppHarness::LoggedIn);
        const int rows = count(app, u"Select * From Tusersetting"_s);
        app.act(u"click Command1"_s); // nothing selected: nothing reset
        QCOMPARE(lastMessage(app), u"완료되었습니다."_s);
        QCOMPARE(count(app, u"Select * From Tusersetting"_s), rows);
        app.act(target(6) + u"click Command3"_s);
        QCOMPARE(lastMessage(app), u"복사할 계정을 선택 하십시오."_s);
        app.act(u"type Combo1 no bar here\nclick Command13"_s);
        QCOMPARE(app.messages().size(), 3);
        QCOMPARE(count(app, u"Select * From Tusersetting Where USER_KEY = 6"_s), 4);
    }

    // A statement refused part way stops the copy: the accounts already done
    // keep their copy, the one it stopped at is left as it was, and the message
    // names the accounts done and not done and the table it stopped at, with the
    // server's text under the details. The lists stay as they were.
    void copyStoppedPartWay_data()
    {
        QTest::addColumn<QByteArray>("sql");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QList<int>>("targets");
        QTest::addColumn<int>("done"); // targets done before the one it stopped at
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("check"); // the same before and after, for the accounts not done
        const QByteArray refuse9 = "CREATE TRIGGER kz_refuse_9 BEFORE INSERT ON %1 WHEN NEW.USER_KEY = 9 "
                                   "BEGIN SELECT RAISE(ABORT, 'refused for 9'); END;";
        QTest::newRow("settings, at the first")
            << QByteArray("DELETE FROM kz_sequences WHERE name = 'Seq_Tusersetting';") << "Command3" << QList<int>{5, 6}
            << 0 << "Tusersetting"
            << "Select * From Tusersetting Where USER_KEY In (5, 6)";
        QTest::newRow("report groups, at the first")
            << QByteArray("DELETE FROM kz_sequences WHERE name = 'Seq_TCOMMONRPT';") << "Command14" << QList<int>{5, 6}
            << 0 << "TCOMMONREPORT"
            << "Select * From TGROUP g, TGROUPUSER u Where g.GROUP_KEY = u.GROUP_KEY";
        QTest::newRow("settings, at the third") << QByteArray(refuse9).replace("%1", "TUSERSETTING") << "Command3"
                                                << QList<int>{4, 6, 9, 15} << 2 << "Tusersetting"
                                                << "Select * From Tusersetting Where USER_KEY In (9, 15)";
        QTest::newRow("macros, at the third") << QByteArray(refuse9).replace("%1", "TMACROTEXT") << "Command13"
                                              << QList<int>{4, 6, 9, 15} << 2 << "TMACROTEXT"
                                              << "Select * From Tmacrotext Where USER_KEY In (9, 15)";
        QTest::newRow("report groups, at the third") << QByteArray(refuse9).replace("%1", "TGROUPUSER") << "Command14"
                                                     << QList<int>{4, 6, 9, 15} << 2 << "Tgroupuser"
                                                     << "Select * From TGROUP Where OWNER_KEY In (9, 15)";
    }

    void copyStoppedPartWay()
    {
        QFETCH(QByteArray, sql);
        QFETCH(QString, button);
        QFETCH(QList<int>, targets);
        QFETCH(int, done);
        QFETCH(QString, table);
        QFETCH(QString, check);
        AppHarness app(AppHarness::LoggedIn, demoPlus(sql));
        const QStringList before = column(app, check);
        QStringList labels;
        for (int key : targets)
            labels.append(accounts::accountLabelOf(app.items(u"List1"_s).value(key - 3)));
        app.act(picks(12, targets));
        const QJsonObject lists = app.control(u"List1"_s);
        app.act(u"click "_s + button);

        const QJsonObject shown = app.messages().last().toObject();
        const QString text = shown.value(u"text"_s).toString();
        QVERIFY2(text.contains(labels.at(done) + u" 계정의 "_s + table + u" 처리 중"_s), qPrintable(text));
        const QString doneList = done ? QStringList(labels.mid(0, done)).join(u", "_s) : u"없음"_s;
        QVERIFY2(text.contains(u"완료된 계정: "_s + doneList + u"\r\n"_s), qPrintable(text));
        QVERIFY2(text.endsWith(u"처리하지 못한 계정: "_s + QStringList(labels.mid(done)).join(u", "_s)),
                 qPrintable(text));
        // The server's own text and the statement under the details.
        QVERIFY(shown.value(u"detail"_s).toString().contains(table, Qt::CaseInsensitive));
        if (sql.contains("refused for 9"))
            QVERIFY(shown.value(u"detail"_s).toString().contains(u"refused for 9"_s));
        QCOMPARE(column(app, check), before);
        QCOMPARE(app.control(u"List1"_s), lists);
        if (done) // the accounts before it have their copy
            QVERIFY(count(app, u"Select * From %1 Where USER_KEY = %2"_s.arg(table).arg(targets.at(0))) > 0);
    }

    void macrosCopied()
    {
        AppHarness app(AppHarness::LoggedIn);
        app.act(picks(12, {12, 15}));
        const QString macrosOf15 = u"Select * From Tmacrotext Where User_key = 15 And INSTITUTION_KEY = 1"_s;
        const int before = count(app, macrosOf15);
        const qsizetype sent = statements(app).size();
        app.act(u"click Command13"_s);
        QCOMPARE(sentSince(app, sent).value(0), accounts::macroCopy(15, 12));
        QCOMPARE(lastMessage(app), u"완료되었습니다."_s);
        // Copied again on every click, each with a key of its own.
        app.act(picks(12, {15}) + u"click Command13"_s);
        QCOMPARE(count(app, macrosOf15), before + 2 * count(app, u"Select * From Tmacrotext Where User_key = 12"_s));
        QCOMPARE(column(app, u"Select Count(Distinct MACROTEXT_KEY) - Count(*) From Tmacrotext"_s),
                 QStringList{u"0"_s});
    }

    void reportGroups()
    {
        // A group whose name holds a quote.
        AppHarness app(AppHarness::LoggedIn,
                       demoPlus("INSERT INTO TGROUP VALUES (90, 1, 'G04', 12, 'O''Brien', 'x', NULL, 'Y', 'Y');\n"
                                "INSERT INTO TCOMMONREPORT (COMMONRPT_KEY, GROUP_KEY, REPORT_NAME) VALUES (90, 90, "
                                "'r');"));
        app.act(source(12));
        const int spine = app.items(u"List4"_s).indexOf(u"39_SPINE"_s);
        const QString unpickSpine = u"pick List4 %1\n"_s.arg(spine); // unselected: not copied
        app.act(unpickSpine + picks(0, {3, 5, 11, 12}) + u"click Command14"_s);
        QCOMPARE(lastMessage(app), u"완료되었습니다."_s);

        auto groupsOf = [&](int key) {
            return column(app, u"Select g.GROUP_NAME + ':' + u.FLAG From TGROUP g, TGROUPUSER u Where "
                               "g.GROUP_KEY = u.GROUP_KEY And u.USER_KEY = %1 And g.OWNER_KEY = %1 "
                               "And g.GROUP_TYPE = 'G04' And g.STAT_FLAG = 'Y' Order by 1"_s.arg(key));
        };
        auto reportsOf = [&](int key, const QString &group) {
            return count(app, u"Select * From TCOMMONREPORT k, TGROUP g Where k.GROUP_KEY = g.GROUP_KEY "
                              "And g.OWNER_KEY = %1 And g.GROUP_NAME = '%2'"_s.arg(key)
                                  .arg(group));
        };
        // Account 5 had none: new groups, their links and reports.
        QCOMPARE(groupsOf(5), (QStringList{u"CHEST:Y"_s, u"O'Brien:Y"_s, u"복부:Y"_s}));
        QCOMPARE(reportsOf(5, u"CHEST"_s), 3);
        QCOMPARE(reportsOf(5, u"O''Brien"_s), 1);
        // Account 11 has "chest" already: its group is used, no new one.
        QCOMPARE(groupsOf(11).filter(u"chest"_s, Qt::CaseInsensitive), QStringList{u"chest:Y"_s});
        QCOMPARE(reportsOf(11, u"chest"_s), 3);
        // Account 3's "Chest" holds a report of the same name: nothing copied into it.
        QCOMPARE(reportsOf(3, u"Chest"_s), 1);
        QVERIFY(!groupsOf(3).contains(u"SPINE:Y"_s));
        QCOMPARE(reportsOf(12, u"CHEST"_s), 3);

        // A second run adds nothing.
        const int rows = count(app, u"Select * From TCOMMONREPORT"_s) + count(app, u"Select * From TGROUP"_s);
        app.act(source(12) + unpickSpine + picks(0, {3, 5, 11}) + u"click Command14"_s);
        QCOMPARE(count(app, u"Select * From TCOMMONREPORT"_s) + count(app, u"Select * From TGROUP"_s), rows);
    }

    void romanization()
    {
        AppHarness app(AppHarness::LoggedIn);
        // A name not in the table empties both fields; a quote in it is no error.
        app.act(
            u"type Text17 OLD\ntype Text18 OLD\ntype Text16 없는이름\nclick Command9\ntype Text16 O'Hara\nclick Command9"_s);
        QCOMPARE(app.text(u"Text17"_s) + app.text(u"Text18"_s), QString());
        QVERIFY(app.messages().isEmpty());
        app.act(u"click Command4"_s);
        QCOMPARE(lastMessage(app), u"영문 이름 입력되지 않았습니다."_s);

        app.act(u"type Text16 마이클\nkey Text16 Enter"_s);
        QCOMPARE(app.text(u"Text17"_s) + u'|' + app.text(u"Text18"_s), u"|MICHAEL"_s);
        QCOMPARE(app.state().value(u"focus"_s).toString(), u"Text17"_s);

        // No: nothing changes.
        app.act(u"hover Label13\nkey Text17 Enter"_s);
        QCOMPARE(app.state().value(u"focus"_s).toString(), u"Text18"_s);
        app.act(u"answer No\nkey Text18 Enter"_s);
        QCOMPARE(lastMessage(app), u"성 : , 이름 : MICHAEL 변경 하시겠습니까?"_s);
        QCOMPARE(app.text(u"Label3"_s), u"장비 Worklist에서 한글 표시 여부 설정"_s);
        const QString stored = u"Select FAMILY_NAME + '|' + ENG_NAME From THANCONVERT Where KOR_NAME = "
                               "'마이클'"_s;
        QCOMPARE(column(app, stored), QStringList{u"<NULL>"_s});

        // A character the database's code page cannot hold is refused, never stored as "?".
        app.act(u"type Text18 MÍCHAEL😀\nanswer Yes\nkey Text18 Enter"_s);
        QVERIFY2(lastMessage(app).contains(u"Í😀"_s), qPrintable(lastMessage(app)));
        QCOMPARE(column(app, stored), QStringList{u"<NULL>"_s});

        // Yes: stored as typed.
        app.act(u"type Text18 MI'CHAEL \nanswer Yes\nkey Text18 Enter"_s);
        QCOMPARE(app.text(u"Label3"_s), u"변경되었습니다."_s);
        QCOMPARE(column(app, stored), QStringList{u"|MI'CHAEL "_s});
    }

    void listsOnTheDemoArchive()
    {
        AppHarness app(AppHarness::LoggedIn);
        const QStringList sources = app.items(u"Combo1"_s);
        const QStringList targets = app.items(u"List1"_s);
        // Key 1 is listed nowhere, key 2 as a source only.
        QCOMPARE(sources.size(), 14);
        QCOMPARE(targets.size(), 13);
        QCOMPARE(sources.first(), u"2 | pacsadm | PACS관리자| 500"_s);
        QCOMPARE(targets.first(), u"3     |  kimrad     |  김판독     |  판독"_s);
        QVERIFY(targets.contains(u"10     |  guest     |       |  조회"_s));
        QCOMPARE(app.text(u"Combo1"_s), u"복사 대상 계정 선택"_s);
        QCOMPARE(app.control(u"Combo1"_s).value(u"index"_s).toInt(), -1);

        app.act(u"pick Combo1 10"_s); // 12 | rad1
        QStringList groups = app.items(u"List4"_s);
        groups.sort();
        QCOMPARE(groups, (QStringList{u"37_CHEST"_s, u"38_복부"_s, u"39_SPINE"_s}));
        QCOMPARE(app.control(u"List4"_s).value(u"selected"_s).toArray().size(), 3);
        QCOMPARE(statements(app).last(),
                 u"Select DISTINCT g.group_key, g.GROUP_NAME From   TGROUP G, TCOMMONREPORT k Where  "
                 "g.Group_type ='G04' And    g.Stat_flag = 'Y' And    g.group_key = k.group_key And    "
                 "g.owner_key = 12"_s);
        // A source without report groups empties the list.
        app.act(u"pick Combo1 4"_s); // 6 | choitech
        QVERIFY(app.items(u"List4"_s).isEmpty());
    }

    // Through the wire, faults of the server at the window: an error after some
    // rows leaves the lists empty, never short; a dropped connection is said and
    // the next operation works; a login never answered is "DB 연결 실패".
    void wireFaults()
    {
        if (!TestSite::wireRun())
            QSKIP("the archive is opened directly in this run");
        // The error after some of the accounts, and after the last of them.
        for (const bool last : {false, true}) {
            AppHarness app(AppHarness::AtLogin, [last](TestSite &site) {
                QByteArray rows = "3";
                if (last) {
                    db::DbSession count;
                    QVERIFY(count.connect(site.dir(), site.today()));
                    rows = count.queryScalar(u"Select Count(*) From Tuser"_s).toLatin1();
                }
                site.setWireFaults("error-after-rows " + rows + " Tuser\n");
            });
            app.login();
            QVERIFY(!app.messages().isEmpty());
            QVERIFY2(lastMessage(app).contains(u"계정"_s), qPrintable(lastMessage(app)));
            QVERIFY(app.items(u"Combo1"_s).isEmpty());
            QVERIFY(app.items(u"List1"_s).isEmpty());
            if (last)
                continue;

            app.site().setWireFaults("drop-at-batch THANCONVERT\n");
            app.act(u"type Text16 마이클\nclick Command9"_s);
            const qsizetype shown = app.messages().size();
            QVERIFY(shown >= 2);
            QCOMPARE(app.text(u"Text18"_s), QString());
            app.site().setWireFaults({});
            app.act(u"click Command9"_s);
            QCOMPARE(app.messages().size(), shown);
            QCOMPARE(app.text(u"Text18"_s), u"MICHAEL"_s);
            QVERIFY(!app.ended());
        }
        {
            // A reset of two accounts whose second is cut off: the first is reset, the second untouched, and
            // the message says which is which.
            AppHarness app(AppHarness::LoggedIn);
            const QStringList before4 = settings(app, 4);
            app.site().setWireFaults("drop-at-batch USER_KEY = 4\n");
            app.act(picks(0, {3, 4}) + u"click Command1"_s);
            app.site().setWireFaults({});
            const QString said = lastMessage(app);
            QVERIFY2(said.contains(u"완료된 계정: "_s) && !said.contains(u"완료된 계정: 없음"_s) &&
                         said.contains(u"처리하지 못한 계정: "_s),
                     qPrintable(said));
            QCOMPARE(settings(app, 3).size(), 9);
            QCOMPARE(settings(app, 4), before4);
        }
        AppHarness app(AppHarness::AtLogin, [](TestSite &site) { site.setWireFaults("silent-login\n"); });
        app.login();
        QCOMPARE(lastMessage(app), u"DB 연결 실패"_s);
        QVERIFY(app.ended());
    }

    // The first account is listed nowhere, the second as a source only, however few there are.
    void fewAccounts()
    {
        for (int keep : {0, 1, 2}) {
            AppHarness app(AppHarness::LoggedIn,
                           demoPlus("DELETE FROM Tuser WHERE user_key > " + QByteArray::number(keep) + ";"));
            QCOMPARE(app.items(u"Combo1"_s).size(), keep == 2 ? 1 : 0);
            QVERIFY(app.items(u"List1"_s).isEmpty());
            QCOMPARE(app.text(u"Combo1"_s), u"복사 대상 계정 선택"_s);
        }
    }
};

QTEST_MAIN(TestAccountTools)
#include "test_account_tools.moc"

#include "accounts/account_entries.h"
#include "accounts/account_statements.h"
#include "platform/error.h"
#include "romanize/romanize_statements.h"

#include <QTest>

using namespace Qt::StringLiterals;

// The entries of the account lists, the statements of the account tools and of
// the romanization table, as the archive receives them; what they do there is
// checked through the window in test_account_tools.
class TestAccountStatements : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void texts_data()
    {
        QTest::addColumn<QString>("actual");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const QString &a, const QString &b) { QTest::newRow(name) << a << b; };
        row("copy delete, layout kept", accounts::copyDelete(9, true),
            u"Delete Tusersetting Where USER_KEY = 9 And Item <> 'WINDOW_POSITION'"_s);
        row("copy delete", accounts::copyDelete(9, false), u"Delete Tusersetting Where USER_KEY = 9"_s);
        row("copy insert, layout kept", accounts::copyInsert(9, 5, true),
            u"Insert into Tusersetting (Usersetting_key, user_key, part, item, set_type, SET_VALUE, save_flag, flag) "_s
            u"(Select Next Value For Seq_Tusersetting, 9, Part, Item, Set_type, Set_Value, Save_Flag, Flag From "_s
            u"Tusersetting Where  User_key= 5 And Item <> 'WINDOW_POSITION')"_s);
        row("copy insert", accounts::copyInsert(9, 5, false),
            u"Insert into Tusersetting (Usersetting_key, user_key, part, item, set_type, SET_VALUE, save_flag, flag) "_s
            u"(Select Next Value For Seq_Tusersetting, 9, Part, Item, Set_type, Set_Value, Save_Flag, Flag From "_s
            u"Tusersetting Where  User_key= 5)"_s);
        row("macro copy", accounts::macroCopy(15, 12),
            u"Insert into TMACROTEXT ([MACROTEXT_KEY], [INSTITUTION_KEY], [MACRO_NAME], [USER_KEY] ,[SPECIAL_CHAR], "_s
            u"[KEY_TEXT] ,[MACRO_TEXT]) (Select Next value For Seq_TMACROTEXT,  1, Macro_name, 15, SPECIAL_CHAR, "_s
            u"Key_text, Macro_text From Tmacrotext Where  User_key= 12)"_s);
        row("reset delete", accounts::resetDelete(12), u"Delete Tusersetting Where USER_KEY = 12"_s);
        row("reset insert", accounts::resetInsert(12, accounts::defaultRows()[8], u"Left=0\r\nit's\r\n"_s),
            u"Insert into Tusersetting (USERSETTING_KEY, USER_KEY, PART, ITEM, SET_TYPE, SET_VALUE, SAVE_FLAG, FLAG) "_s
            u"\r\n(Select Next Value For Seq_Tusersetting, 12, 'WORKLIST','WINDOW_POSITION','C', "_s
            u"'Left=0\r\nit''s\r\n', 'Y','Y')"_s);
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
};

QTEST_GUILESS_MAIN(TestAccountStatements)
#include "test_account_statements.moc"

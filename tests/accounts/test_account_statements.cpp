#include "accounts/account_statements.h"
#include "romanize/romanize_statements.h"

#include <QTest>

class TestAccountStatements : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void statements_data()
    {
        QTest::addColumn<QString>("actual");
        QTest::addColumn<QString>("expected");
        QTest::newRow("copy delete, layout kept")
            << accounts::copyDelete(9, true) << "Delete Tusersetting Where USER_KEY = 9 And Item <> 'WINDOW_POSITION'";
        QTest::newRow("copy delete") << accounts::copyDelete(9, false) << "Delete Tusersetting Where USER_KEY = 9";
        QTest::newRow("copy insert, layout kept")
            << accounts::copyInsert(9, 5, true)
            << "Insert into Tusersetting (Usersetting_key, user_key, part, item, set_type, SET_VALUE, save_flag, flag) "
               "(Select Next Value For Seq_Tusersetting, 9, Part, Item, Set_type, Set_Value, Save_Flag, Flag From "
               "Tusersetting Where  User_key= 5 And Item <> 'WINDOW_POSITION')";
        QTest::newRow("copy insert")
            << accounts::copyInsert(9, 5, false)
            << "Insert into Tusersetting (Usersetting_key, user_key, part, item, set_type, SET_VALUE, save_flag, flag) "
               "(Select Next Value For Seq_Tusersetting, 9, Part, Item, Set_type, Set_Value, Save_Flag, Flag From "
               "Tusersetting Where  User_key= 5)";
        QTest::newRow("macro copy")
            << accounts::macroCopy(15, 12)
            << "Insert into TMACROTEXT ([MACROTEXT_KEY], [INSTITUTION_KEY], [MACRO_NAME], [USER_KEY] ,[SPECIAL_CHAR], "
               "[KEY_TEXT] ,[MACRO_TEXT]) (Select Next value For Seq_TMACROTEXT,  1, Macro_name, 15, SPECIAL_CHAR, "
               "Key_text, Macro_text From Tmacrotext Where  User_key= 12)";
        QTest::newRow("reset delete") << accounts::resetDelete(12) << "Delete Tusersetting Where USER_KEY = 12";
        QTest::newRow("reset insert")
            << accounts::resetInsert(12, accounts::defaultRows()[8], "Left=0\r\nit's\r\n")
            << "Insert into Tusersetting (USERSETTING_KEY, USER_KEY, PART, ITEM, SET_TYPE, SET_VALUE, SAVE_FLAG, FLAG) "
               "\r\n(Select Next Value For Seq_Tusersetting, 12, 'WORKLIST','WINDOW_POSITION','C', "
               "'Left=0\r\nit''s\r\n', "
               "'Y','Y')";
        QTest::newRow("group search")
            << accounts::groupSearch(15, "O'Brien")
            << "Select top 1 Group_key From Tgroup Where Group_type='G04' And Stat_flag ='Y' And "
               "OwNer_key = 15 And Upper(Group_name) = Upper('O''Brien')";
        QTest::newRow("group creation")
            << accounts::groupCreate(15, "CHEST")
            << "Insert Into Tgroup (GROUP_KEY,  INSTITUTION_KEY,    GROUP_TYPE, OWNER_KEY, GROUP_NAME, GROUP_DESC, "
               "SORTING_NO, STAT_FLAG,  FLAG) (Select Next value For Seq_Tgroup, 1, 'G04', 15,'CHEST', 'Default', "
               "NULL, "
               "'Y','Y')";
        QTest::newRow("link") << accounts::groupLink(1001, 15)
                              << "Insert Into Tgroupuser (GROUP_KEY,  USER_KEY, FLAG) (Select 1001, 15, 'Y')";
        QTest::newRow("report copy")
            << accounts::reportCopy(1001, 37)
            << "IF Not Exists  (  Select *  From  TCOMMONREPORT   Where GROUP_KEY = '1001'  And   REPORT_NAME in  (  "
               "Select REPORT_NAME  From   TCOMMONREPORT  Where  GROUP_KEY = '37'  )  )  Begin Insert into "
               "TCOMMONREPORT (COMMONRPT_KEY, GROUP_KEY, REPORT_NAME, REPORT_TEXT, CONCLUSION, CLASS_A,    CLASS_B, "
               "CLASS_C, HOTKEY,   DISPLAY_NO, CREATE_DATE, MODIFY_DATE, FLAG) (Select Next value For Seq_TCOMMONRPT, "
               "1001, REPORT_NAME, REPORT_TEXT, CONCLUSION, CLASS_A,    CLASS_B, CLASS_C, HOTKEY,   DISPLAY_NO, "
               "CREATE_DATE, MODIFY_DATE, FLAG FROM TCOMMONREPORT Where  GROUP_KEY = 37)  End";
        QTest::newRow("name lookup") << romanize::lookup("홍길동")
                                     << "Select FAMILY_NAME, ENG_NAME From   THANCONVERT Where  KOR_NAME = '홍길동'";
        QTest::newRow("name update") << romanize::update("O'NEIL", "GIL DONG ", "홍길동")
                                     << "Update  THANCONVERT Set     FAMILY_NAME = 'O''NEIL', ENG_NAME = 'GIL DONG ' "
                                        "Where   KOR_NAME = '홍길동'";
        QTest::newRow("name question") << romanize::confirmation("", "MICHAEL")
                                       << "성 : , 이름 : MICHAEL 변경 하시겠습니까?";
    }

    void statements()
    {
        QFETCH(QString, actual);
        QFETCH(QString, expected);
        QCOMPARE(actual, expected);
    }

    void defaultFiles_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("file");
        QTest::newRow("판독") << "판독"
                              << "TUSERSETTING\\400-VIEWER-VIEWER_PROPERTY.txt";
        QTest::newRow("촬영") << "촬영"
                              << "TUSERSETTING\\300-VIEWER-VIEWER_PROPERTY.txt";
        QTest::newRow("조회") << "조회"
                              << "TUSERSETTING\\110-VIEWER-VIEWER_PROPERTY.txt";
        QTest::newRow("digits stand as they are") << "00"
                                                  << "TUSERSETTING\\00-VIEWER-VIEWER_PROPERTY.txt";
    }

    void defaultFiles()
    {
        QFETCH(QString, caption);
        QFETCH(QString, file);
        QCOMPARE(accounts::defaultFile(accounts::levelCode(caption), accounts::defaultRows()[0]), file);
    }
};

QTEST_GUILESS_MAIN(TestAccountStatements)
#include "test_account_statements.moc"

#include "db/embedded/tsql_lexer.h"
#include "db/embedded/tsql_translator.h"
#include "platform/error.h"

#include <QTest>

#include <sqlite3.h>

#include <map>

using db::tsql::Statement;

Q_DECLARE_METATYPE(db::tsql::Statement::Kind)

namespace {

const char kSchema[] = R"(
CREATE TABLE Tuser (user_key INTEGER, user_id TEXT, user_name TEXT, userlevel_key INTEGER);
INSERT INTO Tuser VALUES (12, 'kim', '김', 1), (5, 'lee', '이', 2), (9, 'park', '박', 3);
CREATE TABLE Tusersetting (USERSETTING_KEY INTEGER, USER_KEY INTEGER, PART TEXT, ITEM TEXT, SET_TYPE TEXT,
    SET_VALUE TEXT, SAVE_FLAG TEXT, FLAG TEXT);
INSERT INTO Tusersetting VALUES (1, 5, 'VIEWER', 'VIEWER_PROPERTY', 'C', 'v5', 'Y', 'Y'),
    (2, 5, 'WORKLIST', 'WINDOW_POSITION', 'C', 'w5', 'Y', 'Y'),
    (3, 9, 'WORKLIST', 'LIST_COL', 'C', 'l9', 'Y', 'Y'), (4, 9, 'WORKLIST', 'WINDOW_POSITION', 'C', 'w9', 'Y', 'Y');
CREATE TABLE TMACROTEXT (MACROTEXT_KEY INTEGER, INSTITUTION_KEY INTEGER, MACRO_NAME TEXT, USER_KEY INTEGER,
    SPECIAL_CHAR TEXT, KEY_TEXT TEXT, MACRO_TEXT TEXT);
INSERT INTO TMACROTEXT VALUES (1, 1, 'm1', 12, '', 'k1', 'text 1'), (2, 1, 'm2', 12, '', 'k2', 'text 2');
CREATE TABLE TGROUP (GROUP_KEY INTEGER, INSTITUTION_KEY INTEGER, GROUP_TYPE TEXT, OWNER_KEY INTEGER,
    GROUP_NAME TEXT, GROUP_DESC TEXT, SORTING_NO INTEGER, STAT_FLAG TEXT, FLAG TEXT);
INSERT INTO TGROUP VALUES (37, 1, 'G04', 12, 'Chest', '', 1, 'Y', 'Y'), (40, 1, 'G04', 15, 'CHEST', '', 1, 'Y', 'Y'),
    (41, 1, 'G04', 15, 'Abdomen', '', 2, 'Y', 'Y'), (42, 1, 'G01', 15, 'Chest', '', 3, 'Y', 'Y');
CREATE TABLE TGROUPUSER (GROUP_KEY INTEGER, USER_KEY INTEGER, FLAG TEXT);
CREATE TABLE TCOMMONREPORT (COMMONRPT_KEY INTEGER, GROUP_KEY INTEGER, REPORT_NAME TEXT, REPORT_TEXT TEXT,
    CONCLUSION TEXT, CLASS_A TEXT, CLASS_B TEXT, CLASS_C TEXT, HOTKEY TEXT, DISPLAY_NO INTEGER,
    CREATE_DATE TEXT, MODIFY_DATE TEXT, FLAG TEXT);
INSERT INTO TCOMMONREPORT VALUES (1, 37, 'R1', 't1', 'c1', '', '', '', '', 1, '20260101', '20260101', 'Y'),
    (2, 37, 'R2', 't2', 'c2', '', '', '', '', 2, '20260101', '20260101', 'Y');
CREATE TABLE THANCONVERT (KOR_NAME TEXT, FAMILY_NAME TEXT, ENG_NAME TEXT);
INSERT INTO THANCONVERT VALUES ('홍길동', 'HONG', 'KILDONG'), ('김철수', 'KIM', 'CHULSU');
CREATE TABLE TPATIENT (PATIENT_KEY INTEGER, PATIENT_ID TEXT, PATIENT_NAME TEXT);
INSERT INTO TPATIENT VALUES (1, 'P1', '홍길동'), (2, 'P2', '김철수');
CREATE TABLE TORDER (ORDER_KEY INTEGER, PATIENT_KEY INTEGER, ORDER_MODALITY TEXT, ORDER_CODE TEXT,
    ORDER_NAME TEXT, ORDER_DATE TEXT, ORDER_TIME TEXT);
INSERT INTO TORDER VALUES (1, 1, 'CT', 'C100', 'CHEST CT WITH CONTRAST MEDIUM', '20261129', '0900'),
    (2, 1, 'CT', 'Che001', 'excluded code', '20261130', '1000'), (3, 2, 'MR', 'M8', 'BRAIN MR', '20261130', '1100'),
    (4, 2, 'CR', 'X1', 'other modality', '20261201', '0800'), (5, 2, 'CT', 'C200', 'too early', '20261128', '1200'),
    (6, 1, 'MR', 'M2', 'KNEE', '20261130', '1300');
CREATE TABLE kz_sys_sequences (Name TEXT);
INSERT INTO kz_sys_sequences VALUES ('Seq_Tgroup'), ('Seq_Tusersetting'), ('Seq_TMACROTEXT'), ('Seq_TCOMMONRPT');
CREATE VIEW kz_sys_objects AS SELECT name AS Name, type FROM sqlite_schema WHERE name NOT LIKE 'kz\_%' ESCAPE '\';
)";

const QString kView = QStringLiteral(
    "%1 View VMWL_KK_CT01(\r\n scheduled_station_aetitle, modality, patient_id, patient_name, specific_character_set, "
    "scheduled_procedure_desc, SCHEDULED_PROCEDURE_DATE, SCHEDULED_PROCEDURE_TIME, order_code\r\n) AS\r\nSELECT\r\n "
    "'CT01' AS scheduled_station_aetitle, \r\n a.ORDER_MODALITY AS modality, \r\n p.PATIENT_ID AS patient_id,\r\n"
    "%2 \r\n /* scheduled Procedure Step*/'\\ISO 2022 IR 149' AS specific_character_set, \r\n"
    "Substring(VUR_TCOMMON.F_HANCONVERT(a.ORDER_NAME,1), 1, 18) AS scheduled_procedure_desc,\r\n a.ORDER_DATE AS "
    "SCHEDULED_PROCEDURE_DATE,\r\n a.ORDER_TIME AS SCHEDULED_PROCEDURE_TIME,\r\n Replace(a.ORDER_CODE + 'X', '8X' , "
    "'X8') AS order_code\r\nFROM TORDER a, TPATIENT p\r\nWHERE a.PATIENT_KEY = p.PATIENT_KEY\r\n%3");
const QString kTemplatePatient = QStringLiteral("/* Patient Identification*/ p.PATIENT_NAME AS patient_name,");
const QString kIdeographicPatient = QStringLiteral("'=' + p.PATIENT_NAME AS patient_name,");
const QString kFilters =
    QStringLiteral("And a.Order_Modality IN ('CT','MR') \r\nAnd a.Order_Code NOT IN ('Che001','Che002') \r\n");
const QString kPreview = QStringLiteral(
    "Select patient_Id, Patient_Name, SCHEDULED_PROCEDURE_DATE, SCHEDULED_PROCEDURE_TIME, Scheduled_procedure_desc, "
    "Modality From  VMWL_KK_CT01 Where SCHEDULED_PROCEDURE_DATE  >= 20261129 Order by SCHEDULED_PROCEDURE_DATE, "
    "SCHEDULED_PROCEDURE_TIME Desc");
const QString kReportCopy = QStringLiteral(
    "IF Not Exists  (  Select *  From  TCOMMONREPORT   Where GROUP_KEY = '40'  And   REPORT_NAME in  (  Select "
    "REPORT_NAME  From   TCOMMONREPORT  Where  GROUP_KEY = '37'  )  )  Begin Insert into TCOMMONREPORT "
    "(COMMONRPT_KEY, GROUP_KEY, REPORT_NAME, REPORT_TEXT, CONCLUSION, CLASS_A,    CLASS_B, CLASS_C, HOTKEY,   "
    "DISPLAY_NO, CREATE_DATE, MODIFY_DATE, FLAG) (Select Next value For Seq_TCOMMONRPT, 40, REPORT_NAME, "
    "REPORT_TEXT, CONCLUSION, CLASS_A,    CLASS_B, CLASS_C, HOTKEY,   DISPLAY_NO, CREATE_DATE, MODIFY_DATE, FLAG "
    "FROM TCOMMONREPORT Where  GROUP_KEY = 37)  End");

QString text(sqlite3_value *value)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_value_text(value)));
}

// Every name counts from 1001 on.
void nextValue(sqlite3_context *context, int, sqlite3_value **argv)
{
    auto *counters = static_cast<std::map<QString, int> *>(sqlite3_user_data(context));
    const auto it = counters->try_emplace(text(argv[0]).toUpper(), 1000).first;
    sqlite3_result_int(context, ++it->second);
}

void hanConvert(sqlite3_context *context, int, sqlite3_value **argv)
{
    const QByteArray result = (text(argv[0]) + u'#' + text(argv[1])).toUtf8();
    sqlite3_result_text(context, result.constData(), int(result.size()), SQLITE_TRANSIENT);
}

} // namespace

class TestTsqlTranslator : public QObject
{
    Q_OBJECT

private:
    sqlite3 *m_db = nullptr;
    std::map<QString, int> m_counters;

    void exec(const QString &sql)
    {
        char *message = nullptr;
        if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
            const QString error = QString::fromUtf8(message);
            sqlite3_free(message);
            QFAIL(qPrintable(error + QStringLiteral("\n") + sql));
        }
    }

    // Each row as its columns joined by "|".
    QStringList rows(const QString &sql)
    {
        QStringList result;
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK) {
            qWarning("%s\n%s", sqlite3_errmsg(m_db), qPrintable(sql));
            return {QStringLiteral("<error>")};
        }
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            QStringList columns;
            for (int i = 0; i < sqlite3_column_count(stmt); ++i)
                columns << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, i)));
            result << columns.join(u'|');
        }
        sqlite3_finalize(stmt);
        return result;
    }

    // Runs a translation the way the embedded archive does.
    void run(const Statement &s)
    {
        const QString view = QStringLiteral("CREATE VIEW %1(%2) AS %3").arg(s.name, s.columns.join(u','), s.sql);
        switch (s.kind) {
        case Statement::Kind::Query:
            exec(s.sql);
            break;
        case Statement::Kind::AlterView:
            exec(QStringLiteral("DROP VIEW ") + s.name);
            exec(view);
            break;
        case Statement::Kind::CreateView:
            exec(view);
            break;
        case Statement::Kind::DropView:
            exec(QStringLiteral("DROP VIEW ") + s.name);
            break;
        case Statement::Kind::IfNotExists:
            if (rows(s.sql).isEmpty()) {
                for (const Statement &inner : s.body)
                    run(inner);
            }
            break;
        case Statement::Kind::HelpText:
            QFAIL("sp_helptext is answered from the stored source, not by SQLite");
        }
    }

    QStringList translated(const QString &tsql) { return rows(db::tsql::translate(tsql).sql); }

private Q_SLOTS:
    void init()
    {
        QCOMPARE(sqlite3_open(":memory:", &m_db), SQLITE_OK);
        m_counters.clear();
        sqlite3_create_function(m_db, "kz_next_value", 1, SQLITE_UTF8, &m_counters, nextValue, nullptr, nullptr);
        sqlite3_create_function(m_db, "kz_f_hanconvert", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, hanConvert,
                                nullptr, nullptr);
        exec(QString::fromUtf8(kSchema));
    }

    void cleanup()
    {
        sqlite3_close(m_db);
        m_db = nullptr;
    }

    void lexerKeepsEveryCharacter_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("kinds"); // of the significant tokens and comments

        QTest::newRow("strings") << QStringLiteral("'it''s'  N'홍''s'\r\n''") << "String UnicodeString String";
        QTest::newRow("names") << QStringLiteral("[a]]b] \"c\"\"d\" Seq_1#")
                               << "BracketIdentifier QuotedIdentifier Identifier";
        QTest::newRow("comments") << QStringLiteral("a -- x + 'y\r\n/* p /* q */ r */b")
                                  << "Identifier LineComment BlockComment Identifier";
        QTest::newRow("numbers and operators")
            << QStringLiteral("1.5e3<>.5 >= 0x1F@v") << "Number Operator Number Operator Number Variable";
        QTest::newRow("korean name") << QStringLiteral("홍길동.이름") << "Identifier Operator Identifier";
    }

    void lexerKeepsEveryCharacter()
    {
        QFETCH(QString, input);
        QFETCH(QString, kinds);
        static const QStringList names = {
            "Identifier", "BracketIdentifier", "QuotedIdentifier", "String",      "UnicodeString", "Number",
            "Variable",   "Operator",          "Whitespace",       "LineComment", "BlockComment",
        };
        QString joined;
        QStringList seen;
        for (const db::tsql::Token &t : db::tsql::tokenize(input)) {
            joined += t.text;
            if (t.kind != db::tsql::Token::Kind::Whitespace)
                seen << names.at(int(t.kind));
        }
        QCOMPARE(joined, input);
        QCOMPARE(seen.join(u' '), kinds);
    }

    void rewrites_data()
    {
        QTest::addColumn<QString>("tsql");
        QTest::addColumn<QString>("sqlite");

        QTest::newRow("catalogue") << "Select * From   Sys.Objects Where  upper(Name) = upper('vmwl_kk_ct01')"
                                   << "Select * From   kz_sys_objects Where  upper(Name) = upper('vmwl_kk_ct01')";
        QTest::newRow("catalogue quoted and spaced") << "select o.name from [sys] . [OBJECTS] o, SYS.sequences"
                                                     << "select o.name from kz_sys_objects o, kz_sys_sequences";
        QTest::newRow("sequence over line ends") << "Select Next\r\n  value\tFOR [Seq_X], 'next value for y'"
                                                 << "Select kz_next_value('Seq_X'), 'next value for y'";
        QTest::newRow("top at the end of its select")
            << "Select top 1 Group_key From Tgroup Where Upper(Group_name) = Upper('Chest') -- first\r\n"
            << "Select Group_key From Tgroup Where Upper(Group_name) = Upper('Chest') LIMIT 1";
        QTest::newRow("top in a subquery")
            << "SELECT a FROM t WHERE a IN (SELECT DISTINCT TOP (5) b FROM u ORDER BY b) ORDER BY a"
            << "SELECT a FROM t WHERE a IN (SELECT DISTINCT b FROM u ORDER BY b LIMIT 5) ORDER BY a";
        QTest::newRow("delete without from") << "Delete Tusersetting Where USER_KEY = 9"
                                             << "Delete FROM Tusersetting Where USER_KEY = 9";
        QTest::newRow("insert select in parentheses")
            << "Insert into T (A, B) \r\n(Select Next Value For S, 'x\r\n  y')"
            << "Insert into T (A, B) \r\nSelect kz_next_value('S'), 'x\r\n  y'";
        QTest::newRow("joins, keeps sums")
            << "Select '=' + p.NAME AS n,  p.A + '^' + p.B, 1 + 2.5, 'a+b' + x From p"
            << "Select '=' || p.NAME AS n,  p.A || '^' || p.B, 1 + 2.5, 'a+b' || x From p";
        QTest::newRow("functions")
            << "Select Substring(x, 1, 2), IsNull(x, N'한'), Len(x), Left(x, 3), Right(x, 2) From t"
            << "Select substr(x, 1, 2), ifnull(x, '한'), length(rtrim(x)), substr(x, 1, 3), substr(x, -2, 2) From t";
        QTest::newRow("schema function") << "Select vur_tcommon . f_hanconvert(a.N, 1) + 'x' From dbo.T a"
                                         << "Select kz_f_hanconvert(a.N, 1) || 'x' From T a";
        QTest::newRow("names") << "Select [MACRO_NAME], \"KEY_TEXT\", [a]]b] From t"
                               << "Select [MACRO_NAME], [KEY_TEXT], \"a]b\" From t";
        QTest::newRow("nested comment") << "Select 1 /* a /* b */ c */ + 2"
                                        << "Select 1 /* a / * b * / c */ + 2";
    }

    void rewrites()
    {
        QFETCH(QString, tsql);
        QFETCH(QString, sqlite);
        const Statement s = db::tsql::translate(tsql);
        QCOMPARE(s.kind, Statement::Kind::Query);
        QCOMPARE(s.sql, sqlite);
    }

    void kinds_data()
    {
        QTest::addColumn<QString>("tsql");
        QTest::addColumn<Statement::Kind>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("columns");

        const QStringList none;
        QTest::newRow("help text") << "SP_HELPTEXT VMWL_KK_CT01" << Statement::Kind::HelpText << "VMWL_KK_CT01" << none;
        QTest::newRow("exec help text") << "exec sp_helptext 'VMWL_KK_CT1_11';" << Statement::Kind::HelpText
                                        << "VMWL_KK_CT1_11" << none;
        QTest::newRow("help text bracketed")
            << "sp_helptext [dbo].[VMWL X]" << Statement::Kind::HelpText << "VMWL X" << none;
        QTest::newRow("drop") << "Drop View VMWL_KK_CT01" << Statement::Kind::DropView << "VMWL_KK_CT01" << none;
        QTest::newRow("create") << kView.arg(QStringLiteral("Create"), kTemplatePatient, kFilters)
                                << Statement::Kind::CreateView << "VMWL_KK_CT01"
                                << QStringList{"scheduled_station_aetitle",
                                               "modality",
                                               "patient_id",
                                               "patient_name",
                                               "specific_character_set",
                                               "scheduled_procedure_desc",
                                               "SCHEDULED_PROCEDURE_DATE",
                                               "SCHEDULED_PROCEDURE_TIME",
                                               "order_code"};
        QTest::newRow("alter without columns")
            << "ALTER VIEW [V 1] AS\r\nselect 1 AS a" << Statement::Kind::AlterView << "V 1" << none;
    }

    void kinds()
    {
        QFETCH(QString, tsql);
        QFETCH(Statement::Kind, kind);
        QFETCH(QString, name);
        QFETCH(QStringList, columns);
        const Statement s = db::tsql::translate(tsql);
        QCOMPARE(s.kind, kind);
        QCOMPARE(s.name, name);
        QCOMPARE(s.columns, columns);
    }

    void refuses_data()
    {
        QTest::addColumn<QString>("tsql");

        for (const char *tsql : {
                 "",
                 "  \r\n -- nothing\r\n",
                 "Select 1; Select 2",
                 "Select 1\r\nGO",
                 "EXEC sp_who",
                 "Create Table T (A int)",
                 "Drop Table T",
                 "ALTER TABLE T ADD B int",
                 "Select @x",
                 "Select top 10 percent a From t",
                 "Select top 1 with ties a From t Order by a",
                 "Select top n a From t",
                 "Select a From t Union Select top 1 b From u",
                 "Delete top (1) From t",
                 "Select (a From t",
                 "Select a) From t",
                 "Select 'abc",
                 "Select [abc",
                 "Select a /* open",
                 "Select a.X + b.Y From a, b",
                 "Select 'a' + b * 2 From b",
                 "Select 'a' + 1 From b",
                 "Select x - 1 + 'a' From b",
                 "Select GetDate()",
                 "Select Right(x, n) From t",
                 "Select * From sys.tables",
                 "Select dbo.F_X(1)",
                 "Select a From t Where b = ?",
                 "IF Exists (Select 1) Begin Delete T End",
                 "IF Not Exists (Select 1) Begin Delete T End Else Delete U",
                 "IF Not Exists (Select 1) Begin End",
                 "Insert into T (A) (Select 1) Union (Select 2)",
                 "Delete T From T Join U On T.A = U.A",
                 "Insert into T Values (1) Delete T",
                 "Select * From Sys.Objects Where Name like 'VMWL[_]%'",
             })
            QTest::newRow(QByteArray(tsql).replace("\r\n", "\\r\\n").constData()) << QString::fromUtf8(tsql);
    }

    void refuses()
    {
        QFETCH(QString, tsql);
        try {
            db::tsql::translate(tsql);
            QFAIL("translated");
        } catch (const platform::Error &e) {
            QVERIFY2(e.text().contains(tsql), qPrintable(e.text()));
        }
    }

    // The statements the tool sends, run on SQLite, checked by their effect.
    void toolStatements_data()
    {
        QTest::addColumn<QString>("tsql");
        QTest::addColumn<QString>("check"); // empty: the statement's own rows
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("sequence exists") << "Select * From sys.Sequences Where  upper(Name) = upper('Seq_Tgroup')"
                                         << "" << QStringList{"Seq_Tgroup"};
        QTest::newRow("settings delete") << "Delete Tusersetting Where USER_KEY = 9 And Item <> 'WINDOW_POSITION'"
                                         << "Select USERSETTING_KEY From Tusersetting Order by 1"
                                         << QStringList{"1", "2", "4"};
        QTest::newRow("settings copy")
            << "Insert into Tusersetting (Usersetting_key, user_key, part, item, set_type, SET_VALUE, save_flag, flag) "
               "(Select Next Value For Seq_Tusersetting, 9, Part, Item, Set_type, Set_Value, Save_Flag, Flag From "
               "Tusersetting Where  User_key= 5 And Item <> 'WINDOW_POSITION')"
            << "Select USERSETTING_KEY, ITEM, SET_VALUE From Tusersetting Where USER_KEY = 9 Order by 1"
            << QStringList{"3|LIST_COL|l9", "4|WINDOW_POSITION|w9", "1001|VIEWER_PROPERTY|v5"};
        QTest::newRow("settings reset")
            << "Insert into Tusersetting (USERSETTING_KEY, USER_KEY, PART, ITEM, SET_TYPE, SET_VALUE, SAVE_FLAG, FLAG) "
               "\r\n(Select Next Value For Seq_Tusersetting, 12, 'VIEWER','VIEWER_PROPERTY','C', 'line1\r\nline2\r\n', "
               "'Y','Y')"
            << "Select USERSETTING_KEY, PART, replace(SET_VALUE, char(13, 10), '/') From Tusersetting Where USER_KEY = "
               "12"
            << QStringList{"1001|VIEWER|line1/line2/"};
        QTest::newRow("macro copy")
            << "Insert into TMACROTEXT ([MACROTEXT_KEY], [INSTITUTION_KEY], [MACRO_NAME], [USER_KEY] ,[SPECIAL_CHAR], "
               "[KEY_TEXT] ,[MACRO_TEXT]) (Select Next value For Seq_TMACROTEXT,  1, Macro_name, 15, SPECIAL_CHAR, "
               "Key_text, Macro_text From Tmacrotext Where  User_key= 12)"
            << "Select MACROTEXT_KEY, MACRO_NAME, MACRO_TEXT From TMACROTEXT Where USER_KEY = 15 Order by 1"
            << QStringList{"1001|m1|text 1", "1002|m2|text 2"};
        QTest::newRow("group search")
            << "Select top 1 Group_key From Tgroup Where Group_type='G04' And Stat_flag ='Y' And OwNer_key = 15 And "
               "Upper(Group_name) = Upper('Chest')"
            << "" << QStringList{"40"};
        QTest::newRow("group creation")
            << "Insert Into Tgroup (GROUP_KEY,  INSTITUTION_KEY,    GROUP_TYPE, OWNER_KEY, GROUP_NAME, GROUP_DESC, "
               "SORTING_NO, STAT_FLAG,  FLAG) (Select Next value For Seq_Tgroup, 1, 'G04', 15,'Chest', 'Default', "
               "NULL, 'Y','Y')"
            << "Select GROUP_KEY, GROUP_NAME, ifnull(SORTING_NO, 'null') From Tgroup Where GROUP_DESC = 'Default'"
            << QStringList{"1001|Chest|null"};
        QTest::newRow("group link") << "Insert Into Tgroupuser (GROUP_KEY,  USER_KEY, FLAG) (Select 41, 15, 'Y')"
                                    << "Select * From TGROUPUSER" << QStringList{"41|15|Y"};
        QTest::newRow("report copy") << kReportCopy
                                     << "Select COMMONRPT_KEY, REPORT_NAME From TCOMMONREPORT Where GROUP_KEY = 40"
                                     << QStringList{"1001|R1", "1002|R2"};
        QTest::newRow("report groups")
            << "Select DISTINCT g.group_key, g.GROUP_NAME From   TGROUP G, TCOMMONREPORT k Where  g.Group_type ='G04' "
               "And    g.Stat_flag = 'Y' And    g.group_key = k.group_key And    g.owner_key = 12"
            << "" << QStringList{"37|Chest"};
        QTest::newRow("accounts") << "Select user_key, user_id, user_name, userlevel_key  From   Tuser Order by 1"
                                  << "" << QStringList{"5|lee|이|2", "9|park|박|3", "12|kim|김|1"};
        QTest::newRow("romanization")
            << "Update  THANCONVERT Set     FAMILY_NAME = 'HONG', ENG_NAME = 'GILDONG' Where   KOR_NAME = '홍길동'"
            << "Select * From THANCONVERT Order by 2" << QStringList{"홍길동|HONG|GILDONG", "김철수|KIM|CHULSU"};
    }

    void toolStatements()
    {
        QFETCH(QString, tsql);
        QFETCH(QString, check);
        QFETCH(QStringList, expected);
        const Statement s = db::tsql::translate(tsql);
        if (check.isEmpty()) {
            QCOMPARE(rows(s.sql), expected);
            return;
        }
        run(s);
        QCOMPARE(rows(check), expected);
    }

    void expressions_data()
    {
        QTest::addColumn<QString>("tsql");
        QTest::addColumn<QString>("value");

        QTest::newRow("joined texts") << "Select 'a' + N'홍' + 'c'"
                                      << "a홍c";
        QTest::newRow("sum") << "Select 2 * 3 + 1"
                             << "7";
        QTest::newRow("left") << "Select Left('abcdef', 3)"
                              << "abc";
        QTest::newRow("right") << "Select Right('abcdef', 2)"
                               << "ef";
        QTest::newRow("right beyond") << "Select Right('ab', 5)"
                                      << "ab";
        QTest::newRow("right none") << "Select '[' + Right('ab', 0) + ']'"
                                    << "[]";
        QTest::newRow("len without trailing blanks") << "Select Len('ab  ')"
                                                     << "2";
        QTest::newRow("substring") << "Select Substring('abcdef', 2, 3)"
                                   << "bcd";
        QTest::newRow("isnull joins") << "Select IsNull(NULL, 'x') + 'y'"
                                      << "xy";
        QTest::newRow("null joins to null") << "Select ifnull('a' + NULL, 'null')"
                                            << "null";
        QTest::newRow("case joins") << "Select Case When 1 = 1 Then 'x' Else 'y' End + 'z'"
                                    << "xz";
        QTest::newRow("code mapping") << "Select Replace('M8' + 'X', '8X' , 'X8')"
                                      << "MX8";
        QTest::newRow("converted name") << "Select Upper(VUR_TCOMMON.F_HANCONVERT('ab', 1)) + '^' + 'c'"
                                        << "AB#1^c";
        QTest::newRow("subquery joins") << "Select 'g' + (Select top 1 GROUP_NAME From Tgroup Order by GROUP_KEY Desc)"
                                        << "gChest";
        QTest::newRow("top in a condition")
            << "Select Count(*) From Tgroup Where GROUP_KEY = (Select top 1 GROUP_KEY From Tgroup Order by 1 Desc)"
            << "1";
    }

    void expressions()
    {
        QFETCH(QString, tsql);
        QFETCH(QString, value);
        QCOMPARE(translated(tsql), QStringList{value});
    }

    void viewServesThePreview_data()
    {
        QTest::addColumn<QString>("patientLine");
        QTest::addColumn<QString>("namePrefix");

        QTest::newRow("template line") << kTemplatePatient << "";
        QTest::newRow("ideographic name") << kIdeographicPatient << "=";
    }

    void viewServesThePreview()
    {
        QFETCH(QString, patientLine);
        QFETCH(QString, namePrefix);
        run(db::tsql::translate(kView.arg(QStringLiteral("Create"), patientLine, kFilters)));
        QCOMPARE(translated(kPreview), (QStringList{"P1|" + namePrefix + "홍길동|20261129|0900|CHEST CT WITH CONT|CT",
                                                    "P1|" + namePrefix + "홍길동|20261130|1300|KNEE#1|MR",
                                                    "P2|" + namePrefix + "김철수|20261130|1100|BRAIN MR#1|MR"}));
        QCOMPARE(
            rows("Select order_code, specific_character_set From VMWL_KK_CT01 Where order_code Like 'M%' Order by 1"),
            (QStringList{"M2X|\\ISO 2022 IR 149", "MX8|\\ISO 2022 IR 149"}));
        QCOMPARE(translated("Select * From   Sys.Objects Where  upper(Name) = upper('vmwl_kk_ct01')"),
                 QStringList{"VMWL_KK_CT01|view"});

        run(db::tsql::translate(
            kView.arg(QStringLiteral("Alter"), patientLine, QStringLiteral("And a.Order_Modality IN ('CR') \r\n"))));
        QCOMPARE(translated("Select patient_Id, Modality From VMWL_KK_CT01"), QStringList{"P2|CR"});

        run(db::tsql::translate("Drop View VMWL_KK_CT01"));
        QCOMPARE(translated("Select * From   Sys.Objects Where  Name like  'VMWL%'"), QStringList{});
    }

    void reportCopyRunsOnce_data()
    {
        QTest::addColumn<QString>("before"); // run first, in plain SQLite
        QTest::addColumn<int>("runs");
        QTest::addColumn<QStringList>("reports");

        QTest::newRow("twice copies once") << "" << 2 << QStringList{"R1", "R2"};
        QTest::newRow("a common name blocks the copy")
            << "INSERT INTO TCOMMONREPORT (COMMONRPT_KEY, GROUP_KEY, REPORT_NAME) VALUES (9, 40, 'R2')" << 1
            << QStringList{"R2"};
    }

    void reportCopyRunsOnce()
    {
        QFETCH(QString, before);
        QFETCH(int, runs);
        QFETCH(QStringList, reports);
        if (!before.isEmpty())
            exec(before);
        for (int i = 0; i < runs; ++i)
            run(db::tsql::translate(kReportCopy));
        QCOMPARE(rows("Select REPORT_NAME From TCOMMONREPORT Where GROUP_KEY = 40 Order by 1"), reports);
    }
};

QTEST_GUILESS_MAIN(TestTsqlTranslator)
#include "test_tsql_translator.moc"

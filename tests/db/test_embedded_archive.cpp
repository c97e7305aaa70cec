#include "db/connection.h"
#include "db/db_session.h"
#include "db/embedded/tsql_lexer.h"
#include "db/embedded/tsql_translator.h"
#include "platform/error.h"

#include "support/test_site.h"

#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

using db::tsql::Statement;

Q_DECLARE_METATYPE(db::tsql::Statement::Kind)

// The embedded archive: the tool's statements translated into SQLite, as
// text, and what they do through DbSession on a small schema of the test's own.
class TestEmbeddedArchive : public QObject
{
    Q_OBJECT

private:
    static void row(const char *name, const QString &a, const QString &b) { QTest::newRow(name) << a << b; }

    std::unique_ptr<TestSite> m_site;
    std::unique_ptr<db::DbSession> m_session;

    db::DbSession &session() { return *m_session; }
    int count(const QString &sql) { return session().open(sql).recordCount(); }

    void expectError(const QString &sql, const QString &named)
    {
        try {
            session().executeSql(sql);
            QFAIL("no error");
        } catch (const platform::Error &e) {
            QVERIFY2(e.text().contains(named), qPrintable(e.text()));
        }
    }

private Q_SLOTS:
    void init()
    {
        m_site = std::make_unique<TestSite>(QDate(2026, 12, 6));
        m_site->writeBytes(u"DB.ini"_s, "embedded:archive.db\r\nany\r\n\r\n");
        m_site->writeBytes(
            u"archive/schema.sql"_s,
            "CREATE TABLE Tuser(user_key INTEGER PRIMARY KEY, user_id VARCHAR(20) COLLATE SITE_CI, user_name "
            "NVARCHAR(10) COLLATE SITE_CI, userlevel_key INTEGER);\n"
            "CREATE TABLE Tusersetting(USERSETTING_KEY INTEGER PRIMARY KEY, USER_KEY INTEGER, ITEM VARCHAR(20), "
            "SET_VALUE VARCHAR);\n"
            "CREATE TABLE TORDER(ORDER_KEY INTEGER PRIMARY KEY, PATIENT_ID TEXT, ORDER_DATE TEXT, ORDER_MODALITY "
            "TEXT, ORDER_NAME TEXT);\n"
            "CREATE TABLE TEXAMNAME_ENG(KOR_NAME TEXT PRIMARY KEY, ENG_NAME TEXT);\n"
            "INSERT INTO kz_sequences(name, current_value) VALUES ('Seq_Tusersetting', 100);\n");
        m_site->writeBytes(
            u"archive/demo.sql"_s,
            "INSERT INTO Tuser VALUES (1, 'admin', '관리자', 500), (5, 'rad1', '김판독', 400), (9, 'tech', NULL, "
            "300);\n"
            "INSERT INTO Tusersetting VALUES (1, 5, 'VIEWER_PROPERTY', 'a'), (2, 5, 'WINDOW_POSITION', 'b'),"
            " (3, 5, NULL, 'c');\n"
            "INSERT INTO TORDER VALUES (1, 'P1', strftime('%Y%m%d', (SELECT today FROM kz_seed)), 'CT', '흉부 CT'),"
            " (2, 'P2', strftime('%Y%m%d', (SELECT today FROM kz_seed), '-3 days'), 'MR', '뇌 MRI');\n"
            "INSERT INTO TEXAMNAME_ENG VALUES ('흉부 CT', 'CHEST CT');\n");
        m_session = std::make_unique<db::DbSession>();
        QVERIFY2(m_session->connect(m_site->dir(), m_site->today()), qPrintable(m_session->lastError()));
    }

    void cleanup()
    {
        m_session.reset();
        m_site.reset();
    }

    void lexerKeepsEveryCharacter_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("kinds"); // of the significant tokens and comments
        row("strings", u"'it''s'  N'홍''s'\r\n''"_s, u"String UnicodeString String"_s);
        row("names", u"[a]]b] \"c\"\"d\" Seq_1#"_s, u"BracketIdentifier QuotedIdentifier Identifier"_s);
        row("comments", u"a -- x + 'y\r\n/* p /* q */ r */b"_s, u"Identifier LineComment BlockComment Identifier"_s);
        row("numbers and operators", u"1.5e3<>.5 >= 0x1F@v"_s, u"Number Operator Number Operator Number Variable"_s);
        row("korean name", u"홍길동.이름"_s, u"Identifier Operator Identifier"_s);
    }

    void lexerKeepsEveryCharacter()
    {
        QFETCH(QString, input);
        QFETCH(QString, kinds);
        static const QStringList names = {u"Identifier"_s,  u"BracketIdentifier"_s, u"QuotedIdentifier"_s,
                                          u"String"_s,      u"UnicodeString"_s,     u"Number"_s,
                                          u"Variable"_s,    u"Operator"_s,          u"Whitespace"_s,
                                          u"LineComment"_s, u"BlockComment"_s};
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
        row("catalogue quoted and spaced", u"select o.name from [sys] . [OBJECTS] o, SYS.sequences"_s,
            u"select o.name from kz_sys_objects o, kz_sys_sequences"_s);
        row("sequence over line ends", u"Select Next\r\n  value\tFOR [Seq_X], 'next value for y'"_s,
            u"Select kz_next_value('Seq_X'), 'next value for y' COLLATE SITE_CI"_s);
        row("top at the end of its select",
            u"Select top 1 Group_key From Tgroup Where Upper(Group_name) = Upper('Chest') -- first\r\n"_s,
            u"Select Group_key From Tgroup Where Upper(Group_name) COLLATE SITE_CI = Upper('Chest' COLLATE "
            "SITE_CI) COLLATE SITE_CI LIMIT 1"_s);
        row("text facing a bare number",
            u"Select a From t Where t.D >= 20261201 And 5 < Len(x) And n.K <> -1.5 And 1 = 1 And a - 1 = 2"_s,
            u"Select a From t Where kz_number(t.D, 'int') >= 20261201 And 5 < kz_number(length(rtrim(x)), 'int') "
            "And kz_number(n.K, 'numeric') <> -1.5 And 1 = 1 And a - 1 = 2"_s);
        row("a subquery facing a bare number",
            u"Select a From t Where (Select Count(*) From u) = 1 And (Select Max(k) From u) < 2"_s,
            u"Select a From t Where kz_number((Select Count(*) From u), 'int') = 1 And kz_number((Select Max(k) From "
            "u), 'int') < 2"_s);
        row("cast to text types", u"Select Cast(a As varchar(3)), CAST(b AS nchar), Cast(c As int)"_s,
            u"Select kz_text(a , 'VARCHAR', 3), kz_text(b , 'NCHAR', 30), kz_int(c )"_s);
        row("a backslash ending a line inside a string", u"Select 'D:\\X\\\r\nY\\\nZ', N'\\\\\r\n', 'a\\' + '\r\nb'"_s,
            u"Select 'D:\\XYZ' COLLATE SITE_CI, '\\' COLLATE SITE_CI, kz_text('a\\' COLLATE SITE_CI || '\r\nb' COLLATE "
            u"SITE_CI, "
            "'VARCHAR', 8000)"_s);
        row("a string without N in code page 949", u"Select '한Ω😀é', N'한Ω😀é'"_s,
            u"Select '한Ω?\?' COLLATE SITE_CI, '한Ω😀é' COLLATE SITE_CI"_s);
        row("top in a subquery",
            u"SELECT a FROM t WHERE a IN (SELECT DISTINCT TOP (5) b FROM u ORDER BY b) ORDER BY a"_s,
            u"SELECT a FROM t WHERE a IN (SELECT DISTINCT b FROM u ORDER BY b LIMIT 5) ORDER BY a"_s);
        row("insert select in parentheses", u"Insert into T (A, B) \r\n(Select Next Value For S, 'x\r\n  y')"_s,
            u"Insert into T (A, B) \r\nSelect kz_next_value('S'), 'x\r\n  y' COLLATE SITE_CI"_s);
        row("joins, keeps sums", u"Select '=' + p.NAME AS n,  p.A + '^' + p.B, 1 + 2.5, 'a+b' + x From p"_s,
            u"Select '=' COLLATE SITE_CI || p.NAME AS n,  p.A || '^' COLLATE SITE_CI || p.B, 1 + 2.5, "
            "'a+b' COLLATE SITE_CI || x From p"_s);
        row("names", u"Select [MACRO_NAME], \"KEY_TEXT\", [a]]b] From t"_s,
            u"Select [MACRO_NAME], [KEY_TEXT], \"a]b\" From t"_s);
        row("nested comment", u"Select 1 /* a /* b */ c */ + 2"_s, u"Select 1 /* a / * b * / c */ + 2"_s);
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
        QTest::addColumn<QString>("columns");
        const auto row = [](const char *tsql, Statement::Kind kind, const char *name, const char *columns) {
            QTest::newRow(QByteArray(tsql).replace("\r\n", " ").constData())
                << QString::fromUtf8(tsql) << kind << QString::fromUtf8(name) << QString::fromUtf8(columns);
        };
        using K = Statement::Kind;
        row("SP_HELPTEXT VMWL_KK_CT01", K::HelpText, "VMWL_KK_CT01", "");
        row("exec sp_helptext 'VMWL_KK_CT1_11';", K::HelpText, "VMWL_KK_CT1_11", "");
        row("sp_helptext [dbo].[VMWL X]", K::HelpText, "VMWL X", "");
        row("sp_helptext 'V''1'", K::HelpText, "V'1", "");
        row("Drop View VMWL_KK_CT01", K::DropView, "VMWL_KK_CT01", "");
        row("Create View VMWL_KK_CT01(\r\n a, [b c],\r\n d\r\n) AS\r\nSELECT 1, 2, 3", K::CreateView, "VMWL_KK_CT01",
            "a|b c|d");
        row("ALTER VIEW [V 1] AS\r\nselect 1 AS a", K::AlterView, "V 1", "");
        row("IF Not Exists (Select * From T) Begin Delete T End", K::IfNotExists, "", "");
    }

    void kinds()
    {
        QFETCH(QString, tsql);
        QFETCH(Statement::Kind, kind);
        QFETCH(QString, name);
        QFETCH(QString, columns);
        const Statement s = db::tsql::translate(tsql);
        QCOMPARE(s.kind, kind);
        QCOMPARE(s.name, name);
        QCOMPARE(s.columns.join(u'|'), columns);
    }

    void refuses_data()
    {
        QTest::addColumn<QString>("tsql");
        const QString statements = QString::fromUtf8(
            "|  \r\n -- nothing\r\n|Select 1; Select 2|Select 1\r\nGO|EXEC sp_who|Create Table T (A int)|"
            "Drop Table T|ALTER TABLE T ADD B int|Select @x|Select top 10 percent a From t|"
            "Select top 1 with ties a From t Order by a|Select top n a From t|"
            "Select a From t Union Select top 1 b From u|Delete top (1) From t|Select (a From t|"
            "Select a) From t|Select 'abc|Select [abc|Select a /* open|Select a.X + b.Y From a, b|"
            "Select 'a' + b * 2 From b|Select 'a' + 1 From b|Select x - 1 + 'a' From b|Select GetDate()|"
            "Select Right(x, n) From t|Select * From sys.tables|Select dbo.F_X(1)|"
            "Select a From t Where b = ?|IF Exists (Select 1) Begin Delete T End|"
            "IF Not Exists (Select 1) Begin Delete T End Else Delete U|"
            "IF Not Exists (Select 1) Begin End|Insert into T (A) (Select 1) Union (Select 2)|"
            "Delete T From T Join U On T.A = U.A|Insert into T Values (1) Delete T");
        for (const QString &tsql : statements.split(u'|'))
            QTest::newRow(tsql.toUtf8().replace("\r\n", "\\r\\n").constData()) << tsql;
        QTest::newRow("nested 100,000 deep") << u"Select "_s + QString(100000, u'(') + u"1"_s + QString(100000, u')');
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

    void createdOnceWithDemoDataDatedFromTheClock()
    {
        // Through the wire, DB.ini names the TDS server in front of the same file.
        QCOMPARE(session().connectionString(),
                 u"Provider=SQLNCLI11;Server=%1;Database=QoRVA_Clinic;User Id= sa;Password= any"_s.arg(
                     db::readDbIniLine(m_site->dir(), 1)));
        QCOMPARE(db::readDbIniLine(m_site->dir(), 1).startsWith(u"127.0.0.1,"_s), m_site->wire());
        db::Recordset orders = session().open(u"Select ORDER_DATE From TORDER Order by 1"_s);
        QCOMPARE(orders.recordCount(), 2);
        QCOMPARE(orders.text(0), u"20261203"_s);
        orders.moveNext();
        QCOMPARE(orders.text(u"order_date"_s), u"20261206"_s);
        orders.moveNext();
        QVERIFY(orders.eof());
        QVERIFY_THROWS_EXCEPTION(platform::Error, orders.field(0));

        // Reopened on another day: the file is kept as it was left, and sequence keys go on.
        const QString copy = u"Insert into Tusersetting (USERSETTING_KEY, USER_KEY, ITEM, SET_VALUE) "
                             "(Select Next Value For Seq_Tusersetting, %1, ITEM, SET_VALUE From "
                             "Tusersetting Where USER_KEY = 5)"_s;
        session().executeSql(copy.arg(9));
        session().executeSql(u"Delete Tuser Where user_key = 9"_s);
        session().close();
        QVERIFY(!session().isOpen());
        QVERIFY(session().connect(m_site->dir(), QDate(2030, 1, 1)));
        QCOMPARE(count(u"Select * From Tuser"_s), 2);
        QCOMPARE(session().queryScalar(u"Select top 1 ORDER_DATE From TORDER Order by 1 Desc"_s), u"20261206"_s);
        session().executeSql(copy.arg(1));
        QStringList keys;
        for (db::Recordset r =
                 session().open(u"Select USERSETTING_KEY From Tusersetting Where USER_KEY In (1, 9) Order by 1"_s);
             !r.eof(); r.moveNext())
            keys << r.text(0);
        QCOMPARE(keys, (QStringList{u"101"_s, u"102"_s, u"103"_s, u"104"_s, u"105"_s, u"106"_s}));

        // A value drawn stays drawn, even when its transaction is rolled back.
        session().begin();
        session().executeSql(copy.arg(2));
        session().rollback();
        session().executeSql(copy.arg(2));
        QCOMPARE(
            session().queryScalar(u"Select top 1 USERSETTING_KEY From Tusersetting Where USER_KEY = 2 Order by 1"_s),
            u"110"_s);
    }

    // However the transaction that drew a value ends, and whichever session
    // on the file draws next, a value is handed out once.
    void sequenceValuesAreNeverGivenBack_data()
    {
        QTest::addColumn<QString>("ending");
        for (const char *ending : {"rollback", "failed statement and rollback", "connection closed", "second session"})
            QTest::newRow(ending) << QString::fromLatin1(ending);
    }

    void sequenceValuesAreNeverGivenBack()
    {
        QFETCH(QString, ending);
        const QString draw = u"Select Next Value For Seq_Tusersetting"_s;
        db::DbSession other;
        QVERIFY2(other.connect(m_site->dir(), m_site->today()), qPrintable(other.lastError()));
        if (ending == u"second session"_s) {
            QCOMPARE(session().queryScalar(draw), u"101"_s);
            QCOMPARE(other.queryScalar(draw), u"102"_s);
            QCOMPARE(other.queryScalar(draw), u"103"_s);
            QCOMPARE(session().queryScalar(draw), u"104"_s);
            return;
        }
        session().begin();
        session().executeSql(u"Insert into Tusersetting (USERSETTING_KEY, USER_KEY, ITEM) "
                             "(Select Next Value For Seq_Tusersetting, 7, ITEM From Tusersetting)"_s);
        if (ending == u"failed statement and rollback"_s)
            QVERIFY_THROWS_EXCEPTION(
                platform::Error, session().executeSql(u"Insert into Tusersetting (USERSETTING_KEY, ITEM) Select "
                                                      "Next Value For Seq_Tusersetting, '123456789012345678901'"_s));
        if (ending == u"connection closed"_s)
            session().close();
        else
            session().rollback();
        const QString next = ending == u"failed statement and rollback"_s ? u"105"_s : u"104"_s;
        QCOMPARE(other.queryScalar(draw), next);
        QCOMPARE(other.queryScalar(u"Select Count(*) From Tusersetting"_s), u"3"_s);
    }

    void brokenScriptLeavesNoFile()
    {
        TestSite site;
        site.writeBytes(u"DB.ini"_s, "embedded:broken.db\r\n\r\n");
        site.writeBytes(u"archive/schema.sql"_s, "CREATE TABLE x(a);\nTHIS IS NOT SQL;\n");
        db::DbSession broken;
        QVERIFY(!broken.connect(site.dir(), site.today()));
        QVERIFY(broken.lastError().contains(u"schema.sql"_s));
        QVERIFY(!QFile::exists(site.file(u"broken.db"_s)));
    }

    // Each statement's first field through QueryScalar; "<error>" when it throws.
    void values_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("value");
        const auto row = [](const char *sql, const QString &value) { QTest::newRow(sql) << sql << value; };
        row("Select 'a' + N'홍' + 'c'", u"a홍c"_s);
        row("Select 2 * 3 + 1", u"7"_s);
        row("Select Left('abcdef', 3) + Right('abcdef', 2) + Right('ab', 5) + '[' + Right('ab', 0) + ']'",
            u"abcefab[]"_s);
        row("Select Len('ab  ')", u"2"_s);
        row("Select Substring('abcdef', 2, 3)", u"bcd"_s);
        row("Select IsNull(NULL, 'x') + 'y'", u"xy"_s);
        row("Select IsNull('a' + NULL, 'null')", u"null"_s);
        row("Select Case When 1 = 1 Then 'x' Else 'y' End + 'z'", u"xz"_s);
        row("Select Replace('M8' + 'X', '8X' , 'X8')", u"MX8"_s);
        // All within code page 949 but the last, which a literal without N cannot hold.
        row("Select Upper(N'αβγ жёлтый 한글') + Upper('é')", u"ΑΒΓ ЖЁЛТЫЙ 한글?"_s);
        // Beyond code page 949, an nvarchar comes back whole, through the wire too.
        row("Select N'é€丂' + N'😀'", u"é€丂😀"_s);
        row("Select VUR_TCOMMON.F_HANCONVERT('흉부 CT', 1) + '^' + VUR_TCOMMON.F_HANCONVERT('뇌 MRI', 1)",
            u"CHEST CT^뇌 MRI"_s);
        row("Select 'u' + (Select top 1 user_id From Tuser Order by user_key Desc)", u"utech"_s);
        row("Select Count(*) From Tuser Where user_key = (Select top 1 user_key From Tuser Order by 1 Desc)", u"1"_s);
        row("Select top 1 user_key From Tuser Where userlevel_key < 500 Order by 1 Desc", u"9"_s);
        row("Select top 1 user_key From Tuser Where user_key = 77", u"0"_s);
        row("Select user_name From Tuser Where user_key = 9", u"<error>"_s);
        row("Select Count(*) From Tuser Where user_name = ''", u"0"_s);
        // Texts typed as the server types them.
        row("Select Cast('abcdef' As varchar(3)) + Cast(N'한글한글' As varchar(5)) + Cast(N'한글한글' As nvarchar(3))",
            u"abc한글한글한"_s);
        row("Select Cast('ab' As char(4)) + '|' + Cast(12 As varchar) + Cast('x😀' As varchar(max))", u"ab  |12x?"_s);
        row("Select IsNull(ITEM, '가나다라마바사아자차카') From Tusersetting Where USERSETTING_KEY = 3",
            u"가나다라마바사아자차"_s);
        row("Select IsNull((Select top 1 s.ITEM From Tusersetting s Where s.USERSETTING_KEY = 3), "
            "N'가나다라마바사아자차카')",
            u"가나다라마바사아자차"_s);
        row("Select Count(*) From TORDER Where ORDER_DATE >= 20261201 And ORDER_DATE < 20261204.5", u"1"_s);
        row("Select Cast(12 As varchar(1)) + Cast(12 As char(3)) + Cast(-5 As varchar(2)) + '|'", u"*12 -5|"_s);
        row("Select IsNull(Cast(NULL As int), '12')", u"12"_s);
        row("Select Cast(' 12 ' As int) + Cast(2.7 As int) + Cast(-2.7 As int) + Cast('' As int)", u"12"_s);
        row("Select IsNull(Cast(NULL As varchar(3)), 'abcdef') + IsNull(Cast(NULL As char), 'x') + '|'",
            u"abcx                             |"_s);
        row("Select IsNull(NullIf(ITEM, ITEM), '가나다라마바사아자차카') From Tusersetting Where USERSETTING_KEY = 3",
            u"가나다라마바사아자차"_s);
        // Texts joined by + are cut at 8000 bytes (4000 characters for nvarchar) from the left, until a large
        // value type joins: varchar(max), or a literal over the bound.
        const auto joined = [](const char *name, std::initializer_list<QString> parts, int length) {
            QTest::newRow(name) << u"Select Len("_s + QStringList(parts).join(u" + "_s) + u")"_s
                                << QString::number(length);
        };
        const auto text = [](const char *prefix, QChar c, int n) -> QString {
            return QString::fromLatin1(prefix) + u'\'' + QString(n, c) + u'\'';
        };
        const QString max = u"Cast('' As varchar(max))"_s;
        joined("two texts over 8000 bytes", {text("", u'x', 5000), text("", u'y', 5000)}, 8000);
        joined("Korean over 8000 bytes", {text("", u'가', 3000), text("", u'나', 3000)}, 4000);
        joined("nvarchar over 4000 characters", {text("N", u'x', 3000), text("N", u'y', 3000)}, 4000);
        joined("a large literal", {text("", u'x', 9000), text("", u'y', 1)}, 9001);
        joined("varchar(max) first", {max, text("", u'x', 5000), text("", u'y', 5000)}, 10000);
        joined("varchar(max) second", {text("", u'x', 5000), max, text("", u'y', 5000)}, 10000);
        joined("cut before varchar(max) joins", {text("", u'x', 5000), text("", u'y', 4000), max, text("", u'z', 1000)},
               9000);
        // A large value comes back whole, over the wire in many pieces, characters split between pieces too.
        const QString x = QString(5000, u'x'), ga = QString(20000, u'가'), smiles = QString(u"😀"_s).repeated(20000);
        QTest::newRow("a long varchar(max)") << u"Select %1 + '%2' + '%3'"_s.arg(max, x, ga) << x + ga;
        QTest::newRow("a long nvarchar(max)") << u"Select N'%1'"_s.arg(smiles) << smiles;
    }

    void values()
    {
        QFETCH(QString, sql);
        QFETCH(QString, value);
        QString actual;
        try {
            actual = session().queryScalar(sql);
        } catch (const platform::Error &) {
            actual = u"<error>"_s;
        }
        QCOMPARE(actual, value);
    }

    void viewReadBackLineForLine()
    {
        const QString create =
            u"Create View VMWL_KE_CT01(\r\n modality, patient_id, scheduled_procedure_desc, "
            u"SCHEDULED_PROCEDURE_DATE\r\n"
            ") AS\r\nSELECT\r\n a.ORDER_MODALITY AS modality, \r\n a.PATIENT_ID AS patient_id,\r\n"
            "Substring(VUR_TCOMMON.F_HANCONVERT(a.ORDER_NAME,1), 1, 5) AS scheduled_procedure_desc,\r\n"
            " a.ORDER_DATE AS SCHEDULED_PROCEDURE_DATE\r\nFROM TORDER a\r\nWHERE 1 = 1\r\n"
            "And a.Order_Modality IN ('CT','MR') \r\n"_s +
            u"/* ÀB001 "_s + QString(300, u'x') + u" */\r\n"_s;
        session().executeSql(create);
        QVERIFY(session().objectExists(u"vmwl_ke_ct01"_s, 1));
        QVERIFY(!session().objectExists(u"VMWL_KE_CT02"_s, 1));

        // As the server returns it: split after each CR LF, which the row
        // keeps, and a line longer than 255 characters cut into rows.
        db::Recordset text = session().open(u"SP_HELPTEXT VMWL_KE_CT01"_s);
        QStringList expected = create.split(u"\r\n"_s);
        QCOMPARE(expected.takeLast(), QString()); // the text ends with a line end
        for (QString &line : expected)
            line += u"\r\n"_s;
        const QString longLine = expected.takeLast();
        expected << longLine.left(255) << longLine.mid(255);
        QCOMPARE(text.recordCount(), expected.size());
        for (const QString &row : expected) {
            QCOMPARE(text.text(0), row);
            text.moveNext();
        }
        QCOMPARE(session().queryScalar(u"Select Scheduled_procedure_desc From  VMWL_KE_CT01 Where "
                                       "SCHEDULED_PROCEDURE_DATE  = 20261206"_s),
                 u"CHEST"_s);

        // Creating it again is refused; altering it replaces body and text.
        QVERIFY_THROWS_EXCEPTION(platform::Error, session().executeSql(create));
        QString alter = create;
        alter.replace(u"Create View"_s, u"Alter View"_s);
        alter.replace(u"('CT','MR')"_s, u"('MR')"_s);
        session().executeSql(alter);
        QCOMPARE(count(u"Select * From VMWL_KE_CT01"_s), 1);
        QCOMPARE(session().open(u"SP_HELPTEXT vmwl_ke_ct01"_s).text(0), u"Alter View VMWL_KE_CT01(\r\n"_s);

        session().executeSql(u"Drop View vmwl_ke_ct01"_s);
        QVERIFY(!session().objectExists(u"VMWL_KE_CT01"_s, 1));
        QVERIFY_THROWS_EXCEPTION(platform::Error, session().open(u"SP_HELPTEXT VMWL_KE_CT01"_s));
        QVERIFY_THROWS_EXCEPTION(platform::Error, session().executeSql(u"Drop View VMWL_KE_CT01"_s));

        // A view whose body does not fit the tables is not created, nor its text kept.
        expectError(u"Create View VMWL_EE_BAD(a, b) AS\r\nSELECT a.NO_SUCH_COLUMN, 1 FROM TORDER a\r\n"_s,
                    u"NO_SUCH_COLUMN"_s);
        QVERIFY(!session().objectExists(u"VMWL_EE_BAD"_s, 1));
        QVERIFY_THROWS_EXCEPTION(platform::Error, session().open(u"SP_HELPTEXT VMWL_EE_BAD"_s));
    }

    void catalogue()
    {
        const qsizetype before = session().journal().size();
        QVERIFY(session().objectExists(u"TUSER"_s, 1));
        QVERIFY(session().objectExists(u"seq_tusersetting"_s, 2));
        QVERIFY(!session().objectExists(u"Tuser"_s, 2));
        QVERIFY(!session().objectExists(u"kz_sequences"_s, 1));
        // A name is a value: its quotes cannot turn the test into one that always holds.
        QVERIFY(!session().objectExists(u"X') OR ('1'='1"_s, 1));
        QVERIFY(!session().objectExists(u"X') OR ('1'='1"_s, 2));
        const QString views = u"Select * From   Sys.Objects Where  Name like  'VMWL%'"_s;
        QCOMPARE(count(views), 0);
        session().executeSql(u"Create View VMWL(x) AS Select 1"_s);
        QCOMPARE(session().queryScalar(views), u"VMWL"_s);
        QCOMPARE(count(views), 1);
        // The existence tests as the window journals them.
        QCOMPARE(session().journal().mid(before, 2),
                 (QStringList{u"Select * From   Sys.Objects Where  upper(Name) = upper('TUSER')"_s,
                              u"Select * From sys.Sequences Where  upper(Name) = "
                              "upper('seq_tusersetting')"_s}));
    }

    void failedStatementsChangeNothing_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("number"); // the server's error number, where the archive must give it
        QTest::newRow("unknown form") << u"Create Table X (a int)"_s << QString();
        QTest::newRow("quote breaks the statement")
            << u"Update  Tuser Set user_name = 'O'Neil' Where user_key = 5"_s << QString();
        QTest::newRow("second row fails")
            << u"Insert into Tuser (user_key, user_id) (Select CASE WHEN user_key = 1 THEN 40 ELSE 5 END, 'x' From Tuser)"_s
            << QString();
        // What the server refuses, by its error number.
        const auto refused = [](const char *number, const char *sql) {
            QTest::newRow(QByteArray(QByteArray(number) + ": " + sql).constData())
                << QString::fromUtf8(sql) << QString::fromLatin1(number);
        };
        refused("1033", "Create View VMWL_X AS Select user_key From Tuser Order by user_key");
        refused("1033", "Select k From (Select user_key AS k From Tuser Order by 1) t");
        refused("11719", "Create View VMWL_X AS Select Next Value For Seq_Tusersetting AS k");
        refused("11719", "Insert into Tuser (user_key) Select (Select Next Value For Seq_Tusersetting)");
        refused("11720", "Update Tuser Set userlevel_key = 1 Where user_key = Next Value For Seq_Tusersetting");
        refused("11721", "Insert into Tuser (user_key, user_id) (Select Distinct Next Value For Seq_Tusersetting, "
                         "user_id From Tuser)");
        refused("11723", "Insert into Tuser (user_key, user_id) Select Next Value For Seq_Tusersetting, user_id "
                         "From Tuser Order by user_id");
        refused("11741",
                "Insert into Tuser (user_key) Select Case When 1 = 1 Then Next Value For Seq_Tusersetting End");
        refused("11741", "Insert into Tuser (user_key) Select IsNull(Next Value For Seq_Tusersetting, 1)");
        refused("8152", "Insert into Tuser (user_key, user_id) Values (20, 'abcdefghijklmnopqrstu')");
        refused("8152", "Insert into Tuser (user_key, user_id) Values (20, '가나다라마바사아자차카')");
        refused("8152", "Insert into Tuser (user_key, user_name) Values (20, N'가나다라마바사아자차카')");
        refused("8152", "Update Tuser Set user_id = user_id + '12345678901234567' Where user_key = 5");
        refused("245", "Delete Tuser Where user_id > 5");
        refused("245", "Select user_key From Tuser Where 1 = user_id");
        refused("245", "Select IsNull(Cast(NULL As int), 'abc')");
        refused("8115", "Select Cast(123 As nvarchar(2))");
        refused("245", "Select Cast('abc' As int)");
        refused("245", "Select Cast('2.5' As int)");
        refused("8115", "Select Cast(3000000000 As int)");
        refused("8115", "Select Cast(-2147483649.5 As int)");
        refused("2627", "Insert into Tuser (user_key, user_id) Values (5, 'x')");
        refused("15009", "SP_HELPTEXT VMWL_NO_SUCH");
        refused("208", "Select * From TNOSUCH");
        refused("208", "Alter View VMWL_NO_SUCH AS Select 1 AS a");
        refused("207", "Select no_such_column From Tuser");
        refused("2714", "Create View Tuser AS Select 1 AS a");
    }

    void failedStatementsChangeNothing()
    {
        QFETCH(QString, sql);
        QFETCH(QString, number);
        expectError(sql, sql);
        if (!number.isEmpty())
            expectError(sql, u"Msg "_s + number + u":"_s);
        QCOMPARE(session().journal().last(), sql);
        QVERIFY(session().isOpen());
        QCOMPARE(count(u"Select * From Tuser"_s), 3);
    }

    void textComparesAsTheServer_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("keys");
        const auto row = [](const char *name, const char *where, const char *keys) {
            QTest::newRow(name) << where << keys;
        };
        row("mixed case finds its row", "user_id = 'RaD1'", "5");
        row("trailing blanks through Upper", "Upper(user_id) = Upper('rad1  ')", "5");
        row("case through Lower", "Lower(user_id) = 'RAD1' And Rtrim(user_id) = 'Rad1'", "5");
        row("width ignored", "user_id = N'ｒａｄ１' Or user_id LIKE N'Ｅ%' Order by 1", "5,10");
        row("a varchar holds code page 949", "user_id = N'Ω?'", "11");
        row("an nvarchar holds Unicode", "user_name = N'Ω😀'", "11");
        row("a string without N is code page 949", "user_name = 'Ω😀'", "");
        row("no order without ORDER BY", "user_key > 1", "11,10,9,5");
        row("trailing blanks ignored", "user_id = 'rad1   '", "5");
        row("leading blank counts", "user_id = ' rad1'", "");
        row("case beyond ASCII", "user_name = N'ÉVE'", "10");
        row("Hangul as it stands", "user_name = '김판독'", "5");
        row("LIKE beyond ASCII", "user_name LIKE N'ÉV%'", "10");
        row("LIKE one character and escape", "user_id LIKE 'R_D1' Or user_id LIKE 'a\\%' ESCAPE '\\'", "5");
        row("LIKE sets and ranges",
            "user_id LIKE '[a-r]%1' Or user_id LIKE '[^a-z]%' Or user_id LIKE '[xyz]%' Order by 1", "5,11");
        row("LIKE [ escaped, in a set; unclosed matches nothing",
            "'[x' LIKE '\\[%' ESCAPE '\\' And '[' LIKE '[[]' And user_id = 'tech' Or user_id LIKE 'rad1['", "9");
        row("literals by the collation", "'abc' = 'ABC' And N'abc' = N'ABC' And 'abc' = 'ABC   ' And user_id = 'tech'",
            "9");
        row("literals joined and through a function",
            "'a' + 'b' = 'AB' And IsNull(NULL, 'x') = 'X' And Cast('q' As varchar(3)) = 'Q' And user_key = 1", "1");
        row("DISTINCT over a view's literals",
            "user_key = 1 And 1 = (Select Count(Distinct n) From VMWL_NAMES Where n Like 'a')", "1");
        row("a view's column made by + and a subquery",
            "user_key In (Select k From VMWL_NAMES Where n = 'RAD1' Or n = 'X^TECH' Or m = 'ADMIN') Order by 1",
            "1,5,9");
        row("LIKE ignores the value's trailing blanks, not the pattern's",
            "'abc  ' LIKE 'abc' And 'abc' NOT LIKE 'abc ' And user_id + '  ' LIKE 'rad_'", "5");
        row("ordered without regard to case", "user_id <> 'rad1' Order by user_id", "1,10,9,11");
    }

    void textComparesAsTheServer()
    {
        QFETCH(QString, where);
        QFETCH(QString, keys);
        session().executeSql(u"Insert Into Tuser Values (10, 'Eve', N'éve', 300)"_s);
        session().executeSql(u"Insert Into Tuser Values (11, N'Ω😀', N'Ω😀', 300)"_s);
        session().executeSql(u"Create View VMWL_NAMES(k, n, m) AS Select user_key, IsNull((Select top 1 'x' + '^' + "
                             "u.user_id From Tuser u Where u.user_key = t.user_key And u.user_key = 9), t.user_id), "
                             "Case When user_key = 1 Then 'admin' Else '' End From Tuser t Union All Select 0, 'a', '' "
                             "Union All Select -1, 'A ', ''"_s);
        db::Recordset r = session().open(u"Select user_key From Tuser Where "_s + where);
        QStringList found;
        for (; !r.eof(); r.moveNext())
            found.append(r.text(0));
        QCOMPARE(found.join(u','), keys);
    }
};

QTEST_GUILESS_MAIN(TestEmbeddedArchive)
#include "test_embedded_archive.moc"

#include "db/embedded/tsql_lexer.h"
#include "db/embedded/tsql_translator.h"
#include "platform/error.h"

#include <QTest>

using namespace Qt::StringLiterals;

using db::tsql::Statement;

Q_DECLARE_METATYPE(db::tsql::Statement::Kind)

// The translation of the tool's statements into SQLite, as text. What the
// translations do on a real archive is checked in test_embedded_archive.
class TestTsqlTranslator : public QObject
{
    Q_OBJECT

    static void row(const char *name, const QString &a, const QString &b) { QTest::newRow(name) << a << b; }

private Q_SLOTS:
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
            u"Select kz_next_value('Seq_X'), 'next value for y'"_s);
        row("top at the end of its select",
            u"Select top 1 Group_key From Tgroup Where Upper(Group_name) = Upper('Chest') -- first\r\n"_s,
            u"Select Group_key From Tgroup Where Upper(Group_name) = Upper('Chest') LIMIT 1"_s);
        row("top in a subquery",
            u"SELECT a FROM t WHERE a IN (SELECT DISTINCT TOP (5) b FROM u ORDER BY b) ORDER BY a"_s,
            u"SELECT a FROM t WHERE a IN (SELECT DISTINCT b FROM u ORDER BY b LIMIT 5) ORDER BY a"_s);
        row("insert select in parentheses", u"Insert into T (A, B) \r\n(Select Next Value For S, 'x\r\n  y')"_s,
            u"Insert into T (A, B) \r\nSelect kz_next_value('S'), 'x\r\n  y'"_s);
        row("joins, keeps sums", u"Select '=' + p.NAME AS n,  p.A + '^' + p.B, 1 + 2.5, 'a+b' + x From p"_s,
            u"Select '=' || p.NAME AS n,  p.A || '^' || p.B, 1 + 2.5, 'a+b' || x From p"_s);
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
        for (const char *tsql : {"",
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
                                 "Select * From Sys.Objects Where Name like 'VMWL[_]%'"})
            QTest::newRow(QByteArray(tsql).replace("\r\n", "\\r\\n").constData()) << QString::fromUtf8(tsql);
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
};

QTEST_GUILESS_MAIN(TestTsqlTranslator)
#include "test_tsql_translator.moc"

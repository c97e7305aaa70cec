#include "db/connection.h"
#include "db/db_session.h"
#include "db/odbc_backend.h"
#include "platform/error.h"

#include "support/test_site.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QTcpServer>
#include <QTest>

using namespace Qt::StringLiterals;

// A driver's answer played from a script: results separated by "|", each
// "rows" (a select of that many rows), "count" (a row count), or either
// followed by "!N", the driver failing at its Nth fetch, or "fail" (moving
// to that result fails). An error is forgotten once the next result is
// asked for, so it must be asked for before.
class ScriptedCursor final : public db::ResultCursor
{
public:
    explicit ScriptedCursor(const QString &script) : m_results(script.split(u'|')) {}
    bool isSelect() const override { return current().startsWith(u"rows"_s); }
    QStringList columns() const override { return {u"n"_s}; }
    bool next() override
    {
        if (!isSelect())
            return false;
        ++m_fetch;
        if (current().contains(u'!') && m_fetch == current().section(u'!', 1).toInt()) {
            m_error = u"Conversion failed when converting the varchar value 'x' to data type int."_s;
            return false;
        }
        return m_fetch <= current().section(u'!', 0, 0).mid(4).toInt();
    }
    QVariantList row() const override { return {m_fetch}; }
    bool nextResult() override
    {
        m_error.clear(); // a driver may forget an error once asked for more
        if (++m_at >= m_results.size())
            return false;
        m_fetch = 0;
        if (current() == u"fail"_s) {
            m_error = u"The connection is broken."_s;
            return false;
        }
        return true;
    }
    QString error() const override { return m_error; }

private:
    QString current() const { return m_results.value(m_at); }
    QStringList m_results;
    qsizetype m_at = 0;
    int m_fetch = 0;
    QString m_error;
};

class TestConnection : public QObject
{
    Q_OBJECT

    static bool wireAvailable()
    {
#ifdef KZ_ODBC_SYSINI
        qputenv("ODBCSYSINI", KZ_ODBC_SYSINI);
        qputenv("KALDEN_ODBC_DRIVER", "FreeTDS");
        return QSqlDatabase::isDriverAvailable(u"QODBC"_s);
#else
        return false;
#endif
    }

private Q_SLOTS:
    // A fetch that fails is a failure, never a shorter answer.
    void odbcResults_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("rows"); // -1: fails
        QTest::newRow("rows") << u"rows3"_s << 3;
        QTest::newRow("row counts first") << u"count|count|rows2"_s << 2;
        QTest::newRow("only the first rows") << u"rows2|rows5"_s << 2;
        QTest::newRow("fetch fails after two rows") << u"rows5!3"_s << -1;
        QTest::newRow("fetch fails on the first row") << u"rows5!1"_s << -1;
        QTest::newRow("a later result fails") << u"rows2|count!1|fail"_s << -1;
        QTest::newRow("moving to the next result fails") << u"rows2|fail"_s << -1;
        QTest::newRow("rows of a later select fail") << u"rows1|rows4!2"_s << -1;
    }

    void odbcResults()
    {
        QFETCH(QString, script);
        QFETCH(int, rows);
        ScriptedCursor cursor(script);
        try {
            const db::Recordset r = db::readResults(cursor);
            QCOMPARE(r.recordCount(), rows);
        } catch (const platform::Error &e) {
            QVERIFY2(rows < 0, qPrintable(e.text()));
            QVERIFY(!e.text().isEmpty());
        }
    }

    void dbIniLines_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const char *ini, const char *login) {
            QTest::newRow(name) << QByteArray(ini)
                                << u"Provider=SQLNCLI11;Server=127.0.0.1;Database=QoRVA_Clinic;User Id= "_s +
                                       QString::fromLatin1(login);
        };
        row("two lines: user sa", "127.0.0.1\r\nsecret\r\n", "sa;Password= secret");
        row("two lines without last line end", "127.0.0.1\r\nsecret", "sa;Password= secret");
        row("blank third line: user sa", "127.0.0.1\r\nsecret\r\n\r\n", "sa;Password= secret");
        row("third line of blanks is kept", "127.0.0.1\r\nsecret\r\n   \r\n", "   ;Password= secret");
        row("login on third line", "127.0.0.1\r\nsecret\r\npacs\r\n", "pacs;Password= secret");
        row("lines after the third ignored", "127.0.0.1\r\nsecret\r\npacs\r\nother\r\nmore\r\n",
            "pacs;Password= secret");
        row("lone CR ends a line", "127.0.0.1\rsecret\rpacs", "pacs;Password= secret");
        row("empty password", "127.0.0.1\r\n\r\nsa\r\n", "sa;Password= ");
    }

    void dbIniLines()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, expected);
        TestSite site;
        site.writeBytes(u"DB.ini"_s, ini);
        db::DbSession session;
        // Nothing listens on the default port of 127.0.0.1 here: the
        // connection fails, but the string it was tried with is kept.
        QVERIFY(!session.connect(site.dir(), site.today()));
        QCOMPARE(session.connectionString(), expected);
        QVERIFY(!session.isOpen());
        QVERIFY(!session.lastError().isEmpty());
    }

    void missingDbIniIsNamed()
    {
        TestSite site;
        QFile::remove(site.file(u"DB.ini"_s));
        db::DbSession session;
        QVERIFY(!session.connect(site.dir(), site.today()));
        QVERIFY(session.lastError().contains(u"DB.ini"_s));
        QVERIFY_THROWS_EXCEPTION(platform::Error, session.executeSql(u"Select 1"_s));
    }

    void odbcConnectionString_data()
    {
        QTest::addColumn<QString>("ado");
        QTest::addColumn<QString>("odbc");
        QTest::newRow("plain")
            << db::adoConnectionString(u"PACS01\\SQLEXPRESS"_s, u"pw"_s, u"sa"_s)
            << "DRIVER={FreeTDS};SERVER=PACS01\\SQLEXPRESS;DATABASE=QoRVA_Clinic;UID=sa;PWD=pw;TDS_Version=7.4;";
        QTest::newRow("blanks after = dropped as ADO does")
            << "Provider=SQLNCLI11;Server= 10.0.0.5 ;Database=QoRVA_Clinic;User Id= pacs;Password= x"
            << "DRIVER={FreeTDS};SERVER=10.0.0.5;DATABASE=QoRVA_Clinic;UID=pacs;PWD=x;TDS_Version=7.4;";
        QTest::newRow("other driver: nothing added")
            << db::adoConnectionString(u"db"_s, u"pw"_s, u"sa"_s)
            << "DRIVER={ODBC Driver 18 for SQL Server};SERVER=db;DATABASE=QoRVA_Clinic;UID=sa;PWD=pw;";
        QTest::newRow("braces around what ODBC would split")
            << "Provider=SQLNCLI11;Server=db;Database=QoRVA_Clinic;User Id= sa;Password= \"a;b}c\""
            << "DRIVER={FreeTDS};SERVER=db;DATABASE=QoRVA_Clinic;UID=sa;PWD={a;b}}c};TDS_Version=7.4;";
    }

    void odbcConnectionString()
    {
        QFETCH(QString, ado);
        QFETCH(QString, odbc);
        const QString driver = odbc.section(QLatin1Char('}'), 0, 0).mid(8);
        QCOMPARE(db::odbcConnectionString(ado, driver), odbc);
    }

    void driverFromEnvironment()
    {
        qputenv("KALDEN_ODBC_DRIVER", "ODBC Driver 18 for SQL Server");
        QCOMPARE(db::odbcDriverName(), u"ODBC Driver 18 for SQL Server"_s);
        qunsetenv("KALDEN_ODBC_DRIVER");
        QCOMPARE(db::odbcDriverName(), u"FreeTDS"_s);
    }

    // The production path (QODBC, unixODBC, FreeTDS) against the TDS server in
    // front of the demo archive, with faults it is told to inject. A failed
    // statement never gives a short result; the session works again after it.
    void wireFaults_data()
    {
        QTest::addColumn<QByteArray>("faults");
        QTest::addColumn<QString>("serverText"); // what the failure says; empty: no failure
        QTest::newRow("none") << QByteArray() << QString();
        QTest::newRow("error after 2 rows")
            << QByteArray("error-after-rows 2 Tuser\n") << u"Injected failure after 2 rows."_s;
        QTest::newRow("error before the first row")
            << QByteArray("error-after-rows 0 Tuser\n") << u"Injected failure after 0 rows."_s;
        QTest::newRow("dropped after 2 rows") << QByteArray("drop-after-rows 2 Tuser\n") << u"[FreeTDS]"_s;
        // N stands for the number of rows: the fault comes after the last row.
        QTest::newRow("error after the last row")
            << QByteArray("error-after-rows N Tuser\n") << u"Injected failure after N rows."_s;
        QTest::newRow("dropped after the last row") << QByteArray("drop-after-rows N Tuser\n") << u"[FreeTDS]"_s;
        QTest::newRow("dropped between statements") << QByteArray("drop-at-batch Tuser\n") << u"[FreeTDS]"_s;
    }

    void wireFaults()
    {
        QFETCH(QByteArray, faults);
        QFETCH(QString, serverText);
        if (!wireAvailable())
            QSKIP("no TDS server or FreeTDS here");
        TestSite site;
        site.startWire();
        db::DbSession session;
        QVERIFY2(session.connect(site.dir(), site.today()), qPrintable(session.lastError()));
        const QString list = u"Select user_key, user_name From Tuser Order by user_key"_s;
        const int users = session.open(list).recordCount();
        QVERIFY(users > 3);

        faults.replace("N", QByteArray::number(users));
        serverText.replace(u" N "_s, u" %1 "_s.arg(users));
        site.setWireFaults(faults);
        try {
            const db::Recordset result = session.open(list);
            QVERIFY2(serverText.isEmpty(), "a failed result was returned as a success");
            QCOMPARE(result.recordCount(), users);
        } catch (const db::StatementError &e) {
            QVERIFY2(!serverText.isEmpty(), qPrintable(e.text()));
            QVERIFY2(e.serverText().contains(serverText), qPrintable(e.serverText()));
            QCOMPARE(e.statement(), list);
        }
        site.setWireFaults({});
        // Whatever came before, the next statement runs; a transaction too.
        QCOMPARE(session.open(list).recordCount(), users);
        {
            db::Transaction transaction(session);
            session.executeSql(u"Update Tuser Set user_name = '변경' Where user_key = 1"_s);
        }
        QVERIFY(session.queryScalar(u"Select user_name From Tuser Where user_key = 1"_s) != u"변경"_s);
        db::Transaction transaction(session);
        session.executeSql(u"Update Tuser Set user_name = '변경' Where user_key = 1"_s);
        transaction.commit();
        QCOMPARE(session.queryScalar(u"Select user_name From Tuser Where user_key = 1"_s), u"변경"_s);
    }

    // Names through varchar in code page 949: what it holds comes back as sent,
    // a character it cannot hold is stored as '?', as SQL Server stores it.
    void wireCodePage_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("stored");
        QTest::newRow("hangul") << u"홍길동"_s << u"홍길동"_s;
        QTest::newRow("syllable only in CP949") << u"똠방각하"_s << u"똠방각하"_s;
        QTest::newRow("hanja and symbols") << u"洪吉童 ㈜ ※"_s << u"洪吉童 ㈜ ※"_s;
        QTest::newRow("outside CP949") << u"Zoë 홍"_s << u"Zo? 홍"_s;
        QTest::newRow("emoji") << u"김😀"_s << u"김?"_s;
    }

    void wireCodePage()
    {
        QFETCH(QString, name);
        QFETCH(QString, stored);
        if (!wireAvailable())
            QSKIP("no TDS server or FreeTDS here");
        TestSite site;
        site.startWire();
        db::DbSession session;
        QVERIFY2(session.connect(site.dir(), site.today()), qPrintable(session.lastError()));
        const QString update = u"Update Tuser Set user_name = '%1' Where user_key = 1"_s.arg(name);
        // The tool never writes what the code page would change; sent as it stands, the server stores "?".
        if (stored != name)
            QVERIFY_THROWS_EXCEPTION(platform::Error, session.executeSql(update));
        session.open(update);
        QCOMPARE(session.queryScalar(u"Select user_name From Tuser Where user_key = 1"_s), stored);
        QCOMPARE(session.queryScalar(u"Select Count(*) From Tuser Where user_name = '%1'"_s.arg(stored)), u"1"_s);
    }

    // A wrong password gets SQL Server's login failure.
    void wireLoginRefused()
    {
        if (!wireAvailable())
            QSKIP("no TDS server or FreeTDS here");
        TestSite site;
        site.startWire();
        const QByteArray ini = site.readBytes(u"DB.ini"_s);
        site.writeBytes(u"DB.ini"_s, ini.left(ini.indexOf('\n') + 1) + "wrong\r\n");
        db::DbSession session;
        QVERIFY(!session.connect(site.dir(), site.today()));
        QVERIFY2(session.lastError().contains(u"Login failed for user 'sa'"_s), qPrintable(session.lastError()));
    }

    // A server that takes the connection but never answers must not hold the
    // tool: the login gives up after its time-out.
    void silentServerTimesOut()
    {
        if (!QSqlDatabase::isDriverAvailable(u"QODBC"_s))
            QSKIP("Qt's QODBC driver is not installed (libqt6sql6-odbc)");
        QFile drivers(u"/etc/odbcinst.ini"_s);
        if (!drivers.open(QIODevice::ReadOnly) || !drivers.readAll().contains("[FreeTDS]"))
            QSKIP("the FreeTDS ODBC driver is not registered (tdsodbc)");
        // The system completes the connection; no one ever answers on it.
        QTcpServer listener;
        QVERIFY(listener.listen(QHostAddress::LocalHost));
        const int port = listener.serverPort();

        const QString odbc =
            u"DRIVER={FreeTDS};SERVER=127.0.0.1;PORT=%1;DATABASE=QoRVA_Clinic;UID=sa;PWD=x;TDS_Version=7.4;"_s.arg(
                port);
        QElapsedTimer timer;
        timer.start();
        QString error;
        try {
            db::OdbcBackend backend(odbc, 2);
        } catch (const platform::Error &e) {
            error = e.text();
        }
        const qint64 waited = timer.elapsed();
        // The driver's own words: a login that timed out, not any other failure.
        QVERIFY2(error.contains(QLatin1String("timeout"), Qt::CaseInsensitive), qPrintable(error));
        // Two seconds asked for; the driver's default would wait far longer.
        QVERIFY2(waited < 10000, qPrintable(QString::number(waited)));
    }
};

QTEST_GUILESS_MAIN(TestConnection)
#include "test_connection.moc"

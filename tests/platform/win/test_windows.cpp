#include "db/connection.h"
#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/services.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <windows.h>

// What only Windows does: the system's code page, CreateProcessW, paths as
// they stand, the SQL Server driver.
class TestWindows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void ansiCodePageIsTheSystems()
    {
        // The suite runs with the Korean code page, as the sites do.
        QCOMPARE(GetACP(), UINT(949));
        QCOMPARE(platform::toAnsiExact(QStringLiteral("홍길동 똠")).value(),
                 QByteArray("\xC8\xAB\xB1\xE6\xB5\xBF \x8C\x63"));
        QCOMPARE(platform::fromAnsi("\xC8\xAB\xB1\xE6\xB5\xBF"), QStringLiteral("홍길동"));
        QVERIFY(!platform::toAnsiExact(QStringLiteral("\u00E9\U0001F600")));
        QCOMPARE(platform::toAnsi(QStringLiteral("a\U0001F600b")), QByteArray("a?b"));
    }

    void pathsStandUnlessARootIsGiven()
    {
        const QString control = QStringLiteral("C:\\RUDIVUV\\RUDIVUV_MWLScp\\ZORadoDidServiceControl.ini");
        QCOMPARE(platform::Paths(QStringLiteral("C:/KALDEN"), QString()).resolve(control), control);
        QCOMPARE(platform::Paths(QStringLiteral("C:/KALDEN"), QStringLiteral("C:/t")).resolve(control),
                 QStringLiteral("C:/t/c/RUDIVUV/RUDIVUV_MWLScp/ZORadoDidServiceControl.ini"));
    }

    void sqlServerDriver()
    {
        qunsetenv("KALDEN_ODBC_DRIVER");
        const QString ado =
            db::adoConnectionString(QStringLiteral("PACS01\\SQLEXPRESS"), QStringLiteral("pw"), QStringLiteral("sa"));
        QCOMPARE(db::odbcConnectionString(ado, db::odbcDriverName()),
                 QStringLiteral("DRIVER={SQL Server Native Client 11.0};SERVER=PACS01\\SQLEXPRESS;"
                                "DATABASE=QoRVA_Clinic;UID=sa;PWD=pw;"));
    }

    void startsProcesses_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("gateway command: minimised")
            << int(platform::WindowStyle::Minimised) << QByteArray("2 /F /IM ZORadoDidService.exe /T");
        QTest::newRow("folder: normal window")
            << int(platform::WindowStyle::Normal) << QByteArray("1 /F /IM ZORadoDidService.exe /T");
    }

    void startsProcesses()
    {
        QFETCH(int, style);
        QFETCH(QByteArray, expected);
        QTemporaryDir dir;
        const QString out = QDir::toNativeSeparators(dir.filePath(QStringLiteral("probe.txt")));
        const QString line = QStringLiteral("\"%1\" \"%2\" /F /IM ZORadoDidService.exe /T")
                                 .arg(QDir::toNativeSeparators(QStringLiteral(KZ_LAUNCH_PROBE)), out);
        QVERIFY(platform::startProcess(line, platform::WindowStyle(style), dir.path()));
        auto content = [&out] {
            QFile f(out);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        // Not waited for by the launcher: the probe's answer arrives shortly.
        QTRY_COMPARE_WITH_TIMEOUT(content(), expected, 20000);
    }

    void missingProgramIsPassedOver()
    {
        QVERIFY(!platform::startProcess(QStringLiteral("no-such-program-kz.exe /x"), platform::WindowStyle::Minimised,
                                        QString()));
        platform::SystemCommandLauncher launcher(QStringLiteral("C:/"));
        launcher.start(QStringLiteral("no-such-program-kz.exe /x"));
        QCOMPARE(launcher.history(), QStringList{QStringLiteral("no-such-program-kz.exe /x")});
    }
};

QTEST_GUILESS_MAIN(TestWindows)
#include "test_windows.moc"

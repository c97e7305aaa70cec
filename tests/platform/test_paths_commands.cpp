#include "platform/paths.h"
#include "platform/services.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QOperatingSystemVersion>
#include <QTemporaryDir>
#include <QTest>

class TestPathsCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void mapsWindowsPaths_data()
    {
        QTest::addColumn<QString>("windowsPath");
        QTest::addColumn<QString>("expected");
        QTest::newRow("control file") << QStringLiteral("C:\\RUDIVUV\\RUDIVUV_MWLScp\\ZORadoDidServiceControl.ini")
                                      << QStringLiteral("/root/c/RUDIVUV/RUDIVUV_MWLScp/ZORadoDidServiceControl.ini");
        QTest::newRow("folder keeps its slash")
            << QStringLiteral("C:\\RUDIVUV\\Log\\") << QStringLiteral("/root/c/RUDIVUV/Log/");
        QTest::newRow("drive letter lower-cased") << QStringLiteral("D:\\data") << QStringLiteral("/root/d/data");
        QTest::newRow("doubled separators") << QStringLiteral("C:\\A\\\\B") << QStringLiteral("/root/c/A/B");
        QTest::newRow("UNC path") << QStringLiteral("\\\\server\\share\\x")
                                  << QStringLiteral("/root/unc/server/share/x");
    }

    void mapsWindowsPaths()
    {
        QFETCH(QString, windowsPath);
        QFETCH(QString, expected);
        QCOMPARE(platform::mapWindowsPath(QStringLiteral("/root"), windowsPath), expected);
    }

    void findsExistingFoldersInOtherLetterCase()
    {
        QTemporaryDir root;
        QDir(root.path()).mkpath(QStringLiteral("c/Rudivuv/log"));
        QCOMPARE(platform::mapWindowsPath(root.path(), QStringLiteral("C:\\RUDIVUV\\Log\\")),
                 root.path() + QStringLiteral("/c/Rudivuv/log/"));
        QCOMPARE(platform::mapWindowsPath(root.path(), QStringLiteral("C:\\RUDIVUV\\Other\\")),
                 root.path() + QStringLiteral("/c/Rudivuv/Other/"));
    }

    void defaultDriveRootAndAppFiles()
    {
        const platform::Paths paths(QStringLiteral("/site"), QString());
        QCOMPARE(paths.driveRoot(), QStringLiteral("/site/drives"));
        QCOMPARE(paths.appFile(QStringLiteral("DB.ini")), QStringLiteral("/site/DB.ini"));
        QCOMPARE(paths.appFile(QStringLiteral("\\TUSERSETTING\\400-VIEWER-DLPTLS.txt")),
                 QStringLiteral("/site/TUSERSETTING/400-VIEWER-DLPTLS.txt"));
    }

    void launcherRunsSiteBinThenPath()
    {
        if (QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows)
            QSKIP("the site's stand-in commands are shell scripts; Windows starts its own commands");
        QTemporaryDir site;
        QDir(site.path()).mkpath(QStringLiteral("bin"));
        const QString script = site.filePath(QStringLiteral("bin/taskkill"));
        QFile f(script);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\necho \"$@\" >> \"$(dirname \"$0\")/../calls.log\"\n");
        f.close();
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

        platform::SystemCommandLauncher launcher(site.path());
        launcher.start(QStringLiteral("taskkill /F /IM ZORadoDidService.exe /T"));
        launcher.start(QStringLiteral("no-such-command-anywhere --x"));
        launcher.start(QStringLiteral("true"));
        QCOMPARE(launcher.history(),
                 (QStringList{QStringLiteral("taskkill /F /IM ZORadoDidService.exe /T"),
                              QStringLiteral("no-such-command-anywhere --x"), QStringLiteral("true")}));

        // The command is not waited for; its effect arrives shortly.
        const QString log = site.filePath(QStringLiteral("calls.log"));
        auto content = [&log] {
            QFile calls(log);
            return calls.open(QIODevice::ReadOnly) ? calls.readAll() : QByteArray();
        };
        QTRY_COMPARE_WITH_TIMEOUT(content(), QByteArray("/F /IM ZORadoDidService.exe /T\n"), 10000);
    }
};

QTEST_GUILESS_MAIN(TestPathsCommands)
#include "test_paths_commands.moc"

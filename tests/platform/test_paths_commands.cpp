#include "platform/paths.h"
#include "platform/services.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QOperatingSystemVersion>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestPathsCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void mapsWindowsPaths_data()
    {
        QTest::addColumn<QString>("windowsPath");
        QTest::addColumn<QString>("expected");
        QTest::newRow("control file") << u"C:\\RUDIVUV\\RUDIVUV_MWLScp\\ZORadoDidServiceControl.ini"_s
                                      << u"/root/c/RUDIVUV/RUDIVUV_MWLScp/ZORadoDidServiceControl.ini"_s;
        QTest::newRow("folder keeps its slash") << u"C:\\RUDIVUV\\Log\\"_s << u"/root/c/RUDIVUV/Log/"_s;
        QTest::newRow("drive letter lower-cased") << u"D:\\data"_s << u"/root/d/data"_s;
        QTest::newRow("doubled separators") << u"C:\\A\\\\B"_s << u"/root/c/A/B"_s;
        QTest::newRow("UNC path") << u"\\\\server\\share\\x"_s << u"/root/unc/server/share/x"_s;
    }

    void mapsWindowsPaths()
    {
        QFETCH(QString, windowsPath);
        QFETCH(QString, expected);
        QCOMPARE(platform::mapWindowsPath(u"/root"_s, windowsPath), expected);
    }

    void findsExistingFoldersInOtherLetterCase()
    {
        QTemporaryDir root;
        QDir(root.path()).mkpath(u"c/Rudivuv/log"_s);
        // Windows itself names files without regard to letter case.
        const Qt::CaseSensitivity names = QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows
                                              ? Qt::CaseInsensitive
                                              : Qt::CaseSensitive;
        const QString log = platform::mapWindowsPath(root.path(), u"C:\\RUDIVUV\\Log\\"_s);
        QVERIFY2(log.compare(root.path() + u"/c/Rudivuv/log/"_s, names) == 0, qPrintable(log));
        const QString other = platform::mapWindowsPath(root.path(), u"C:\\RUDIVUV\\Other\\"_s);
        QVERIFY2(other.compare(root.path() + u"/c/Rudivuv/Other/"_s, names) == 0, qPrintable(other));
    }

    void defaultDriveRootAndAppFiles()
    {
        const platform::Paths paths(u"/site"_s, QString());
        QCOMPARE(paths.driveRoot(), u"/site/drives"_s);
        QCOMPARE(paths.appFile(u"DB.ini"_s), u"/site/DB.ini"_s);
        QCOMPARE(paths.appFile(u"\\TUSERSETTING\\400-VIEWER-DLPTLS.txt"_s),
                 u"/site/TUSERSETTING/400-VIEWER-DLPTLS.txt"_s);
    }

    void launcherRunsSiteBinThenPath()
    {
        if (QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows)
            QSKIP("the site's stand-in commands are shell scripts; Windows starts its own commands");
        QTemporaryDir site;
        QDir(site.path()).mkpath(u"bin"_s);
        const QString script = site.filePath(u"bin/taskkill"_s);
        QFile f(script);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\necho \"$@\" >> \"$(dirname \"$0\")/../calls.log\"\n");
        f.close();
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

        platform::SystemCommandLauncher launcher(site.path());
        launcher.start(u"taskkill /F /IM ZORadoDidService.exe /T"_s);
        launcher.start(u"no-such-command-anywhere --x"_s);
        launcher.start(u"true"_s);
        QCOMPARE(launcher.history(), (QStringList{u"taskkill /F /IM ZORadoDidService.exe /T"_s,
                                                  u"no-such-command-anywhere --x"_s, u"true"_s}));

        // The command is not waited for; its effect arrives shortly.
        const QString log = site.filePath(u"calls.log"_s);
        auto content = [&log] {
            QFile calls(log);
            return calls.open(QIODevice::ReadOnly) ? calls.readAll() : QByteArray();
        };
        QTRY_COMPARE_WITH_TIMEOUT(content(), QByteArray("/F /IM ZORadoDidService.exe /T\n"), 10000);
    }
};

QTEST_GUILESS_MAIN(TestPathsCommands)
#include "test_paths_commands.moc"

#include "platform/codepage.h"
#include "platform/error.h"
#include "platform/paths.h"
#include "platform/services.h"
#include "platform/text_file.h"
#include "support/test_site.h"

#include <QDir>
#include <QFile>
#include <QOperatingSystemVersion>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;

// Text files in the code page, Windows paths on the site, and the commands the tool starts.
class TestPlatform : public QObject
{
    Q_OBJECT

    TestSite m_dir; // a folder for the files of the file tests

    QByteArray read(const QString &path) { return m_dir.readBytes(QDir(m_dir.dir()).relativeFilePath(path)); }

private Q_SLOTS:
    void lineEnds_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty file") << QByteArray() << QStringList();
        QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("lone CR ends a line") << QByteArray("a\rb\r") << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("lone LF stays in the text") << QByteArray("a\nb\nc\n") << QStringList{u"a\nb\nc\n"_s};
        QTest::newRow("last line without end") << QByteArray("a\r\nb") << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("empty lines kept") << QByteArray("\r\n\r\nx\r\n") << QStringList{u""_s, u""_s, u"x"_s};
        QTest::newRow("LF CR is LF then a line end") << QByteArray("a\n\rb") << QStringList{u"a\n"_s, u"b"_s};
        QTest::newRow("blanks kept") << QByteArray("  a  \r\n") << QStringList{u"  a  "_s};
        QTest::newRow("one empty line") << QByteArray("\r\n") << QStringList{u""_s};
        QTest::newRow("Korean in CP949") << QByteArray("\xC7\xD1\xB1\xDB=\x8C\x63 \xC8\xAB\r\n\xB1\xE8\r\n")
                                         << QStringList{u"한글=똠 홍"_s, u"김"_s};
        // Read as a broken character, not dropped, so that a rewrite refuses the file.
        QTest::newRow("double-byte character cut at the line end")
            << QByteArray("\xC7\xD1\xB1\r\n\xB1") << QStringList{u"한\uFFFD"_s, u"\uFFFD"_s};
    }

    void lineEnds()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        const QString path = m_dir.writeBytes(u"lines.txt"_s, bytes);
        QCOMPARE(platform::readLines(path), lines);
        QString whole;
        for (const QString &line : lines)
            whole += line + u"\r\n"_s;
        QCOMPARE(platform::readTextFile(path), whole);
        // Written back, the lines come out as CR LF lines, one line end after the last.
        if (lines.isEmpty() || whole.contains(QChar::ReplacementCharacter))
            return;
        platform::writeTextFile(path, platform::joinCrLf(lines));
        QCOMPARE(read(path), platform::toCp949(whole).value());
    }

    void encodings_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("cp949"); // empty: cannot be written
        QTest::addColumn<bool>("eucKr");
        QTest::newRow("ASCII") << u"CT01^A"_s << QByteArray("CT01^A") << true;
        QTest::newRow("KS X 1001") << u"홍길동"_s << QByteArray("\xC8\xAB\xB1\xE6\xB5\xBF") << true;
        QTest::newRow("CP949 only") << u"똠"_s << QByteArray("\x8C\x63") << false;
        QTest::newRow("mixed, CP949 only at the end") << u"김똠"_s << QByteArray("\xB1\xE8\x8C\x63") << false;
        QTest::newRow("outside CP949") << u"\U0001F600"_s << QByteArray() << false;
        QTest::newRow("half a surrogate pair") << u"홍"_s + QChar(0xd83d) + u"="_s << QByteArray() << false;
    }

    void encodings()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, cp949);
        QFETCH(bool, eucKr);
        const std::optional<QByteArray> encoded = platform::toCp949(text);
        QCOMPARE(encoded.has_value(), !cp949.isEmpty());
        if (!encoded)
            return;
        QCOMPARE(*encoded, cp949);
        QCOMPARE(platform::fromCp949(cp949), text);
        QCOMPARE(platform::toEucKr(text).has_value(), eucKr);
    }

    void failedWriteLeavesOldFileWhole()
    {
        const QByteArray original("CustomAETitle=CT01^^VMWL_KK_CT01^^^^||\r\nLogLevel=2\r\n");
        const QString path = m_dir.writeBytes(u"keep.ini"_s, original);
        // A character the code page cannot hold must not turn into '?' in the
        // site's configuration.
        QVERIFY_THROWS_EXCEPTION(platform::Error, platform::writeTextFile(path, u"CustomAETitle=\U0001F600^^X"_s));
        QCOMPARE(read(path), original);
        QCOMPARE(QDir(m_dir.dir()).entryList(QDir::Files | QDir::Hidden).filter(u"keep"_s), QStringList{u"keep.ini"_s});
    }

    void missingFilesAndFoldersAreNamed()
    {
        const QString folder = m_dir.file(u"no/such/folder/file.ini"_s);
        const QString file = m_dir.file(u"missing.txt"_s);
        for (const auto &[path, call] :
             {std::pair<QString, std::function<void()>>{folder, [&] { platform::writeTextFile(folder, u"x"_s); }},
              {file, [&] { platform::readTextFile(file); }}}) {
            try {
                call();
                QFAIL("no error");
            } catch (const platform::Error &e) {
                QVERIFY2(e.text().contains(path), qPrintable(e.text()));
            }
        }
    }

    void replacesFileHeldOpen()
    {
        // A reader that opened the old file (the gateway) keeps the old content:
        // the new text arrives as a new file renamed over it. Windows refuses
        // that while the file is held: then nothing changes and the operator
        // is told why.
        const QString path = m_dir.writeBytes(u"atomic.ini"_s, "OLD\r\n");
        QFile reader(path);
        QVERIFY(reader.open(QIODevice::ReadOnly));
        if (QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows) {
            try {
                platform::writeTextFile(path, u"NEW"_s);
                QFAIL("no error");
            } catch (const platform::Error &e) {
                QVERIFY2(e.text().contains(u"다른 프로그램이 파일을 사용하고"_s), qPrintable(e.text()));
            }
            reader.close();
            QCOMPARE(read(path), QByteArray("OLD\r\n"));
            QCOMPARE(QDir(m_dir.dir()).entryList(QDir::Files | QDir::Hidden).filter(u"atomic"_s),
                     QStringList{u"atomic.ini"_s});
            platform::writeTextFile(path, u"NEW"_s);
        } else {
            platform::writeTextFile(path, u"NEW"_s);
            QCOMPARE(reader.readAll(), QByteArray("OLD\r\n"));
        }
        QCOMPARE(read(path), QByteArray("NEW\r\n"));
    }

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
        QTest::newRow("no way above the drive") << u"C:\\..\\..\\etc\\.\\"_s << u"/root/c/etc/"_s;
        QTest::newRow("a step back inside") << u"C:\\A\\.\\B\\..\\C"_s << u"/root/c/A/C"_s;
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

    void launcherRunsSiteBinThenPath()
    {
        if (QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows)
            QSKIP("the site's stand-in commands are shell scripts; Windows starts its own commands");
        TestSite site;
        QFile::setPermissions(
            site.writeBytes(
                u"bin/taskkill"_s,
                "#!/bin/sh\necho \"$@\" \"${KZ_ISSUED_NS:+stamped}\" >> \"$(dirname \"$0\")/../calls.log\"\n"),
            QFileDevice::ReadOwner | QFileDevice::ExeOwner);

        platform::SystemCommandLauncher launcher(site.dir());
        launcher.start(u"taskkill /F /IM ZORadoDidService.exe /T"_s);
        launcher.start(u"no-such-command-anywhere --x"_s);
        launcher.start(u"true"_s);
        QCOMPARE(launcher.history(), (QStringList{u"taskkill /F /IM ZORadoDidService.exe /T"_s,
                                                  u"no-such-command-anywhere --x"_s, u"true"_s}));

        // The command is not waited for; its effect arrives shortly. It knows when it was issued.
        QTRY_COMPARE_WITH_TIMEOUT(site.readBytes(u"calls.log"_s),
                                  QByteArray("/F /IM ZORadoDidService.exe /T stamped\n"), 10000);
    }

    // Stops and starts run side by side and may reach the gateway out of
    // order; the site's stand-ins do them as issued.
    void standInsKeepTheOrderIssued()
    {
        if (QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows)
            QSKIP("Windows' own taskkill and net stop and start the service");
        TestSite site;
        QFile::setPermissions(site.writeBytes(u"bin/ZORadoDidService"_s, "#!/bin/sh\nexec sleep 60\n"),
                              QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        const auto run = [&](const QString &command, const QStringList &arguments, qint64 issued) {
            QProcess p;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(u"KZ_ISSUED_NS"_s, QString::number(issued));
            p.setProcessEnvironment(environment);
            p.start(site.file(u"bin/"_s + command), arguments);
            QVERIFY(p.waitForFinished(30000));
        };
        const auto running = [&] {
            const QByteArray pid = site.readBytes(u"ZORadoDidService.pid"_s).trimmed();
            return !pid.isEmpty() && QProcess::execute(u"kill"_s, {u"-0"_s, QString::fromLatin1(pid)}) == 0;
        };
        const QStringList stop{u"/F"_s, u"/IM"_s, u"ZORadoDidService.exe"_s, u"/T"_s};
        run(u"net"_s, {u"start"_s, u"KALDEN1"_s}, 20);
        run(u"taskkill"_s, stop, 10); // issued before the start, arrived after it
        QVERIFY(running());
        run(u"taskkill"_s, stop, 30);
        QVERIFY(!running());
        run(u"net"_s, {u"start"_s, u"KALDEN1"_s}, 25);
        QVERIFY(!running());
    }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "test_platform.moc"

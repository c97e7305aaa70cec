#include "test_site.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include "platform/error.h"

#ifdef Q_OS_WIN
#include "support/poll.h"

#include <string>

#include <windows.h>
#endif

static void copyTree(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString relative = QDir(from).relativeFilePath(source);
        if (relative == QLatin1String("archive.db") || relative.startsWith(QLatin1String("archive.db-")))
            continue;
        const QString target = QDir(to).filePath(relative);
        if (it.fileInfo().isDir()) {
            QDir().mkpath(target);
        } else {
            QDir().mkpath(QFileInfo(target).path());
            QFile::copy(source, target);
            QFile::setPermissions(target, QFileInfo(source).permissions() | QFileDevice::WriteOwner);
        }
    }
}

TestSite::TestSite(const QDate &today) : m_temp(std::make_unique<QTemporaryDir>()), m_today(today)
{
    m_dirPath = m_temp->path();
    copyTree(siteSource(), m_dirPath);
    if (wireRun())
        startWire();
}

TestSite::~TestSite()
{
    // A server that outlives its site is a fault of the test that made it.
    if (wire() && !stopServer())
        QTest::qFail("the TDS server did not stop with its site", __FILE__, __LINE__);
}

void TestSite::startWire()
{
    if (wire())
        return;
    const QByteArray ini = readBytes(QStringLiteral("DB.ini"));
    QDir().mkpath(file(QStringLiteral(".wire")));
    writeBytes(QStringLiteral(".wire/DB.ini"), ini);
    writeBytes(QStringLiteral(".wire/faults"), QByteArray());
    m_wirePort = startServer();
    writeWireDbIni(ini);
}

#if defined(KZ_TDS_SERVER)

int TestSite::startServer()
{
    auto server = std::make_unique<QProcess>();
    server->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server->start(QStringLiteral(KZ_TDS_SERVER),
                  {QStringLiteral("--app-dir"), m_dirPath, QStringLiteral("--db-ini"),
                   file(QStringLiteral(".wire/DB.ini")), QStringLiteral("--faults"),
                   file(QStringLiteral(".wire/faults")), QStringLiteral("--today"), m_today.toString(Qt::ISODate)});
    QByteArray line;
    while (!line.contains('\n') && server->waitForReadyRead(10000))
        line += server->readAll();
    if (!line.startsWith("listening "))
        throw platform::Error(QStringLiteral("the TDS server did not start"));
    m_wire = std::move(server);
    return line.mid(10).trimmed().toInt();
}

bool TestSite::stopServer()
{
    // The server ends when its input closes.
    m_wire->closeWriteChannel();
    if (m_wire->state() == QProcess::NotRunning || m_wire->waitForFinished(5000))
        return true;
    m_wire->kill();
    m_wire->waitForFinished(5000);
    return false;
}

#elif defined(Q_OS_WIN)

// Under Wine a Windows program may start a Linux one: the server is the Linux
// build's and its paths are Unix paths. Wine hands it no pipe: its input and
// output only as files, and only from a starter that allows it a console; its
// standard error stays the test's own (which CTest waits on), so the server
// writes its log itself. It prints to a file and lives while a file of the
// site's exists. Wine's kernel32 converts the paths; a real Windows has no such
// functions and no such server.
namespace {

template <class Function> Function wineFunction(const char *name)
{
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto function =
        kernel ? reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(kernel, name))) : nullptr;
    if (!function)
        throw platform::Error(QStringLiteral("the TDS server runs only under Wine"));
    return function;
}

QString unixPath(const QString &windowsPath)
{
    using Convert = char *(CDECL *)(LPCWSTR);
    const std::wstring path = QDir::toNativeSeparators(windowsPath).toStdWString();
    char *converted = wineFunction<Convert>("wine_get_unix_file_name")(path.c_str());
    if (!converted)
        throw platform::Error(QStringLiteral("no Unix path for %1").arg(windowsPath));
    const QString result = QString::fromUtf8(converted);
    HeapFree(GetProcessHeap(), 0, converted);
    return result;
}

QString dosPath(const QString &unixPath)
{
    using Convert = WCHAR *(CDECL *)(LPCSTR);
    WCHAR *converted = wineFunction<Convert>("wine_get_dos_file_name")(unixPath.toUtf8().constData());
    if (!converted)
        throw platform::Error(QStringLiteral("no Windows path for %1").arg(unixPath));
    const QString result = QString::fromWCharArray(converted);
    HeapFree(GetProcessHeap(), 0, converted);
    return result;
}

// Reads `relative` until it holds `text` or `seconds` pass; `seen` gets the last reading.
bool waitForText(const TestSite &site, const QString &relative, const QByteArray &text, int seconds,
                 QByteArray *seen = nullptr)
{
    const poll::Seen read =
        poll::until([&] { return QString::fromLatin1(site.readBytes(relative)); },
                    [&](const QString &bytes) { return bytes.contains(QLatin1String(text)); }, seconds, 10);
    if (seen)
        *seen = read.last.toLatin1();
    return read.ok;
}

} // namespace

int TestSite::startServer()
{
    const QString server = qEnvironmentVariable("KZ_TDS_SERVER");
    if (server.isEmpty())
        throw platform::Error(QStringLiteral("no TDS server named (KZ_TDS_SERVER)"));
    writeBytes(QStringLiteral(".wire/running"), QByteArray());
    QProcess process;
    process.setProgram(dosPath(server));
    process.setArguments({QStringLiteral("--app-dir"), unixPath(m_dirPath), QStringLiteral("--db-ini"),
                          unixPath(file(QStringLiteral(".wire/DB.ini"))), QStringLiteral("--faults"),
                          unixPath(file(QStringLiteral(".wire/faults"))), QStringLiteral("--today"),
                          m_today.toString(Qt::ISODate), QStringLiteral("--while-exists"),
                          unixPath(file(QStringLiteral(".wire/running"))), QStringLiteral("--log"),
                          unixPath(file(QStringLiteral(".wire/server.log")))});
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(file(QStringLiteral(".wire/out")));
    // Without a console of its own Wine hands the program no standard handles.
    process.setCreateProcessArgumentsModifier(
        [](QProcess::CreateProcessArguments *arguments) { arguments->flags &= ~DWORD(CREATE_NO_WINDOW); });
    if (!process.startDetached())
        throw platform::Error(QStringLiteral("the TDS server did not start: %1").arg(process.errorString()));
    QByteArray out;
    if (!waitForText(*this, QStringLiteral(".wire/out"), "\n", 10, &out) || !out.startsWith("listening ")) {
        QFile::remove(file(QStringLiteral(".wire/running")));
        throw platform::Error(QStringLiteral("the TDS server did not start: %1")
                                  .arg(QString::fromUtf8(readBytes(QStringLiteral(".wire/server.log")))));
    }
    return out.mid(10, out.indexOf('\n') - 10).trimmed().toInt();
}

bool TestSite::stopServer()
{
    QFile::remove(file(QStringLiteral(".wire/running")));
    return waitForText(*this, QStringLiteral(".wire/out"), "\nstopped\n", 5);
}

#else

int TestSite::startServer()
{
    throw platform::Error(QStringLiteral("no TDS server on this system"));
}

bool TestSite::stopServer()
{
    return true;
}

#endif

void TestSite::writeWireDbIni(const QByteArray &embeddedIni) const
{
    writeBytes(QStringLiteral(".wire/DB.ini"), embeddedIni);
    const qsizetype end = embeddedIni.indexOf('\n');
    const QByteArray rest = end < 0 ? QByteArray("\r\n") : embeddedIni.mid(end + 1);
    QFile f(file(QStringLiteral("DB.ini")));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write("127.0.0.1," + QByteArray::number(m_wirePort) + "\r\n" + rest);
}

void TestSite::setWireFaults(const QByteArray &lines) const
{
    if (wire())
        writeBytes(QStringLiteral(".wire/faults"), lines);
}

QString TestSite::file(const QString &relative) const
{
    return QDir(m_dirPath).filePath(relative);
}

QString TestSite::writeBytes(const QString &relative, const QByteArray &bytes) const
{
    const QString path = file(relative);
    if (wire() && relative == QLatin1String("DB.ini") && bytes.startsWith("embedded:")) {
        writeWireDbIni(bytes);
        return path;
    }
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
    return path;
}

QByteArray TestSite::readBytes(const QString &relative) const
{
    QFile f(file(relative));
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

QString TestSite::testData(const QString &relative)
{
    return QDir(QStringLiteral(KZ_TEST_DATA_DIR)).filePath(relative);
}

#include "test_site.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include "platform/error.h"

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
    if (m_wire) {
        // The server ends when its input closes.
        m_wire->closeWriteChannel();
        if (!m_wire->waitForFinished(5000))
            m_wire->kill();
        m_wire->waitForFinished(5000);
    }
}

void TestSite::startWire()
{
#ifdef KZ_TDS_SERVER
    if (m_wire)
        return;
    const QByteArray ini = readBytes(QStringLiteral("DB.ini"));
    QDir().mkpath(file(QStringLiteral(".wire")));
    writeBytes(QStringLiteral(".wire/DB.ini"), ini);
    writeBytes(QStringLiteral(".wire/faults"), QByteArray());
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
    m_wirePort = line.mid(10).trimmed().toInt();
    m_wire = std::move(server);
    writeWireDbIni(ini);
#else
    throw platform::Error(QStringLiteral("no TDS server on this system"));
#endif
}

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
    if (m_wire)
        writeBytes(QStringLiteral(".wire/faults"), lines);
}

QString TestSite::file(const QString &relative) const
{
    return QDir(m_dirPath).filePath(relative);
}

QString TestSite::writeBytes(const QString &relative, const QByteArray &bytes) const
{
    const QString path = file(relative);
    if (m_wire && relative == QLatin1String("DB.ini") && bytes.startsWith("embedded:")) {
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

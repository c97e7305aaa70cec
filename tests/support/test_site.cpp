#include "test_site.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

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
}

QString TestSite::file(const QString &relative) const
{
    return QDir(m_dirPath).filePath(relative);
}

QString TestSite::writeBytes(const QString &relative, const QByteArray &bytes) const
{
    const QString path = file(relative);
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

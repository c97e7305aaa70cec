#include "log_files.h"

#include "platform/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace gatewaylog {

QStringList folderFiles(const QString &folder, const QString &shownAs)
{
    const QDir dir(folder);
    if (!QFileInfo(folder).isDir())
        throw platform::Error(QStringLiteral("로그 폴더가 없습니다: %1")
                                  .arg(shownAs.isEmpty() ? QDir::toNativeSeparators(folder) : shownAs));
    return dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name | QDir::IgnoreCase);
}

QStringList gatewayLogFiles(const QStringList &files, const QString &gatewayName)
{
    QStringList logs;
    for (const QString &name : files) {
        if (name.contains(gatewayName, Qt::CaseSensitive))
            logs.append(name);
    }
    return logs;
}

void readLogs(const QString &folder, const QStringList &files, MarkedLineReader &reader,
              const MarkedLineReader::LineHandler &onLine, const std::function<void(int, qint64, qint64)> &progress)
{
    const QDir dir(folder);
    qint64 total = 0;
    for (const QString &name : files)
        total += QFileInfo(dir.filePath(name)).size();
    qint64 done = 0;
    int index = 0;
    for (const QString &name : files) {
        ++index;
        // Only a plain file holds a log: a pipe or a device named like one would wait for a writer, or never end.
        const QFileInfo info(dir.filePath(name));
        if (info.exists() && !info.isFile())
            continue;
        QFile file(dir.filePath(name));
        // A file removed since the folder was listed (the gateway's own clean-up, "로그 삭제" in another
        // window) has nothing left to read; one that is there but cannot be opened is a failure.
        if (!file.open(QIODevice::ReadOnly) && !file.exists())
            continue;
        if (!file.isOpen())
            throw platform::Error(QStringLiteral("로그 파일을 열 수 없습니다: %1 (%2)")
                                      .arg(QDir::toNativeSeparators(file.fileName()), file.errorString()));
        done += reader.read(file, onLine, [&](qint64 bytes) {
            if (progress)
                progress(index, done + bytes, qMax(total, done + bytes));
        });
    }
}

bool isDeletableLog(const QString &windowsFolder, const QString &fileName)
{
    QString path = windowsFolder;
    if (!path.endsWith(QLatin1Char('\\')))
        path += QLatin1Char('\\');
    return (path + fileName).toUpper().contains(QLatin1String("ZORADODID"));
}

void deleteLogs(const QString &folder, const QString &windowsFolder)
{
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted)) {
        if (isDeletableLog(windowsFolder, name))
            QFile::remove(dir.filePath(name));
    }
}

} // namespace gatewaylog

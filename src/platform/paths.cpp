#include "paths.h"

#include <QDir>
#include <QFileInfo>

namespace platform {

Paths::Paths(QString appDir, QString driveRoot)
    : m_appDir(std::move(appDir)), m_driveRoot(std::move(driveRoot)), m_driveRootGiven(!m_driveRoot.isEmpty())
{
    if (m_driveRoot.isEmpty())
        m_driveRoot = QDir(m_appDir).filePath(QStringLiteral("drives"));
}

QString Paths::appFile(const QString &relative) const
{
    QString r = relative;
    r.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (r.startsWith(QLatin1Char('/')))
        r.remove(0, 1);
    return QDir(m_appDir).filePath(r);
}

static QString matchComponent(const QString &dir, const QString &name)
{
    if (name.isEmpty() || QFileInfo::exists(dir + QLatin1Char('/') + name))
        return name;
    const QStringList entries =
        QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return name;
}

QString mapWindowsPath(const QString &driveRoot, const QString &windowsPath)
{
    QString p = windowsPath;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QString base = driveRoot;
    if (p.size() >= 2 && p.at(1) == QLatin1Char(':') && p.at(0).isLetter()) {
        base = driveRoot + QLatin1Char('/') + p.at(0).toLower();
        p = p.mid(2);
    } else if (p.startsWith(QLatin1String("//"))) {
        base = driveRoot + QLatin1String("/unc");
        p = p.mid(2);
    }
    const bool trailingSlash = p.endsWith(QLatin1Char('/'));
    // "." and ".." as Windows reads them: ".." above the drive's root stays at the root.
    QStringList parts;
    for (const QString &part : p.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("..")) {
            if (!parts.isEmpty())
                parts.removeLast();
        } else if (part != QLatin1String("."))
            parts.append(part);
    }
    QString result = base;
    for (const QString &part : std::as_const(parts))
        result += QLatin1Char('/') + matchComponent(result, part);
    if (trailingSlash)
        result += QLatin1Char('/');
    return result;
}

} // namespace platform

#include "control_file.h"

namespace worklist::control {

namespace {
const QString kSeparator = QStringLiteral("^^");
const QString kEntryEnd = QStringLiteral("^^^^||");
} // namespace

bool isDeviceListLine(const QString &line)
{
    return line.toUpper().contains(QLatin1String("USTOMAETITLE"));
}

bool isFcrFlagLine(const QString &line)
{
    return line.toUpper().contains(QLatin1String("FCR_XG5000"));
}

QString deviceEntry(const QString &aeTitle, const QString &viewName)
{
    return aeTitle + kSeparator + viewName + kEntryEnd;
}

QStringList registerDevice(const QStringList &lines, const QString &aeTitle, const QString &viewName, bool fcrXg5000)
{
    QStringList result;
    result.reserve(lines.size());
    for (const QString &line : lines) {
        if (isDeviceListLine(line)) {
            const bool listed = line.contains(QLatin1Char('=') + aeTitle + kSeparator) ||
                                line.contains(QLatin1String("||") + aeTitle + kSeparator);
            result.append(listed ? line : line + deviceEntry(aeTitle, viewName));
        } else if (isFcrFlagLine(line)) {
            const bool set = fcrXg5000 && line.toUpper().contains(QLatin1String("FCR_XG5000=0"));
            result.append(set ? QStringLiteral("FCR_XG5000=1") : line);
        } else {
            result.append(line);
        }
    }
    return result;
}

// The entries of a device-list line begin after its first "=" and each ends
// with "||"; whatever does not end so is kept as it stands.
static QString withoutEntries(const QString &line, const QStringList &unwanted)
{
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0)
        return line;
    QString result = line.left(eq + 1);
    const QString list = line.mid(eq + 1);
    qsizetype start = 0;
    while (start < list.size()) {
        const qsizetype end = list.indexOf(QLatin1String("||"), start);
        if (end < 0) {
            result += list.mid(start);
            break;
        }
        const QString entry = list.mid(start, end + 2 - start);
        bool drop = false;
        for (const QString &u : unwanted)
            drop = drop || entry.compare(u, Qt::CaseInsensitive) == 0;
        if (!drop)
            result += entry;
        start = end + 2;
    }
    return result;
}

QStringList removeDevice(const QStringList &lines, const QString &aeTitle, const QString &viewName,
                         const QString &olderName)
{
    // A device listed under its older name alone still has that view to query:
    // its entry goes only together with the entry of the view just dropped.
    const QString listed = aeTitle + kSeparator + viewName;
    const QStringList unwanted{deviceEntry(aeTitle, viewName), deviceEntry(aeTitle, olderName)};
    QStringList result;
    result.reserve(lines.size());
    for (const QString &line : lines) {
        const bool drop = isDeviceListLine(line) && line.contains(listed, Qt::CaseInsensitive);
        result.append(drop ? withoutEntries(line, unwanted) : line);
    }
    return result;
}

QString olderViewName(const QString &viewName)
{
    QString older = viewName;
    older.replace(QLatin1String("_KK_"), QLatin1String("_K_"));
    older.replace(QLatin1String("_KE_"), QLatin1String("_K_"));
    older.replace(QLatin1String("_EK_"), QLatin1String("_E_"));
    older.replace(QLatin1String("_EE_"), QLatin1String("_E_"));
    return older;
}

} // namespace worklist::control

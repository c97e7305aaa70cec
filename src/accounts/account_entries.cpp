#include "account_entries.h"

#include "platform/error.h"

namespace accounts {

QString levelCaption(const QString &levelKey)
{
    QString caption = levelKey;
    caption.replace(QStringLiteral("400"), QStringLiteral("판독"));
    caption.replace(QStringLiteral("200"), QStringLiteral("판독"));
    caption.replace(QStringLiteral("300"), QStringLiteral("촬영"));
    caption.replace(QStringLiteral("100"), QStringLiteral("조회"));
    caption.replace(QStringLiteral("110"), QStringLiteral("조회"));
    return caption;
}

QString sourceEntry(const QString &key, const QString &userId, const QString &userName, const QString &levelKey)
{
    return key + QStringLiteral(" | ") + userId + QStringLiteral(" | ") + userName + QStringLiteral("| ") +
           levelCaption(levelKey);
}

QString targetEntry(const QString &key, const QString &userId, const QString &userName, const QString &levelKey)
{
    const QString gap = QStringLiteral("     |  ");
    return key + gap + userId + gap + userName + gap + levelCaption(levelKey);
}

QString groupEntry(const QString &groupKey, const QString &groupName)
{
    return groupKey + QLatin1Char('_') + groupName;
}

static qint32 toKey(const QString &text, const QString &entry)
{
    bool ok = false;
    const qint32 key = text.trimmed().toInt(&ok);
    if (!ok)
        throw platform::Error(QStringLiteral("항목에서 키를 읽을 수 없습니다: \"%1\"").arg(entry));
    return key;
}

QString keyText(const QString &value)
{
    return QString::number(toKey(value, value));
}

qint32 keyValue(const QString &value)
{
    return toKey(value, value);
}

qint32 accountKeyOf(const QString &entry)
{
    const qsizetype bar = entry.indexOf(QLatin1Char('|'));
    if (bar < 0)
        throw platform::Error(QStringLiteral("항목에서 키를 읽을 수 없습니다: \"%1\"").arg(entry));
    return toKey(entry.left(qMax<qsizetype>(bar - 1, 0)), entry);
}

qint32 groupKeyOf(const QString &entry)
{
    const qsizetype underscore = entry.indexOf(QLatin1Char('_'));
    return toKey(underscore < 0 ? entry : entry.left(underscore), entry);
}

QString groupNameOf(const QString &entry)
{
    const qsizetype underscore = entry.indexOf(QLatin1Char('_'));
    return underscore < 0 ? QString() : entry.mid(underscore + 1);
}

QString levelCaptionOf(const QString &targetEntry)
{
    return targetEntry.right(2).trimmed();
}

bool listedAsSource(int row)
{
    return row >= 1;
}

bool listedAsTarget(int row)
{
    return row >= 2;
}

} // namespace accounts

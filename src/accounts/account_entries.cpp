#include "account_entries.h"

#include "platform/error.h"

#include <QRegularExpression>

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

QString accountLabelOf(const QString &entry)
{
    QStringList fields = entry.split(QLatin1Char('|'));
    if (fields.size() > 1)
        fields.removeLast(); // the level
    for (QString &field : fields)
        field = field.trimmed();
    fields.removeAll(QString());
    return fields.join(QLatin1Char(' '));
}

QString tableOf(const QString &statement)
{
    static const QRegularExpression patterns[] = {
        QRegularExpression(QStringLiteral(R"(\bInsert\s+Into\s+([\w.]+))"), QRegularExpression::CaseInsensitiveOption),
        QRegularExpression(QStringLiteral(R"(\bDelete\s+(?:From\s+)?([\w.]+))"),
                           QRegularExpression::CaseInsensitiveOption),
        QRegularExpression(QStringLiteral(R"(\bFrom\s+([\w.]+))"), QRegularExpression::CaseInsensitiveOption),
    };
    for (const QRegularExpression &pattern : patterns) {
        const QRegularExpressionMatch match = pattern.match(statement);
        if (match.hasMatch())
            return match.captured(1);
    }
    return QString();
}

QString copyStopped(const QString &operation, const CopyStop &stop)
{
    const QString crlf = QStringLiteral("\r\n");
    const QString none = QStringLiteral("없음");
    QString text =
        QStringLiteral("%1: %2 계정의 %3 처리 중 데이터베이스 오류가 발생해 작업을 중단했습니다.")
            .arg(operation, stop.failed, stop.failedTable.isEmpty() ? QStringLiteral("자료") : stop.failedTable);
    text +=
        crlf + QStringLiteral("완료된 계정: ") + (stop.done.isEmpty() ? none : stop.done.join(QStringLiteral(", ")));
    if (!stop.failedPartsDone.isEmpty())
        text += crlf + QStringLiteral("%1 계정에서 완료된 그룹: %2")
                           .arg(stop.failed, stop.failedPartsDone.join(QStringLiteral(", ")));
    QStringList notDone{stop.failed};
    notDone += stop.notReached;
    text += crlf + QStringLiteral("처리하지 못한 계정: ") + notDone.join(QStringLiteral(", "));
    return text;
}

} // namespace accounts

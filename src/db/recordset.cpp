#include "recordset.h"

#include "platform/error.h"

namespace db {

Recordset::Recordset(QStringList columns, std::vector<QVariantList> rows)
    : m_columns(std::move(columns)), m_rows(std::move(rows))
{
}

int Recordset::indexOf(const QString &name) const
{
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_columns.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int Recordset::requireIndex(const QString &name) const
{
    const int i = indexOf(name);
    if (i < 0)
        throw platform::Error(QStringLiteral("결과에 %1 열이 없습니다.").arg(name));
    return i;
}

QVariant Recordset::field(int index) const
{
    if (eof())
        throw platform::Error(QStringLiteral("결과의 마지막 행을 지나 읽으려 했습니다."));
    const QVariantList &row = m_rows.at(m_position);
    if (index < 0 || index >= row.size())
        throw platform::Error(QStringLiteral("결과에 %1번째 열이 없습니다.").arg(index));
    return row.at(index);
}

QVariant Recordset::field(const QString &name) const
{
    return field(requireIndex(name));
}

QString Recordset::text(int index) const
{
    return valueText(field(index));
}

QString valueText(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QString();
    switch (value.typeId()) {
    case QMetaType::Double: {
        const double d = value.toDouble();
        return QString::number(d, 'g', 15);
    }
    case QMetaType::QByteArray:
        return QString::fromUtf8(value.toByteArray());
    default:
        return value.toString();
    }
}

} // namespace db

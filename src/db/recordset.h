#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <vector>

namespace db {

// A result set fetched whole when it is opened (the client-side cursor), so its
// row count is known before any row is read. A NULL field is an invalid
// QVariant, told apart from empty text.
class Recordset final
{
public:
    Recordset() = default;
    Recordset(QStringList columns, std::vector<QVariantList> rows);

    int recordCount() const { return static_cast<int>(m_rows.size()); }
    bool eof() const { return m_position >= m_rows.size(); }
    void moveNext() { ++m_position; }
    void moveFirst() { m_position = 0; }

    int fieldCount() const { return static_cast<int>(m_columns.size()); }
    const QStringList &columnNames() const { return m_columns; }
    // Index of a column by name, letter case ignored; -1 when there is none.
    int indexOf(const QString &name) const;

    // Fields of the current row. Reading past the end, or a field that does not
    // exist, throws platform::Error.
    QVariant field(int index) const;
    QVariant field(const QString &name) const;
    bool isNull(int index) const { return !field(index).isValid() || field(index).isNull(); }
    bool isNull(const QString &name) const { return isNull(requireIndex(name)); }
    // The field as text; NULL gives empty text.
    QString text(int index) const;
    QString text(const QString &name) const { return text(requireIndex(name)); }

    const std::vector<QVariantList> &rows() const { return m_rows; }

private:
    int requireIndex(const QString &name) const;

    QStringList m_columns;
    std::vector<QVariantList> m_rows;
    size_t m_position = 0;
};

// The text a database value shows: numbers in plain decimal, NULL as empty text.
QString valueText(const QVariant &value);

} // namespace db

#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Reads a worklist view back into the builder's fields: the AE title and the
// kind from the view's name, the rest from the lines of its definition that
// the builder writes. Nothing here parses SQL: every value is found by plain
// substring search, line by line.
namespace worklist::reader {

// The AE title in a view's name: after "VMWL_K_" or "VMWL_KK_", every "1_1"
// read back as "-".
QString titleOf(const QString &viewName);

// The kind's caption the name stands for, and whether the exam-name cut is
// then offered (checked and enabled) or not (cleared and disabled). A name
// with none of the kind markers stands for the base-data kind and leaves the
// cut as it is (cut is empty).
struct KindReading
{
    QString caption;
    std::optional<bool> cut;
};
KindReading kindOf(const QString &viewName);

// The value between the first quote of a line and the quote that closes it
// (a doubled quote inside is one quote); nothing when the line has no such value.
std::optional<QString> quotedValue(const QString &line);
// The text between the first quote and the first ")" after the quoted items,
// without their quotes; nothing when the line has no such list.
std::optional<QString> listValue(const QString &line);

struct DefinitionReading
{
    std::optional<QString> stationAe;       // Text5
    std::optional<QString> deviceModality;  // Text6
    std::optional<QString> orderModalities; // Text3
    std::optional<QString> orderCodes;      // Text4
    std::optional<bool> excludeCodes;       // Check9
    std::optional<QString> characterSet;    // Combo2
};

// The lines of a definition from the rows the server returns it in: the
// server cuts a long line into several rows and keeps each line's end on its
// last row, so the rows are joined and split again at the line ends (CR LF, or
// a bare LF or CR), whatever the rows' length.
QStringList definitionLines(const QStringList &rows);

// Every line is tested; a value found on a later line replaces an earlier one.
DefinitionReading readDefinition(const QStringList &lines);

} // namespace worklist::reader

#pragma once

#include <QString>
#include <QStringList>

namespace worklist {

// What the builder's fields hold when "DB 등록" is pressed.
struct ViewFields
{
    QString stationAe;       // Text5
    QString deviceModality;  // Text6, already in upper case
    QString orderModalities; // Text3, already in upper case; "," between
    QString orderCodes;      // Text4; "," between
    int excludeCodes = 0;    // Check9
    QString characterSet;    // Combo2
    QString kindCaption;     // Combo3
    int codeMapping = 0;     // Check7
    QString codeMappingText; // Text13
    int cutExamName = 0;     // Check11
    QString cutStart;        // Text14
    QString cutLength;       // Text15
};

// "Create View NAME(" or "Alter View NAME(".
QString viewHeader(bool alter, const QString &viewName);

// One template line as it goes into the statement: the line itself, or what
// its marker is replaced by.
QString generateLine(const QString &line, const ViewFields &fields);

// The modality and code filter lines that follow the template (none, one or two).
QStringList filterLines(const ViewFields &fields);

// The whole statement: the header, the template's lines, the filter lines,
// every line ended by CR LF.
QString generateView(const QString &header, const QStringList &templateLines, const ViewFields &fields);

} // namespace worklist

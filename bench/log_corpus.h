#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

// Gateway logs as a busy site's gateway writes them with the detailed level:
// associations of several devices, each with its query, the query's data set,
// the responses with their patient IDs and the end of the association.
namespace bench {

struct Device
{
    QString aeTitle;
    QString view;
    QString characterSet;
    QString modality;
};

// The lines of one association, the responses' patient IDs taken in turn.
QStringList association(const Device &device, const QDateTime &when, const QStringList &patientIds, int responses);

// Writes the demo site's small log set into folder.
void writeDemoLogs(const QString &folder);

// Writes about totalBytes of logs into folder, spread over files of about
// fileBytes each, each line ended with lineEnd. Returns the files written.
QStringList writeLargeLogs(const QString &folder, qint64 totalBytes, qint64 fileBytes,
                           const QByteArray &lineEnd = QByteArrayLiteral("\r\n"));

} // namespace bench

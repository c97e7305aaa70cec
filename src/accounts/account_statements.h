#pragma once

#include <QString>
#include <QStringList>

// The statements of the account tools. Keys go in as plain decimal numbers;
// every text between single quotes has its quotes doubled, so that it is
// stored as typed.
namespace accounts {

// --- the account list and the report groups of an account
// Key, id, name and level of every account, by key.
QString accountList();
// The active standard report groups of the owner that hold reports.
QString reportGroups(qint32 owner);

// --- settings reset from the default files
struct SettingsRow
{
    const char *part;
    const char *item;
    const char *fileEnding; // after the level code
};
// The nine rows an account gets, in the order they are written.
const SettingsRow (&defaultRows())[9];
// "판독" reads 400, "촬영" 300, "조회" 110; any other caption stands as it is.
QString levelCode(const QString &levelCaption);
// TUSERSETTING\<level code><ending>
QString defaultFile(const QString &levelCode, const SettingsRow &row);
QString resetDelete(qint32 key);
QString resetInsert(qint32 key, const SettingsRow &row, const QString &value);

// --- settings copy
QString copyDelete(qint32 target, bool keepWindowLayout);
QString copyInsert(qint32 target, qint32 source, bool keepWindowLayout);

// --- macro texts
QString macroCopy(qint32 target, qint32 source);

// --- standard report groups
QString groupSearch(qint32 target, const QString &groupName);
QString groupCreate(qint32 target, const QString &groupName);
QString groupLink(qint32 group, qint32 target);
QString reportCopy(qint32 targetGroup, qint32 sourceGroup);

} // namespace accounts

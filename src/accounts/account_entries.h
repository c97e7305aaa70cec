#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

// The text layouts of the account lists and the report group list. Other
// operations read keys back out of these texts, so the layouts are an
// interface, not decoration.
namespace accounts {

// "400" and "200" read "판독", "300" "촬영", "100" and "110" "조회"; others keep their digits.
QString levelCaption(const QString &levelKey);

// Combo1: "12 | rad1 | 판독의| 판독".
QString sourceEntry(const QString &key, const QString &userId, const QString &userName, const QString &levelKey);
// List1: "12     |  rad1     |  판독의     |  판독".
QString targetEntry(const QString &key, const QString &userId, const QString &userName, const QString &levelKey);
// List4: "37_CHEST".
QString groupEntry(const QString &groupKey, const QString &groupName);

// The account key of an entry of either layout: the characters before the
// first "|" less the last one, blanks around them ignored, as a 32-bit whole
// number. Throws platform::Error when they are not one.
qint32 accountKeyOf(const QString &entry);

// A key read from the archive, checked to be a 32-bit whole number and written
// in plain decimal. Throws platform::Error when it is not one.
QString keyText(const QString &value);
qint32 keyValue(const QString &value);

// The key (before the first "_") and the name (after it) of a report group entry.
qint32 groupKeyOf(const QString &entry);
QString groupNameOf(const QString &entry);

// Where the account of a row of the account list (by key, from 0) is offered:
// the lowest key nowhere, the next one as a copy's source only, every later
// one as source and as target.
bool listedAsSource(int row);
bool listedAsTarget(int row);

// The level caption at the end of a target entry: its last two characters, trimmed.
QString levelCaptionOf(const QString &targetEntry);

// An account as messages name it: the key, user id and name of its entry,
// without the bars and the level ("12 rad1 판독의").
QString accountLabelOf(const QString &entry);

// The table a statement of the account tools works on: the one it inserts
// into, deletes from, or else reads from.
QString tableOf(const QString &statement);

// What the operator reads when a copy to several accounts stops at one: the
// accounts already done, the account and table it stopped at (with what of
// that account was done, when some of it was), and the accounts not reached.
struct CopyStop
{
    QStringList done;
    QString failed;
    QString failedTable;
    QStringList failedPartsDone;
    QStringList notReached;
};
QString copyStopped(const QString &operation, const CopyStop &stop);

} // namespace accounts

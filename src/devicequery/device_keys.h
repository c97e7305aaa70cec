#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

// What a device asks the gateway for: the matching keys of its worklist query.
namespace devicequery {

struct QueryKeys
{
    QString characterSet;   // (0008,0005), as the device sends it
    QString modality;       // (0040,0100) > (0008,0060)
    QString date;           // (0040,0100) > (0040,0002): yyyymmdd or a range "from-to"
    QString stationAeTitle; // (0040,0100) > (0040,0001)
    QString patientId;      // (0010,0020)
    QString patientName;    // (0010,0010)
    bool fromLog = false;   // taken from the device's own query in the log
    QString loggedDate;     // the date as logged, when it was moved to today
};

// An entry of the scanned log, as logged, and the day of its newest association
// (invalid when unknown).
struct LoggedEntry
{
    QString text;
    QDate day;
};

// The keys of a scanned log entry ("+//+AE+///+*//*[CS]*///*-//-FROM … WHERE
// (1 = 1) AND …-///-"): the character set and the conditions of the query the
// gateway built for it, each value as the device sent it. A condition the
// gateway writes for no key is passed over.
QueryKeys keysFromEntry(const QString &entry);

// A device asks for its worklist relative to its own day: a query logged on an
// earlier day than today is asked again with its dates moved by as many days.
void replayDates(QueryKeys &keys, const QDate &loggedOn, const QDate &today);

// The AE title of a scanned log entry, as the device sent it; empty when it has none.
QString entryAeTitle(const QString &entry);

// The newest entry with a query of the AE title among the scanned entries
// (exact letter case).
std::optional<LoggedEntry> newestEntryOf(const QList<LoggedEntry> &entries, const QString &aeTitle);

// What a typical device asks: today's worklist for its modality and its station.
QueryKeys typicalKeys(const QString &aeTitle, const QString &modality, const QDate &today);

// One key set by hand, "TAG=VALUE" with the tag by its DICOM keyword or as
// "gggg,eeee". Gives the reason in Korean when the key is not one a worklist
// query matches on.
std::optional<QString> setKey(QueryKeys &keys, const QString &assignment);

// The device's AE title a worklist view serves: the registered entry's, or the
// one the view's name was made from (kind prefix, "1_1" back to "-").
QString aeTitleOfView(const QString &viewName);

} // namespace devicequery

#pragma once

#include <QString>

namespace gateway {

// The matching keys of a device's worklist query that the gateway answers.
struct WorklistKeys
{
    QString modality;            // (0040,0100) > (0008,0060)
    QString date;                // (0040,0100) > (0040,0002): a date or a range "from-to"
    QString stationAeTitle;      // (0040,0100) > (0040,0001)
    QString patientId;           // (0010,0020), wildcards allowed
    QString patientName;         // (0010,0010), wildcards allowed
    QString time;                // (0040,0100) > (0040,0003): a time or a range "from-to"
    QString performingPhysician; // (0040,0100) > (0040,0006), wildcards allowed
};

// One order's values for the matching keys, as its view gives them.
struct OrderValues
{
    QString modality;
    QString date;
    QString time;
    QString stationAeTitle;
    QString patientId;
    QString patientName;
    QString performingPhysician;
};

// Whether the order matches every key the way a worklist matches: single
// value, wildcard ("*", "?") or range; text case-sensitive except for person
// names; a date range with a time range as one range from the first date's
// time to the last date's time. The statement from worklistSql() only narrows
// the rows; this says which of them are answered, whatever the server's
// collation.
bool matchesKeys(const WorklistKeys &keys, const OrderValues &order);

// One text against a DICOM key: empty and "*" match all.
bool matchesText(const QString &value, const QString &key, Qt::CaseSensitivity cs);

// The column a view may add for (0040,0006); without it the name is empty.
inline constexpr const char *kPerformingPhysicianColumn = "scheduled_performing_physician";

// The columns every worklist view supplies; a view without one of them is
// named in the log.
inline constexpr const char *kWorklistColumns[] = {"patient_id",
                                                   "patient_name",
                                                   "patient_birth_date",
                                                   "patient_sex",
                                                   "accession_no",
                                                   "specific_character_set",
                                                   "scheduled_station_aetitle",
                                                   "modality",
                                                   "SCHEDULED_PROCEDURE_DATE",
                                                   "SCHEDULED_PROCEDURE_TIME",
                                                   "scheduled_procedure_desc",
                                                   "requested_procedure_desc",
                                                   "referring_physician"};

// "SELECT * FROM <view> WHERE (1 = 1) AND <condition> AND …": one condition per
// key given, texts quoted with their quotes doubled, DICOM wildcards matched
// with LIKE. Empty keys (and a lone "*") match everything. The character set a
// device asks in is no key: it only says how the query is written.
QString worklistSql(const QString &view, const WorklistKeys &keys);

// The same statement as the log holds it: each text between quotes escaped
// for the log (gatewaylog::format::escape), the rest as it runs.
QString loggedWorklistSql(const QString &view, const WorklistKeys &keys);

// A DICOM wildcard value as a LIKE pattern: "*" any run, "?" one character;
// "%", "_", "[" and "\" stand for themselves (escaped with "\").
QString likePattern(const QString &value);

} // namespace gateway

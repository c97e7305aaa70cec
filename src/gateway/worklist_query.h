#pragma once

#include <QString>

namespace gateway {

// The matching keys of a device's worklist query that the gateway answers.
struct WorklistKeys
{
    QString modality;       // (0040,0100) > (0008,0060)
    QString date;           // (0040,0100) > (0040,0002): a date or a range "from-to"
    QString stationAeTitle; // (0040,0100) > (0040,0001)
    QString patientId;      // (0010,0020), wildcards allowed
    QString patientName;    // (0010,0010), wildcards allowed
};

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

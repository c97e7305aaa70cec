#pragma once

#include "device_keys.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <optional>

// Why a device's worklist comes back empty or wrong: the device's keys, the
// rows its view holds and what the gateway answered, compared.
namespace devicequery {

// One row of the device's view, as the statement of the order preview reads it.
struct ViewRow
{
    QString patientId;
    QString patientName;
    QString date;
    QString time;
    QString modality;
    QString stationAeTitle;
    QString characterSet;
    // The other texts the view gives, which reach the device in the same set.
    QString referringPhysician;
    QString scheduledDescription;
    QString requestedDescription;
};

// One worklist item the gateway sent, its texts decoded in its character set.
struct Item
{
    QString characterSet;
    QList<QPair<QString, QString>> values; // keyword -> value, in the order shown
    QStringList emptyRequired;             // attributes a modality needs that came back empty

    QString value(const QString &keyword) const;
};

enum class Outcome { Answered, PortClosed, Timeout, Refused, Aborted, Failed, Cancelled };

// What an A-ASSOCIATE-RJ said: its result, source and reason, as coded on the wire.
struct Rejection
{
    int result = 0;
    int source = 0;
    int reason = 0;
};

struct Answer
{
    Outcome outcome = Outcome::Answered;
    quint16 status = 0; // the final C-FIND status
    QString detail;     // the network's own words for a failure
    QList<Item> items;
    Rejection rejection; // for a refused association
};

struct Situation
{
    QString aeTitle;
    QString calledAeTitle = QStringLiteral("KALDEN1"); // the gateway's AETitle=
    QString host;
    int port = 104;
    QueryKeys keys;
    bool controlFileFound = true;
    QString controlFileRefused;            // why the gateway will not start with its control file
    std::optional<QString> registeredView; // nothing: served from the base view; empty: refused
    QString view;                          // the view the gateway answers from
    std::optional<QList<ViewRow>> rows;    // nothing: the view could not be read
    QString rowsError;
    Answer answer;
    int timeoutSeconds = 0;
};

enum class Severity { Error, Warning, Note };

struct Finding
{
    Severity severity;
    QString code; // stable, for scripts: "port-closed", "modality", …
    QString text; // what the installer reads and acts on
};

// Whether a row matches one key as the worklist matches it: empty and "*"
// match all, "*" and "?" are wildcards, a date key may be a range "from-to".
bool matchesText(const QString &value, const QString &key);
bool matchesDate(const QString &value, const QString &key);

// The rows a device with these keys should receive (the character set is no
// matching key).
QList<ViewRow> matchingRows(const QList<ViewRow> &rows, const QueryKeys &keys);

QList<Finding> findings(const Situation &s);

bool hasError(const QList<Finding> &findings);

} // namespace devicequery

#pragma once

#include "findings.h"
#include "worklist_client.h"

#include "worklist/gateway_config.h"

#include <QDate>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

namespace db {
class DbSession;
}
namespace platform {
class Paths;
}

// The site as a device's check reads it: the gateway's control file, its log,
// the device's view.
namespace devicequery {

// The gateway's control file as the gateway reads it: where it listens, its
// log folder, its device entries and what it refuses.
struct ControlFile
{
    bool found = false;
    QStringList lines;
    worklist::gateway::Config settings;
    int port() const; // where the gateway listens; its default when Port= cannot be read
};
ControlFile readControlFile(const platform::Paths &paths);

// The view the device's entry names (exact letter case of the AE title, as the
// gateway compares it); nothing when the device has no entry, an empty name
// when the gateway cannot read its entry and refuses the device.
std::optional<QString> registeredView(const ControlFile &control, const QString &aeTitle);

// The AE title whose entry names the view; else the one its name was made from.
QString aeTitleServedBy(const QStringList &lines, const QString &view);

// Every entry the log scanner finds in the log folder, with the day it was
// last seen; nothing read when the folder is missing.
QList<LoggedEntry> scanLogEntries(const QString &localFolder);

// The device's view as the order preview reads it, with the columns the check
// compares, for the keys' date (seven days when the keys give none or a range).
QList<ViewRow> readViewRows(db::DbSession &database, const QString &view, const QueryKeys &keys, const QDate &today);

// Everything but the DICOM answer, gathered for one device: its keys (the
// newest of its log, its dates moved to today, or the typical ones), its view
// and the view's rows.
Situation prepare(const platform::Paths &paths, db::DbSession *database, const QString &aeTitle,
                  const QList<LoggedEntry> &logEntries, const QString &modalityHint, const QDate &today);

QJsonObject toJson(const Situation &s, const QList<Finding> &findings);
QString keysText(const QueryKeys &keys);
QString rowsText(const Situation &s);
QString itemsText(const Answer &answer);
QString findingsText(const QList<Finding> &findings);

// kalden-config --ask-as AE [--host H] [--port N] [--key TAG=VALUE …] [--json]
// [--app-dir DIR] [--drive-root DIR] [--today YYYY-MM-DD]: prints the keys, the
// view's rows, the items and the findings; 0 when no finding is an error, 1
// when one is, 2 for a command line it cannot use.
int askCommand(const QStringList &arguments);

} // namespace devicequery

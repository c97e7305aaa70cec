#pragma once

#include "db/db_session.h"

#include <QString>

namespace accounts {

// Copies the reports of sourceGroup into the target's standard report group
// of the same name, made and linked to the target when it has none yet. The
// whole copy stands or falls together.
void copyReportGroup(db::DbSession &db, qint32 target, qint32 sourceGroup, const QString &groupName);

} // namespace accounts

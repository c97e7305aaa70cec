#include "report_copy.h"

#include "account_entries.h"
#include "account_statements.h"

namespace accounts {

void copyReportGroup(db::DbSession &db, qint32 target, qint32 sourceGroup, const QString &groupName)
{
    db::Transaction transaction(db);
    qint32 targetGroup = keyValue(db.queryScalar(groupSearch(target, groupName)));
    if (targetGroup == 0) {
        db.executeSql(groupCreate(target, groupName));
        targetGroup = keyValue(db.queryScalar(groupSearch(target, groupName)));
        db.executeSql(groupLink(targetGroup, target));
    }
    db.executeSql(reportCopy(targetGroup, sourceGroup));
    transaction.commit();
}

} // namespace accounts

#pragma once

#include "worklist_query.h"

#include <QString>
#include <QStringList>

class DcmItem;

namespace gateway {

// A device's worklist query as the gateway reads it: the matching keys, each
// value decoded in the character set the query names (which is no key).
struct DeviceQuery
{
    WorklistKeys keys;
    QString characterSet;
    // Attributes given a value that the gateway does not match on (by
    // keyword, or tag): the device is told so with its pending responses.
    QStringList unmatched;
};

DeviceQuery readQuery(DcmItem &query);

} // namespace gateway

#pragma once

#include "worklist_query.h"

#include <QString>

class DcmItem;

namespace gateway {

// A device's worklist query as the gateway reads it: the matching keys, each
// value decoded in the character set the query names (which is no key).
struct DeviceQuery
{
    WorklistKeys keys;
    QString characterSet;
};

DeviceQuery readQuery(DcmItem &query);

} // namespace gateway

#pragma once

#include "device_keys.h"
#include "findings.h"

#include <QString>

#include <atomic>
#include <functional>

// A Modality Worklist C-FIND as a given device, on DCMTK's SCU.
namespace devicequery {

struct Request
{
    QString callingAeTitle;
    QString calledAeTitle = QStringLiteral("KALDEN1");
    QString host = QStringLiteral("localhost");
    int port = 104;
    QueryKeys keys;
    int timeoutSeconds = 15; // the whole query, connection included
};

// Runs one query to its end, blocking its thread. cancel, set from another
// thread, sends a C-CANCEL within about a second once associated (asking for
// the association takes at most 5 s); the items received until then are kept. onItem is told the number of items
// received so far (on this thread). Touches neither Qt's objects nor the database, so it may run on a thread of its
// own.
Answer askWorklist(const Request &request, const std::atomic<bool> &cancel,
                   const std::function<void(int)> &onItem = {});

} // namespace devicequery

#pragma once

#include <QString>

#include <optional>

namespace gatewaylog {

struct Inspection
{
    QString text;                // for Text8
    QString aeTitle;             // for Text10
    std::optional<QString> view; // for Text11; nothing: Text11 keeps its text
};

// An entry of the scanned list taken apart: the AE title, the character set,
// the view and the query's conditions one a line.
Inspection inspect(const QString &entry);

} // namespace gatewaylog

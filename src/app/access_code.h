#pragma once

#include <QDate>
#include <QString>

namespace app {

// The day's access code: the date written yyyymmdd with each digit d replaced
// by 9 - d (2026-12-06 gives 79738793).
QString accessCode(const QDate &day);

} // namespace app

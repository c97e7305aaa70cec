#pragma once

#include <QString>
#include <QStringList>

// The gateway's control file, line by line: the device-list line holds one
// entry "AE^^VIEW^^^^||" per registered device after its "=".
namespace worklist::control {

bool isDeviceListLine(const QString &line);
bool isFcrFlagLine(const QString &line);

QString deviceEntry(const QString &aeTitle, const QString &viewName);

// Registers a device: its entry is appended to the device-list line unless an
// entry for the AE title (exact letter case) is there already; with fcrXg5000
// a flag line "FCR_XG5000=0" becomes "FCR_XG5000=1". Every other line is kept.
QStringList registerDevice(const QStringList &lines, const QString &aeTitle, const QString &viewName, bool fcrXg5000);

// Removes the device's entries for viewName and for olderName, the AE title
// and the names matched without regard to letter case, from a device-list line
// that lists the device under viewName; a line that does not stays as it is.
// Every other entry, and every other line, is kept exactly as it was.
QStringList removeDevice(const QStringList &lines, const QString &aeTitle, const QString &viewName,
                         const QString &olderName);

// The name a view had under the older naming scheme: "_KK_" and "_KE_" read
// "_K_", "_EK_" and "_EE_" read "_E_".
QString olderViewName(const QString &viewName);

} // namespace worklist::control

#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace platform {
class Paths;
}

namespace worklist::gateway {

// What the gateway takes from its control file when it starts: the devices it
// serves and from which view, its log level and the FCR XG5000 flag (lines the
// site-configuration tool writes), and its own lines "Port=", "Bind=",
// "MaxAssociations=", "AETitle=" and "LogPath=". The gateway reads the file
// with this, and the tool's device check reads it the same way.
struct Config
{
    QHash<QString, QString> views; // AE title (exact letter case) -> view
    int logLevel = 0;
    bool fcrXg5000 = false;
    int port = 104;
    bool portGiven = false;   // a "Port=" line named it
    QString bind;             // empty: every interface
    int maxAssociations = 16; // devices served at once; one more is refused
    QString aeTitle = QStringLiteral("KALDEN1");
    QString logFolder = QStringLiteral("C:\\RUDIVUV\\Log\\");
    // What could not be taken as written. Problems are logged; with a fatal
    // one the gateway does not start.
    QStringList problems;
    bool fatal = false;
    // Why the gateway does not start, in Korean for the operator; empty when it starts.
    QString refusal;
};

Config parseControlFile(const QStringList &lines);

// The site's control file as the gateway reads it when it starts (found where
// findControlFile looks); a file that is missing or cannot be read is fatal.
// `lines`, when given, gets the file's lines (none when it cannot be read).
Config readControlFile(const platform::Paths &paths, QStringList *lines = nullptr);

// The view a calling AE title is served from; a device that is not listed gets
// the base view, a device whose entry cannot be read an empty name (refused).
QString viewFor(const Config &config, const QString &callingAeTitle);

// A calling or called AE title a device may use: 1 to 16 characters of the
// default repertoire, not all blanks, no backslash.
bool validAeTitle(const QString &aeTitle);

} // namespace worklist::gateway

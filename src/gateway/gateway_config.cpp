#include "gateway_config.h"

#include "worklist/control_file.h"

namespace gateway {

static QString valueOf(const QString &line)
{
    return line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed();
}

static QString keyOf(const QString &line)
{
    return line.left(line.indexOf(QLatin1Char('='))).trimmed();
}

Config parseControlFile(const QStringList &lines)
{
    Config config;
    for (const QString &line : lines) {
        if (!line.contains(QLatin1Char('=')))
            continue;
        const QString key = keyOf(line);
        if (worklist::control::isDeviceListLine(line)) {
            // AE^^VIEW^^^^|| one after the other; the first entry of a title counts.
            for (const QString &entry : line.mid(line.indexOf(QLatin1Char('=')) + 1).split(QStringLiteral("||"))) {
                const QStringList fields = entry.split(QStringLiteral("^^"));
                if (fields.size() >= 2 && !fields.at(0).isEmpty() && !config.views.contains(fields.at(0)))
                    config.views.insert(fields.at(0), fields.at(1));
            }
        } else if (key == QLatin1String("LogLevel")) {
            bool ok = false;
            const int level = valueOf(line).toInt(&ok);
            if (ok && level >= 0 && level <= 4)
                config.logLevel = level;
        } else if (key.compare(QLatin1String("FCR_XG5000"), Qt::CaseInsensitive) == 0) {
            config.fcrXg5000 = valueOf(line) == QLatin1String("1");
        } else if (key == QLatin1String("Port")) {
            bool ok = false;
            const int port = valueOf(line).toInt(&ok);
            if (ok && port > 0 && port < 65536)
                config.port = port;
        } else if (key == QLatin1String("LogPath")) {
            if (!valueOf(line).isEmpty())
                config.logFolder = valueOf(line);
        }
    }
    return config;
}

QString viewFor(const Config &config, const QString &callingAeTitle)
{
    return config.views.value(callingAeTitle, QStringLiteral("VMWL"));
}

} // namespace gateway

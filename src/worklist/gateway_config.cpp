#include "gateway_config.h"

#include "control_file.h"
#include "gateway_control.h"

#include "gatewaylog/log_format.h"
#include "platform/error.h"
#include "platform/text_file.h"

namespace worklist::gateway {

static QString valueOf(const QString &line)
{
    return line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed();
}

static QString keyOf(const QString &line)
{
    return line.left(line.indexOf(QLatin1Char('='))).trimmed();
}

// A view name goes into the query as it stands: a plain name of the server,
// ASCII letters, digits and "_", and after the first character also "@", "$"
// and "#" (which the tool's own view names may hold).
static bool validViewName(const QString &name)
{
    if (name.isEmpty() || name.size() > 128)
        return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        const bool later = i > 0 && (c == QLatin1Char('@') || c == QLatin1Char('$') || c == QLatin1Char('#'));
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != QLatin1Char('_') && !later)
            return false;
    }
    return true;
}

// Dotted IPv4, which is what the gateway listens on.
static bool validIpv4(const QString &address)
{
    const QStringList parts = address.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    for (const QString &part : parts) {
        bool ok = false;
        const int n = part.toInt(&ok);
        if (!ok || part.isEmpty() || part.size() > 3 || n < 0 || n > 255 || part.startsWith(QLatin1Char('+')))
            return false;
    }
    return true;
}

bool validAeTitle(const QString &aeTitle)
{
    if (aeTitle.size() > 16 || aeTitle.trimmed().isEmpty())
        return false;
    for (const QChar c : aeTitle) {
        if (c.unicode() < 0x20 || c.unicode() >= 0x7f || c == QLatin1Char('\\'))
            return false;
    }
    return true;
}

// "AE^^VIEW^^^^": a title that holds no separator, a view name, nothing after it.
static bool wellFormedEntry(const QStringList &fields)
{
    if (fields.size() < 2 || !validAeTitle(fields.at(0)) || !validViewName(fields.at(1)) ||
        fields.at(0).contains(QLatin1Char('^')) || fields.at(0).contains(QLatin1Char('|')))
        return false;
    for (qsizetype i = 2; i < fields.size(); ++i) {
        if (!fields.at(i).isEmpty())
            return false;
    }
    return true;
}

// A line the gateway cannot start with, named in the refusal as it stands.
static void refuse(Config &config, const QString &line)
{
    config.fatal = true;
    const QString shown = QLatin1Char('\'') + gatewaylog::format::escapeControls(line.trimmed()) + QLatin1Char('\'');
    config.refusal = config.refusal.isEmpty() ? QStringLiteral("ZORadoDidServiceControl.ini의 줄 ") + shown +
                                                    QStringLiteral("을(를) 읽을 수 없습니다")
                                              : config.refusal + QStringLiteral(", ") + shown;
}

static int number(const QString &line, int low, int high, Config &config)
{
    bool ok = false;
    const int value = valueOf(line).toInt(&ok);
    if (ok && value >= low && value <= high)
        return value;
    config.problems.append(QStringLiteral("Control file: \"%1\" is not a number from %2 to %3")
                               .arg(gatewaylog::format::escape(line))
                               .arg(low)
                               .arg(high));
    refuse(config, line);
    return -1;
}

Config parseControlFile(const QStringList &lines)
{
    Config config;
    bool anything = false;
    for (const QString &line : lines) {
        if (!line.contains(QLatin1Char('=')))
            continue;
        anything = true;
        const QString key = keyOf(line);
        if (control::isDeviceListLine(line)) {
            // AE^^VIEW^^^^|| one after the other; the first entry of a title counts.
            const QString list = line.mid(line.indexOf(QLatin1Char('=')) + 1);
            for (const QString &entry : list.split(QStringLiteral("||"))) {
                if (entry.trimmed().isEmpty())
                    continue;
                const QStringList fields = entry.split(QStringLiteral("^^"));
                if (!wellFormedEntry(fields)) {
                    config.problems.append(QStringLiteral("Control file: device entry \"%1\" cannot be read; "
                                                          "that device is refused")
                                               .arg(gatewaylog::format::escape(entry)));
                    // A device whose entry is garbled must not fall back to the base view: every title that
                    // begins a piece of it (a lone "^" or "|" joins entries) is refused.
                    for (const QString &piece : entry.split(QLatin1Char('|'))) {
                        const QString aeTitle = piece.section(QLatin1Char('^'), 0, 0);
                        if (!aeTitle.trimmed().isEmpty() && !config.views.contains(aeTitle))
                            config.views.insert(aeTitle, QString());
                    }
                    continue;
                }
                if (!config.views.contains(fields.at(0)))
                    config.views.insert(fields.at(0), fields.at(1));
            }
        } else if (key == QLatin1String("LogLevel")) {
            bool ok = false;
            const int level = valueOf(line).toInt(&ok);
            if (ok && level >= 0 && level <= 4)
                config.logLevel = level;
            else
                config.problems.append(
                    QStringLiteral("Control file: \"%1\" is not a log level from 0 to 4; logging errors only")
                        .arg(gatewaylog::format::escape(line)));
        } else if (key.compare(QLatin1String("FCR_XG5000"), Qt::CaseInsensitive) == 0) {
            config.fcrXg5000 = valueOf(line) == QLatin1String("1");
        } else if (key == QLatin1String("Port")) {
            config.port = number(line, 1, 65535, config);
            config.portGiven = config.port > 0;
        } else if (key == QLatin1String("MaxAssociations")) {
            config.maxAssociations = number(line, 1, 200, config);
        } else if (key == QLatin1String("Bind")) {
            config.bind = valueOf(line);
            if (!config.bind.isEmpty() && !validIpv4(config.bind)) {
                config.problems.append(QStringLiteral("Control file: \"%1\" is not an IPv4 address")
                                           .arg(gatewaylog::format::escape(line)));
                refuse(config, line);
            }
        } else if (key == QLatin1String("AETitle")) {
            config.aeTitle = valueOf(line);
            if (!validAeTitle(config.aeTitle)) {
                config.problems.append(
                    QStringLiteral("Control file: \"%1\" is not an AE title").arg(gatewaylog::format::escape(line)));
                refuse(config, line);
            }
        } else if (key == QLatin1String("LogPath")) {
            if (!valueOf(line).isEmpty())
                config.logFolder = valueOf(line);
        }
    }
    if (!anything) {
        config.problems.append(QStringLiteral("Control file: no settings in it"));
        config.fatal = true;
        config.refusal = QStringLiteral("ZORadoDidServiceControl.ini에 설정이 하나도 없습니다");
    }
    return config;
}

Config readControlFile(const platform::Paths &paths, QStringList *lines)
{
    Config config;
    const QString path = findControlFile(paths);
    if (path.isEmpty()) {
        config.problems.append(QStringLiteral("ZORadoDidServiceControl.ini not found"));
        config.fatal = true;
        config.refusal = QStringLiteral("ZORadoDidServiceControl.ini가 없습니다");
        return config;
    }
    try {
        const QStringList read = platform::readLines(path);
        if (lines)
            *lines = read;
        return parseControlFile(read);
    } catch (const platform::Error &e) {
        config.problems.append(QStringLiteral("Control file cannot be read: ") + gatewaylog::format::escape(e.text()));
        config.fatal = true;
        config.refusal = QStringLiteral("ZORadoDidServiceControl.ini를 읽을 수 없습니다: ") + e.text();
        return config;
    }
}

QString viewFor(const Config &config, const QString &callingAeTitle)
{
    return config.views.value(callingAeTitle, QStringLiteral("VMWL"));
}

} // namespace worklist::gateway

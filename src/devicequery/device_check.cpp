#include "device_check.h"

#include "db/db_session.h"
#include "gatewaylog/log_files.h"
#include "gatewaylog/log_scanner.h"
#include "platform/error.h"
#include "platform/paths.h"
#include "worklist/control_file.h"
#include "worklist/gateway_config.h"
#include "worklist/gateway_control.h"
#include "worklist/order_preview.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

#include <cstdio>

namespace devicequery {

namespace {

const char *severityName(Severity s)
{
    return s == Severity::Error ? "error" : s == Severity::Warning ? "warning" : "note";
}

const char *outcomeName(Outcome o)
{
    switch (o) {
    case Outcome::Answered:
        return "answered";
    case Outcome::PortClosed:
        return "port-closed";
    case Outcome::Timeout:
        return "timeout";
    case Outcome::Refused:
        return "refused";
    case Outcome::Aborted:
        return "aborted";
    case Outcome::Failed:
        return "failed";
    case Outcome::Cancelled:
        return "cancelled";
    }
    return "";
}

} // namespace

ControlFile readControlFile(const platform::Paths &paths)
{
    ControlFile control;
    control.found = !worklist::gateway::findControlFile(paths).isEmpty();
    control.settings = worklist::gateway::readControlFile(paths, &control.lines);
    return control;
}

int ControlFile::port() const
{
    return settings.port > 0 ? settings.port : worklist::gateway::Config().port;
}

std::optional<QString> registeredView(const ControlFile &control, const QString &aeTitle)
{
    const auto entry = control.settings.views.constFind(aeTitle);
    if (entry == control.settings.views.cend())
        return std::nullopt;
    return *entry;
}

QString aeTitleServedBy(const QStringList &lines, const QString &view)
{
    for (const QString &line : lines) {
        if (!worklist::control::isDeviceListLine(line))
            continue;
        for (const QString &entry : line.mid(line.indexOf(QLatin1Char('=')) + 1).split(QStringLiteral("||"))) {
            const QStringList parts = entry.split(QStringLiteral("^^"));
            if (parts.size() >= 2 && parts.at(1).compare(view, Qt::CaseInsensitive) == 0)
                return parts.at(0);
        }
    }
    return aeTitleOfView(view);
}

QList<LoggedEntry> scanLogEntries(const QString &localFolder)
{
    if (!QFileInfo(localFolder).isDir())
        return {};
    const QStringList logs =
        gatewaylog::gatewayLogFiles(gatewaylog::folderFiles(localFolder), QStringLiteral("ZORadoDidService"));
    gatewaylog::Scanner scanner;
    gatewaylog::MarkedLineReader reader(gatewaylog::Scanner::markers(), false);
    gatewaylog::readLogs(
        localFolder, logs, reader,
        [&](QByteArrayView line, bool adjacent, quint32 found) { scanner.feed(line, adjacent, found); }, {});
    QList<LoggedEntry> entries;
    for (const QString &entry : scanner.entries())
        entries.append({entry, scanner.lastDay(entry)});
    return entries;
}

QList<ViewRow> readViewRows(db::DbSession &database, const QString &view, const QueryKeys &keys, const QDate &today)
{
    const QDate day = QDate::fromString(keys.date.trimmed(), QStringLiteral("yyyyMMdd"));
    const QString sql = worklist::preview::statement(
        QStringLiteral("patient_Id, Patient_Name, SCHEDULED_PROCEDURE_DATE, SCHEDULED_PROCEDURE_TIME, Modality, "
                       "scheduled_station_aetitle, specific_character_set, referring_physician, "
                       "scheduled_procedure_desc, requested_procedure_desc"),
        view, false, day.isValid(), day.isValid() ? day : today);
    QList<ViewRow> rows;
    for (db::Recordset r = database.open(sql); !r.eof(); r.moveNext())
        rows.append({r.text(0), r.text(1), r.text(2), r.text(3), r.text(4), r.text(5), r.text(6), r.text(7).trimmed(),
                     r.text(8).trimmed(), r.text(9).trimmed()});
    return rows;
}

Situation prepare(const platform::Paths &paths, db::DbSession *database, const QString &aeTitle,
                  const QList<LoggedEntry> &logEntries, const QString &modalityHint, const QDate &today)
{
    Situation s;
    s.aeTitle = aeTitle;
    s.host = QStringLiteral("localhost");
    const ControlFile control = readControlFile(paths);
    s.controlFileFound = control.found;
    s.port = control.port();
    s.calledAeTitle = control.settings.aeTitle;
    if (control.found && control.settings.fatal)
        s.controlFileRefused = control.settings.refusal;
    s.registeredView = registeredView(control, aeTitle);
    s.view = s.registeredView && !s.registeredView->isEmpty() ? *s.registeredView : QStringLiteral("VMWL");
    if (const auto entry = newestEntryOf(logEntries, aeTitle)) {
        s.keys = keysFromEntry(entry->text);
        replayDates(s.keys, entry->day, today);
    } else
        s.keys = typicalKeys(aeTitle, modalityHint, today);

    if (!worklist::preview::isPlainObjectName(s.view)) {
        s.rowsError = QStringLiteral("View 이름 '%1'은 SQL 이름으로 쓸 수 없습니다.").arg(s.view);
    } else if (!database || !database->isOpen()) {
        s.rowsError = QStringLiteral("DB에 연결되어 있지 않습니다.");
    } else {
        try {
            s.rows = readViewRows(*database, s.view, s.keys, today);
        } catch (const platform::Error &e) {
            s.rowsError = e.text();
        }
    }
    // A typical device asks for the modality its view's orders carry, in the
    // character set its view answers in.
    if (!s.keys.fromLog && s.rows && !s.rows->isEmpty()) {
        if (s.keys.modality.isEmpty())
            s.keys.modality = s.rows->first().modality.trimmed();
        if (s.keys.characterSet.isEmpty())
            s.keys.characterSet = s.rows->first().characterSet.trimmed();
    }
    return s;
}

QString keysText(const QueryKeys &k)
{
    const QString crlf = QStringLiteral("\r\n");
    return (k.fromLog ? QStringLiteral("(장비가 마지막으로 보낸 조회)") : QStringLiteral("(일반적인 장비의 조회)")) +
           crlf + QStringLiteral("SpecificCharacterSet : ") + k.characterSet + crlf + QStringLiteral("Modality : ") +
           k.modality + crlf + QStringLiteral("ScheduledProcedureStepStartDate : ") + k.date +
           (k.loggedDate.isEmpty()
                ? QString()
                : QStringLiteral(" (로그의 ") + k.loggedDate + QStringLiteral("를 오늘 기준으로 바꿈)")) +
           crlf + QStringLiteral("ScheduledStationAETitle : ") + k.stationAeTitle + crlf +
           QStringLiteral("PatientID : ") + k.patientId + crlf + QStringLiteral("PatientName : ") + k.patientName +
           crlf;
}

QString rowsText(const Situation &s)
{
    const QString crlf = QStringLiteral("\r\n");
    QString text = QStringLiteral("View : ") + s.view + crlf;
    if (!s.rows)
        return text + s.rowsError + crlf;
    const QList<ViewRow> matching = matchingRows(*s.rows, s.keys);
    text += QStringLiteral("%1건 (이 조회에 맞는 것 %2건)").arg(s.rows->size()).arg(matching.size()) + crlf;
    int n = 1;
    for (const ViewRow &r : *s.rows) {
        text += crlf + QString::number(n++) + QStringLiteral(". ") + r.patientId + QStringLiteral(" / ") +
                r.patientName + QStringLiteral(" / ") + r.date + QStringLiteral(" / ") + r.time +
                QStringLiteral(" / ") + r.modality + QStringLiteral(" / ") + r.stationAeTitle + QStringLiteral(" / ") +
                r.characterSet;
    }
    return text;
}

QString itemsText(const Answer &answer)
{
    const QString crlf = QStringLiteral("\r\n");
    QString text = QStringLiteral("%1건").arg(answer.items.size()) + crlf;
    int n = 1;
    for (const Item &item : answer.items) {
        text += crlf + QString::number(n++) + QStringLiteral(". [") + item.characterSet + QStringLiteral("]") + crlf;
        for (const auto &v : item.values)
            text += QStringLiteral("   ") + v.first + QStringLiteral(" : ") + v.second + crlf;
    }
    return text;
}

QString findingsText(const QList<Finding> &findings)
{
    if (findings.isEmpty())
        return QStringLiteral("문제를 찾지 못했습니다.");
    QStringList lines;
    for (const Finding &f : findings)
        lines.append((f.severity == Severity::Error     ? QStringLiteral("[오류] ")
                      : f.severity == Severity::Warning ? QStringLiteral("[주의] ")
                                                        : QStringLiteral("[참고] ")) +
                     f.text);
    return lines.join(QStringLiteral("\r\n"));
}

QJsonObject toJson(const Situation &s, const QList<Finding> &findings)
{
    const QueryKeys &k = s.keys;
    QJsonObject keys{{QStringLiteral("SpecificCharacterSet"), k.characterSet},
                     {QStringLiteral("Modality"), k.modality},
                     {QStringLiteral("ScheduledProcedureStepStartDate"), k.date},
                     {QStringLiteral("ScheduledStationAETitle"), k.stationAeTitle},
                     {QStringLiteral("PatientID"), k.patientId},
                     {QStringLiteral("PatientName"), k.patientName},
                     {QStringLiteral("fromLog"), k.fromLog}};
    if (!k.loggedDate.isEmpty())
        keys.insert(QStringLiteral("loggedDate"), k.loggedDate);
    QJsonArray rows;
    for (const ViewRow &r : s.rows.value_or(QList<ViewRow>()))
        rows.append(QJsonObject{{QStringLiteral("PatientID"), r.patientId},
                                {QStringLiteral("PatientName"), r.patientName},
                                {QStringLiteral("date"), r.date},
                                {QStringLiteral("Modality"), r.modality},
                                {QStringLiteral("ScheduledStationAETitle"), r.stationAeTitle},
                                {QStringLiteral("SpecificCharacterSet"), r.characterSet}});
    QJsonArray items;
    for (const Item &item : s.answer.items) {
        QJsonObject o{{QStringLiteral("SpecificCharacterSet"), item.characterSet}};
        for (const auto &v : item.values)
            o.insert(v.first, v.second);
        items.append(o);
    }
    QJsonArray found;
    for (const Finding &f : findings)
        found.append(QJsonObject{{QStringLiteral("severity"), QLatin1String(severityName(f.severity))},
                                 {QStringLiteral("code"), f.code},
                                 {QStringLiteral("text"), f.text}});
    return QJsonObject{{QStringLiteral("aeTitle"), s.aeTitle},
                       {QStringLiteral("calledAeTitle"), s.calledAeTitle},
                       {QStringLiteral("host"), s.host},
                       {QStringLiteral("port"), s.port},
                       {QStringLiteral("registered"), s.registeredView && !s.registeredView->isEmpty()},
                       {QStringLiteral("view"), s.view},
                       {QStringLiteral("keys"), keys},
                       {QStringLiteral("rows"), s.rows ? QJsonValue(rows) : QJsonValue(s.rowsError)},
                       {QStringLiteral("outcome"), QLatin1String(outcomeName(s.answer.outcome))},
                       {QStringLiteral("status"), int(s.answer.status)},
                       {QStringLiteral("items"), items},
                       {QStringLiteral("findings"), found}};
}

int askCommand(const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption ask(QStringLiteral("ask-as"), QStringLiteral("Asks the gateway as the device AE."),
                                 QStringLiteral("AE"));
    const QCommandLineOption host(QStringLiteral("host"), QStringLiteral("The gateway's host (localhost)."),
                                  QStringLiteral("H"));
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Its port (the control file's Port=)."),
                                  QStringLiteral("N"));
    const QCommandLineOption key(QStringLiteral("key"), QStringLiteral("A query key set by hand."),
                                 QStringLiteral("TAG=VALUE"));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Prints JSON."));
    const QCommandLineOption timeout(QStringLiteral("timeout"), QStringLiteral("Seconds for the whole query (15)."),
                                     QStringLiteral("S"));
    const QCommandLineOption appDir(QStringLiteral("app-dir"), QStringLiteral("The application folder."),
                                    QStringLiteral("DIR"));
    const QCommandLineOption driveRoot(QStringLiteral("drive-root"), QStringLiteral("Where C:\\ paths lie."),
                                       QStringLiteral("DIR"));
    const QCommandLineOption today(QStringLiteral("today"), QStringLiteral("Fixes the date."),
                                   QStringLiteral("YYYY-MM-DD"));
    parser.addOptions({ask, host, port, key, json, timeout, appDir, driveRoot, today});
    auto refuse = [](const QString &why) {
        std::fprintf(stderr, "%s\n", why.toLocal8Bit().constData());
        return 2;
    };
    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    const QString ae = parser.value(ask);
    if (!worklist::gateway::validAeTitle(ae))
        return refuse(
            QStringLiteral("--ask-as에는 1~16자의 AE Title(영문, 숫자, 기호; \\와 제어 문자 제외)이 필요합니다."));
    const QDate day = parser.isSet(today) ? QDate::fromString(parser.value(today), Qt::ISODate) : QDate::currentDate();
    if (!day.isValid())
        return refuse(QStringLiteral("--today는 YYYY-MM-DD 형식입니다."));

    const QString appPath =
        parser.isSet(appDir) ? QDir(parser.value(appDir)).absolutePath() : QCoreApplication::applicationDirPath();
    const platform::Paths paths(appPath,
                                parser.isSet(driveRoot) ? QDir(parser.value(driveRoot)).absolutePath() : QString());
    db::DbSession database;
    database.connect(appPath, day);
    const ControlFile control = readControlFile(paths);
    QList<LoggedEntry> entries;
    try {
        entries = scanLogEntries(paths.resolve(control.settings.logFolder));
    } catch (const platform::Error &) {
        // An unreadable log only means the typical keys are used.
    }
    Situation s = prepare(paths, &database, ae, entries, QString(), day);
    for (const QString &assignment : parser.values(key)) {
        if (const auto why = setKey(s.keys, assignment))
            return refuse(*why);
    }
    if (parser.isSet(host))
        s.host = parser.value(host);
    // A whole number from low to high, or what was there when the option is not given.
    const auto number = [&](const QCommandLineOption &option, int low, int high, int &value) {
        if (!parser.isSet(option))
            return true;
        bool ok = false;
        value = parser.value(option).toInt(&ok);
        return ok && value >= low && value <= high;
    };
    if (!number(port, 1, 65535, s.port))
        return refuse(QStringLiteral("--port에는 1에서 65535 사이의 번호가 필요합니다."));
    s.timeoutSeconds = 15;
    if (!number(timeout, 1, 600, s.timeoutSeconds))
        return refuse(QStringLiteral("--timeout에는 1에서 600 사이의 초가 필요합니다."));
    // Keys set by hand change which rows the view gives for the date.
    if (!parser.values(key).isEmpty() && database.isOpen() && worklist::preview::isPlainObjectName(s.view)) {
        try {
            s.rows = readViewRows(database, s.view, s.keys, day);
        } catch (const platform::Error &e) {
            s.rows.reset();
            s.rowsError = e.text();
        }
    }

    Request request;
    request.callingAeTitle = ae;
    request.calledAeTitle = s.calledAeTitle;
    request.host = s.host;
    request.port = s.port;
    request.keys = s.keys;
    request.timeoutSeconds = s.timeoutSeconds;
    const std::atomic<bool> never(false);
    s.answer = askWorklist(request, never);
    const QList<Finding> found = findings(s);

    QByteArray out;
    if (parser.isSet(json)) {
        out = QJsonDocument(toJson(s, found)).toJson(QJsonDocument::Indented);
    } else {
        const QString text = QStringLiteral("== 장비의 조회 ==\n") + keysText(s.keys) +
                             QStringLiteral("\n== View ==\n") + rowsText(s) +
                             QStringLiteral("\n\n== 게이트웨이의 응답 ==\n") + itemsText(s.answer) +
                             QStringLiteral("\n== 진단 ==\n") + findingsText(found) + QStringLiteral("\n");
        out = QString(text).remove(QLatin1Char('\r')).toUtf8();
    }
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    return hasError(found) ? 1 : 0;
}

} // namespace devicequery

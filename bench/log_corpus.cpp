#include "log_corpus.h"

#include "gatewaylog/log_format.h"
#include "platform/codepage.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

namespace bench {

namespace fmt = gatewaylog::format;

namespace {

QString element(const char *tag, const char *vr, const QString &value, int length, int multiplicity, const char *name)
{
    return fmt::element(QLatin1String(tag), QLatin1String(vr), value, length, multiplicity, QLatin1String(name));
}

QString element(const char *tag, const char *vr, const char *value, int length, int multiplicity, const char *name)
{
    return element(tag, vr, QLatin1String(value), length, multiplicity, name);
}

} // namespace

QStringList association(const Device &d, const QDateTime &when, const QStringList &patientIds, int responses)
{
    const QString date = when.toString(QStringLiteral("yyyyMMdd"));
    const QString cs = QLatin1Char('[') + d.characterSet + QLatin1Char(']');
    QStringList lines{
        fmt::line(
            when,
            QStringLiteral("Association Received 10.20.1.%1: %2 -> KALDEN1").arg(d.aeTitle.size() * 7).arg(d.aeTitle)),
        fmt::callingLine(when, d.aeTitle),
        fmt::line(when, QStringLiteral("Called AP Title: KALDEN1")),
        fmt::line(when, QStringLiteral("Association Acknowledged (Max Send PDV: 16372)")),
        fmt::line(when, QStringLiteral("Received Find SCP Request: MsgID 1, Modality Worklist")),
        fmt::line(when, element("(0008,0005)", "CS", cs, int(d.characterSet.size()), 1, "SpecificCharacterSet")),
        fmt::line(when, element("(0010,0010)", "PN", "(no value available)", 0, 0, "PatientName")),
        fmt::line(when, element("(0010,0020)", "LO", "(no value available)", 0, 0, "PatientID")),
        fmt::line(when, element("(0040,0100)", "SQ", "(Sequence with explicit length #=1)", 0, 1,
                                "ScheduledProcedureStepSequence")),
        fmt::line(when, element("(0008,0060)", "CS", QLatin1Char('[') + d.modality + QLatin1Char(']'),
                                int(d.modality.size()), 1, "Modality")),
        fmt::line(when, element("(0040,0002)", "DA", QLatin1Char('[') + date + QLatin1Char(']'), 8, 1,
                                "ScheduledProcedureStepStartDate")),
        fmt::viewLine(when, d.view),
        fmt::queryLine(when, QStringLiteral("SELECT patient_id, patient_name, SCHEDULED_PROCEDURE_DATE, "
                                            "SCHEDULED_PROCEDURE_TIME, Scheduled_procedure_desc, modality FROM ") +
                                 d.view + QStringLiteral(" WHERE (1 = 1) AND modality = '") + d.modality +
                                 QStringLiteral("' AND SCHEDULED_PROCEDURE_DATE = '") + date + QLatin1Char('\'')),
    };
    for (int i = 0; i < responses; ++i) {
        const QString id = patientIds.at(i % patientIds.size());
        lines << fmt::line(when, QStringLiteral("Sending Find Response %1 (Pending)").arg(i + 1))
              << fmt::line(when,
                           element("(0008,0005)", "CS", cs, int(d.characterSet.size()), 1, "SpecificCharacterSet"))
              << fmt::line(when, element("(0010,0020)", "LO", QLatin1Char('[') + id + QLatin1Char(']'), int(id.size()),
                                         1, "PatientID"))
              << fmt::line(when, element("(0040,0001)", "AE", QLatin1Char('[') + d.aeTitle + QLatin1Char(']'),
                                         int(d.aeTitle.size()), 1, "ScheduledStationAETitle"));
    }
    lines << fmt::responseLine(when, responses + 1) << fmt::endLine(when.addSecs(1));
    return lines;
}

static void writeFile(const QString &path, const QStringList &lines)
{
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    for (const QString &line : lines)
        f.write(platform::toAnsi(line) + QByteArrayLiteral("\r\n"));
}

void writeDemoLogs(const QString &folder)
{
    QDir().mkpath(folder);
    const Device ct{QStringLiteral("CT01"), QStringLiteral("VMWL_KK_CT01"), QStringLiteral("\\ISO 2022 IR 149"),
                    QStringLiteral("CT")};
    const Device dr{QStringLiteral("DR01"), QStringLiteral("VMWL_EE_DR01"), QStringLiteral("ISO_IR 100"),
                    QStringLiteral("DX")};
    const Device drOld{QStringLiteral("DR01"), QStringLiteral("VMWL_EG_DR01"), QStringLiteral("ISO_IR 100"),
                       QStringLiteral("DX")};
    const Device mr{QStringLiteral("MR01"), QStringLiteral("VMWL"), QStringLiteral("ISO_IR 192"), QStringLiteral("MR")};
    const QStringList ids{QStringLiteral("2026000123"), QStringLiteral("2026000125"), QStringLiteral("2026000128"),
                          QStringLiteral("2026000131"), QStringLiteral("2026000134")};
    const QDate day(2026, 12, 5);
    auto at = [&](int h, int m) { return QDateTime(day, QTime(h, m, 5)); };

    QStringList first;
    first << fmt::line(at(8, 0), QStringLiteral("ZORadoDidService started, LogLevel=4"));
    first << association(ct, at(8, 12), ids, 3) << association(dr, at(8, 40), ids.mid(1), 2)
          << association(ct, at(9, 5), ids, 3) << association(mr, at(9, 30), ids.mid(2), 1);
    // The last association of the day runs on into the next file.
    const QStringList spanning = association(drOld, at(23, 59), ids.mid(3), 2);
    first << spanning.mid(0, 9);
    QStringList second = spanning.mid(9);
    const QDate next(2026, 12, 6);
    second << association(dr, QDateTime(next, QTime(7, 55)), ids.mid(1), 2)
           << association(ct, QDateTime(next, QTime(8, 10)), ids, 4);
    writeFile(QDir(folder).filePath(QStringLiteral("ZORadoDidService_20261205.log")), first);
    writeFile(QDir(folder).filePath(QStringLiteral("ZORadoDidService_20261206.log")), second);
}

QStringList writeLargeLogs(const QString &folder, qint64 totalBytes, qint64 fileBytes, const QByteArray &lineEnd)
{
    QDir().mkpath(folder);
    QRandomGenerator random(20261206);
    QList<Device> devices;
    for (int i = 1; i <= 40; ++i) {
        const QString ae = QStringLiteral("DEV%1").arg(i, 2, 10, QLatin1Char('0'));
        devices.append({ae, QStringLiteral("VMWL_EE_") + ae,
                        i % 3 ? QStringLiteral("ISO_IR 100") : QStringLiteral("\\ISO 2022 IR 149"),
                        QStringList{QStringLiteral("CR"), QStringLiteral("DX"), QStringLiteral("CT"),
                                    QStringLiteral("MR"), QStringLiteral("US")}
                            .at(i % 5)});
    }
    QStringList ids;
    for (int i = 0; i < 500; ++i)
        ids.append(QStringLiteral("2026%1").arg(i, 6, 10, QLatin1Char('0')));

    QStringList files;
    qint64 written = 0;
    QDateTime when(QDate(2026, 1, 1), QTime(0, 0));
    for (int n = 0; written < totalBytes; ++n) {
        const QString path =
            QDir(folder).filePath(QStringLiteral("ZORadoDidService_%1.log").arg(n, 4, 10, QLatin1Char('0')));
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        qint64 size = 0;
        while (size < fileBytes && written + size < totalBytes) {
            const Device &d = devices.at(int(random.bounded(devices.size())));
            const int responses = int(random.bounded(12));
            QByteArray chunk;
            for (const QString &line : association(d, when, ids.mid(int(random.bounded(450))), responses))
                chunk += platform::toAnsi(line) + lineEnd;
            f.write(chunk);
            size += chunk.size();
            when = when.addSecs(17);
        }
        written += size;
        files.append(path);
    }
    return files;
}

} // namespace bench

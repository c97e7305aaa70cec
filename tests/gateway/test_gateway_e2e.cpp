#include "support/test_site.h"

#include "db/db_session.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// The whole road with a real device client: devices registered in the tool,
// the gateway restarted by the site's own commands, DCMTK's findscu asking as
// each device, and the tool's log tools reading what the gateway wrote.
class TestGatewayEndToEnd : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestSite> m_site;
    QTemporaryDir m_work;
    int m_port = 0;
    QString m_findscu;

    static int freePort()
    {
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(s, reinterpret_cast<sockaddr *>(&address), sizeof address);
        socklen_t length = sizeof address;
        ::getsockname(s, reinterpret_cast<sockaddr *>(&address), &length);
        ::close(s);
        return ntohs(address.sin_port);
    }

    bool listening() const
    {
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(quint16(m_port));
        const bool ok = ::connect(s, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
        ::close(s);
        return ok;
    }

    QString pid() const
    {
        return QString::fromLatin1(m_site->readBytes(QStringLiteral("ZORadoDidService.pid"))).trimmed();
    }

    // Waits for a gateway other than `previous` to be up.
    bool gatewayUp(const QString &previous = QString())
    {
        for (int i = 0; i < 150; ++i) {
            if (!pid().isEmpty() && pid() != previous && listening())
                return true;
            QThread::msleep(100);
        }
        return false;
    }

    QJsonObject tool(const QString &script)
    {
        const QString scriptPath = m_work.filePath(QStringLiteral("script.txt"));
        const QString statePath = m_work.filePath(QStringLiteral("state.json"));
        QFile f(scriptPath);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write("login 79738793\n" + script.toUtf8());
        f.close();
        QProcess p;
        p.start(QStringLiteral(KZ_TOOL), {"--app-dir", m_site->dir(), "--today", "2026-12-06", "--real-pause",
                                          "--automate", scriptPath, "--state", statePath});
        p.waitForFinished(120000);
        QFile state(statePath);
        state.open(QIODevice::ReadOnly);
        return QJsonDocument::fromJson(state.readAll()).object().value(QStringLiteral("final")).toObject();
    }

    struct Answer
    {
        int responses = 0;
        bool success = false;
        QString xml;
        QString output;
    };

    Answer ask(const QString &ae, const QString &charset, const QString &modality)
    {
        const QString xml = m_work.filePath(QStringLiteral("answer.xml"));
        QFile::remove(xml);
        QProcess p;
        p.start(m_findscu, {"-v",        "-W",
                            "-aet",      ae,
                            "-aec",      "KALDEN1",
                            "127.0.0.1", QString::number(m_port),
                            "-k",        "SpecificCharacterSet=" + charset,
                            "-k",        "PatientName",
                            "-k",        "PatientID",
                            "-k",        "ScheduledProcedureStepSequence[0].Modality=" + modality,
                            "-k",        "ScheduledProcedureStepSequence[0].ScheduledStationAETitle",
                            "+sr",       "-Xs",
                            xml});
        p.waitForFinished(60000);
        const QString out = QString::fromLatin1(p.readAllStandardError() + p.readAllStandardOutput());
        Answer a;
        a.responses = int(out.count(QRegularExpression(QStringLiteral("Find Response: \\d+ \\(Pending\\)"))));
        a.success = out.contains(QStringLiteral("Received Final Find Response (Success)"));
        a.output = out.right(600);
        QFile f(xml);
        if (f.open(QIODevice::ReadOnly))
            a.xml = QString::fromUtf8(f.readAll());
        return a;
    }

    QString logs() const
    {
        QString all;
        const QDir dir(m_site->file(QStringLiteral("drives/c/RUDIVUV/Log")));
        for (const QString &name : dir.entryList(QDir::Files, QDir::Name)) {
            QFile f(dir.filePath(name));
            f.open(QIODevice::ReadOnly);
            all += QString::fromLatin1(f.readAll());
        }
        return all;
    }

    QStringList column(const QString &sql)
    {
        db::DbSession db;
        if (!db.connect(m_site->dir(), QDate(2026, 12, 6)))
            return {};
        QStringList values;
        for (db::Recordset r = db.open(sql); !r.eof(); r.moveNext())
            values.append(r.text(0));
        return values;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_findscu = QStandardPaths::findExecutable(QStringLiteral("findscu"));
        QVERIFY2(!m_findscu.isEmpty(), "findscu (Debian package dcmtk) is needed");
        m_site = std::make_unique<TestSite>(QDate(2026, 12, 6));
        QDir(m_site->file(QStringLiteral("drives/c/RUDIVUV/Log"))).removeRecursively();
        QDir().mkpath(m_site->file(QStringLiteral("drives/c/RUDIVUV/Log")));
        QVERIFY(QFile::link(QStringLiteral(KZ_GATEWAY), m_site->file(QStringLiteral("bin/ZORadoDidService"))));
        m_port = freePort();
        const QString control = QStringLiteral("drives/c/RUDIVUV/RUDIVUV_MWLScp/ZORadoDidServiceControl.ini");
        m_site->writeBytes(control, m_site->readBytes(control) + "Port=" + QByteArray::number(m_port) + "\r\n");
    }

    void cleanupTestCase()
    {
        if (m_site)
            QProcess::execute(m_site->file(QStringLiteral("bin/taskkill")),
                              {"/F", "/IM", "ZORadoDidService.exe", "/T"});
    }

    void registerQueryReadLogsRemove()
    {
        // Two devices registered, then the detailed log: the gateway restarts on each.
        const QJsonObject registered = tool(QStringLiteral(
            "pick Combo3 3\ntype Text2 DR09\ntype Text6 DX\ntype Text3 CR,DX\nclick Command6\n"
            "pick Combo3 0\ntype Text2 CT09\ntype Text6 CT\ntype Text3 CT\npick Combo2 2\nclick Command6\n"
            "click Option2\n"));
        QCOMPARE(registered.value(QStringLiteral("messages")).toArray().size(), 2);
        QVERIFY(m_site->readBytes(QStringLiteral("drives/c/RUDIVUV/RUDIVUV_MWLScp/ZORadoDidServiceControl.ini"))
                    .contains("\r\nLogLevel=4\r\n"));
        QVERIFY2(gatewayUp(), "the gateway did not come up");

        // Each device gets the rows of its own view.
        const Answer dr = ask(QStringLiteral("DR09"), QStringLiteral("ISO_IR 100"), QStringLiteral("DX"));
        QVERIFY(dr.success);
        QCOMPARE(dr.responses, column(QStringLiteral("Select patient_id From VMWL_EE_DR09")).size());
        QVERIFY(dr.responses > 0);
        QVERIFY(dr.xml.contains(QStringLiteral("HONG^GILDONG")));

        const Answer ct = ask(QStringLiteral("CT09"), QStringLiteral("\\ISO 2022 IR 149"), QStringLiteral("CT"));
        QVERIFY(ct.success);
        const QStringList names = column(QStringLiteral("Select patient_name From VMWL_KK_CT09"));
        QCOMPARE(ct.responses, names.size());
        for (const QString &name : QSet<QString>(names.begin(), names.end()))
            QVERIFY2(ct.xml.contains(QStringLiteral("PatientName\">") + name + QStringLiteral("</element>")),
                     qPrintable(name));

        // A device that is not listed is served from the base view.
        const Answer other = ask(QStringLiteral("XX01"), QStringLiteral("ISO_IR 100"), QStringLiteral("MR"));
        QVERIFY(other.success);
        QVERIFY(logs().contains(QStringLiteral("Calling AP Title: XX01")));
        QVERIFY2(logs().contains(QStringLiteral("FROM VMWL WHERE (1 = 1) AND modality = 'MR'")),
                 qPrintable(logs().right(1500)));

        // The tool's scanner, inspector and order lookup read it.
        const QJsonObject scanned = tool(QStringLiteral("click Command7\n"));
        const QJsonArray entries = scanned.value(QStringLiteral("controls"))
                                       .toObject()
                                       .value(QStringLiteral("List3"))
                                       .toObject()
                                       .value(QStringLiteral("items"))
                                       .toArray();
        int drEntry = -1;
        for (int i = 0; i < entries.size(); ++i) {
            if (entries.at(i).toString().startsWith(QStringLiteral(
                    "+//+DR09+///+*//*[ISO_IR 100]*///*-//-FROM VMWL_EE_DR09 WHERE (1 = 1) AND modality = 'DX'")))
                drEntry = i;
        }
        QVERIFY2(drEntry >= 0, qPrintable(QJsonDocument(entries).toJson()));
        QVERIFY(entries.toVariantList().contains(QStringLiteral(
            "+//+CT09+///+*//*[\\ISO 2022 IR 149]*///*-//-FROM VMWL_KK_CT09 WHERE (1 = 1) AND modality = 'CT' AND "
            "specific_character_set = '\\ISO 2022 IR 149'-///-")));

        const QJsonObject looked = tool(
            QStringLiteral("click Command7\npick List3 %1\ndump\nclick Command11\nclick Command12\n").arg(drEntry));
        const QJsonObject controls = looked.value(QStringLiteral("controls")).toObject();
        QCOMPARE(controls.value(QStringLiteral("Text10")).toObject().value(QStringLiteral("text")).toString(),
                 QStringLiteral("DR09"));
        QCOMPARE(controls.value(QStringLiteral("Text11")).toObject().value(QStringLiteral("text")).toString(),
                 QStringLiteral("VMWL_EE_DR09"));
        const QString orders =
            controls.value(QStringLiteral("Text8")).toObject().value(QStringLiteral("text")).toString();
        QCOMPARE(orders.count(QStringLiteral("    환자 번호 : [")), dr.responses);
        QVERIFY(orders.contains(QRegularExpression(
            QStringLiteral("<\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d> : %1 \\(Success\\)").arg(dr.responses + 1))));
        // "로그 삭제" took the logs and emptied the list.
        QVERIFY(controls.value(QStringLiteral("List3")).toObject().value(QStringLiteral("items")).toArray().isEmpty());
        QVERIFY(!logs().contains(QStringLiteral("Calling AP Title: DR09")));

        // Removed with "삭제", the device is served from the base view after the restart.
        QVERIFY2(gatewayUp(), "the gateway did not come back after the log deletion");
        const QString before = pid();
        tool(QStringLiteral("pick Combo3 3\ntype Text2 DR09\nclick Command5\n"));
        QVERIFY(!m_site->readBytes(QStringLiteral("drives/c/RUDIVUV/RUDIVUV_MWLScp/ZORadoDidServiceControl.ini"))
                     .contains("DR09"));
        QVERIFY2(gatewayUp(before), "the gateway did not restart after the removal");
        const Answer removed = ask(QStringLiteral("DR09"), QStringLiteral("ISO_IR 100"), QStringLiteral("DX"));
        QVERIFY2(removed.success, qPrintable(removed.output + logs().right(800) +
                                             QString::fromLatin1(m_site->readBytes("gateway-commands.log"))));
        QVERIFY(logs().contains(QStringLiteral("FROM VMWL WHERE (1 = 1) AND modality = 'DX'")));
    }
};

QTEST_GUILESS_MAIN(TestGatewayEndToEnd)
#include "test_gateway_e2e.moc"

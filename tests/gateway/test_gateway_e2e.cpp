#include "support/window_checks.h"

#include "app/ask_device_dialog.h"
#include "db/db_session.h"
#include "devicequery/worklist_client.h"
#include "echo/echo_probe.h"

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QThread>

#include <csignal>
#include <functional>

using namespace Qt::StringLiterals;

// Gateways on test sites as a device meets them. Ports come from below the
// range the system hands out to outgoing connections, so that no other
// connection (nor a probe connecting to itself) holds or answers them; a
// gateway counts as up only once it answers a C-ECHO.
namespace gatewayrun {

int freePort()
{
    for (int attempt = 0; attempt < 500; ++attempt) {
        const int port = 20000 + int(QRandomGenerator::global()->bounded(12000));
        QTcpServer probe;
        if (probe.listen(QHostAddress::LocalHost, quint16(port)))
            return port;
    }
    return 0;
}

bool echoes(int port)
{
    platform::GatewayAddress address;
    address.port = port;
    return echo::DicomEchoProbe().answers(address);
}

// Polls `ready` until it holds or `seconds` pass: the bound only matters when something is broken.
bool waitUntil(const std::function<bool()> &ready, int seconds = 60)
{
    for (int i = 0; i < seconds * 5; ++i) {
        if (ready())
            return true;
        QThread::msleep(200);
    }
    return ready();
}

// Starts the gateway on `siteDir` and waits until it answers on `port` or ends.
bool start(QProcess &gateway, const QString &siteDir, int port)
{
    gateway.start(QStringLiteral(KZ_GATEWAY), {u"--app-dir"_s, siteDir});
    return gateway.waitForStarted(60000) && waitUntil([&] {
               // waitForFinished also notices an end that no event loop has reported yet.
               return gateway.state() == QProcess::NotRunning || gateway.waitForFinished(100) || echoes(port);
           }) &&
           gateway.state() == QProcess::Running;
}

// Every gateway log file of the site, in name order.
QString logs(const TestSite &site)
{
    QString all;
    const QDir dir(site.file(u"drives/c/RUDIVUV/Log"_s));
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name))
        all += QString::fromLatin1(site.readBytes(u"drives/c/RUDIVUV/Log/"_s + name));
    return all;
}

} // namespace gatewayrun

// The whole road with real device clients: devices registered in the tool,
// the gateway restarted by the site's own commands, DCMTK's findscu and the
// tool's own device query asking as each device, and the tool's log tools
// reading what the gateway wrote.
class TestGatewayEndToEnd : public QObject
{
    Q_OBJECT

    std::unique_ptr<AppHarness> m_app; // the tool's window on the site, in this process
    TestSite *m_site = nullptr;
    int m_port = 0;
    QString m_findscu;

    QString pid() const { return QString::fromLatin1(m_site->readBytes(u"ZORadoDidService.pid"_s)).trimmed(); }

    // Waits for a gateway other than `previous` to be up: the one before gone,
    // the pid file naming a live one, and a C-ECHO answered.
    bool gatewayUp(const QString &previous = QString())
    {
        return gatewayrun::waitUntil([&] {
            const QString now = pid();
            return !now.isEmpty() && now != previous && (previous.isEmpty() || ::kill(previous.toInt(), 0) != 0) &&
                   ::kill(now.toInt(), 0) == 0 && gatewayrun::echoes(m_port);
        });
    }

    // The tool as a process of its own on the site: its exit code and what it printed.
    std::pair<int, QByteArray> runTool(const QStringList &arguments)
    {
        QProcess p;
        p.start(QStringLiteral(KZ_TOOL),
                QStringList{u"--app-dir"_s, m_site->dir(), u"--today"_s, u"2026-12-06"_s} + arguments);
        p.waitForFinished(180000);
        return {p.exitCode(), p.readAllStandardOutput()};
    }

    // An operator's script through the tool, with the real pause; the state it ends in.
    QJsonObject tool(const QString &script)
    {
        m_site->writeBytes(u"script.txt"_s, "login 79738793\n" + script.toUtf8());
        runTool({u"--real-pause"_s, u"--automate"_s, m_site->file(u"script.txt"_s), u"--state"_s,
                 m_site->file(u"state.json"_s)});
        return QJsonDocument::fromJson(m_site->readBytes(u"state.json"_s)).object().value(u"final"_s).toObject();
    }

    struct Answer
    {
        int responses = 0;
        bool success = false;
        bool failed = false; // a final failure status
        bool rejected = false;
        QString xml;
        QString output;
    };

    // As a device: every phase bounded, so that a gateway that does not answer
    // fails the test rather than hangs it.
    Answer ask(const QString &ae, const QString &charset, const QString &modality, const QStringList &more = {},
               int port = 0)
    {
        const QString xml = m_site->file(u"answer.xml"_s);
        QFile::remove(xml);
        QStringList args = u"-v %1 -to 20 -ta 30 -td 30 -aec KALDEN1 127.0.0.1 %2 -k PatientName -k PatientID +sr"_s
                               .arg(more.contains(u"-P"_s) ? u"-P"_s : u"-W"_s)
                               .arg(port ? port : m_port)
                               .split(u' ');
        args << u"-aet"_s << ae << u"-k"_s << u"ScheduledProcedureStepSequence[0].Modality="_s + modality << u"-k"_s
             << u"ScheduledProcedureStepSequence[0].ScheduledStationAETitle"_s << u"-Xs"_s << xml;
        if (!charset.isNull())
            args << u"-k"_s << u"SpecificCharacterSet="_s + charset;
        args << more;
        QProcess p;
        p.start(m_findscu, args);
        p.waitForFinished(120000);
        const QString out = QString::fromLatin1(p.readAllStandardError() + p.readAllStandardOutput());
        Answer a;
        a.responses = int(out.count(QRegularExpression(u"Find Response: \\d+ \\(Pending\\)"_s)));
        a.success = out.contains(u"Received Final Find Response (Success)"_s);
        a.failed = !a.success && out.contains(u"Received Final Find Response ("_s);
        a.rejected = out.contains(u"Association Rejected"_s);
        a.output = out.right(600);
        a.xml = QString::fromUtf8(m_site->readBytes(u"answer.xml"_s));
        return a;
    }

    struct Run
    {
        int exitCode = -1;
        QJsonObject json;
        QStringList codes, texts;
    };

    // The tool's own device query, from its command line.
    Run askAs(const QStringList &extra)
    {
        const auto [exitCode, out] = runTool(QStringList{u"--json"_s, u"--timeout"_s, u"30"_s} + extra);
        Run r;
        r.exitCode = exitCode;
        r.json = QJsonDocument::fromJson(out).object();
        for (const QJsonValue &f : r.json.value(u"findings"_s).toArray()) {
            r.codes.append(f.toObject().value(u"code"_s).toString());
            r.texts.append(f.toObject().value(u"text"_s).toString());
        }
        r.codes.removeDuplicates();
        return r;
    }

    QString logs() const { return gatewayrun::logs(*m_site); }
    // The stops and starts issued on the site and what the gateways said: why one is not up.
    QString stops() const
    {
        return QString::fromLatin1(m_site->readBytes(u"gateway-commands.log"_s).right(1500) +
                                   m_site->readBytes(u"gateway-output.log"_s).right(1500));
    }

    static QJsonObject control(const QJsonObject &state, const char *name)
    {
        return state.value(u"controls"_s).toObject().value(QLatin1String(name)).toObject();
    }

    QStringList column(const QString &sql) { return checks::column(*m_app, sql); }

    // A site of its own for a gateway started by hand, on a port of its own: the port.
    static int configure(const TestSite &site, const QByteArray &controlLines)
    {
        const int port = gatewayrun::freePort();
        site.writeBytes(kControl, "[Service]\r\nLogLevel=4\r\nBind=127.0.0.1\r\nPort=" + QByteArray::number(port) +
                                      "\r\n" + controlLines);
        return port;
    }

    static QString logOf(const TestSite &site, QProcess &gateway)
    {
        return gatewayrun::logs(site) + QString::fromLatin1(gateway.readAllStandardError());
    }

    static inline const QString kControl = TestSite::kControlFile;

private Q_SLOTS:
    void initTestCase()
    {
        m_findscu = QStandardPaths::findExecutable(u"findscu"_s);
        QVERIFY2(!m_findscu.isEmpty(), "findscu (Debian package dcmtk) is needed");
        m_port = gatewayrun::freePort();
        m_app = std::make_unique<AppHarness>(AppHarness::LoggedIn, [this](TestSite &site) {
            QDir(site.file(u"drives/c/RUDIVUV/Log"_s)).removeRecursively();
            QDir().mkpath(site.file(u"drives/c/RUDIVUV/Log"_s));
            site.writeBytes(kControl, site.readBytes(kControl) + "Port=" + QByteArray::number(m_port) + "\r\n");
        });
        m_site = &m_app->site();
        QVERIFY(QFile::link(QStringLiteral(KZ_GATEWAY), m_site->file(u"bin/ZORadoDidService"_s)));
    }

    void cleanupTestCase()
    {
        if (m_app)
            QProcess::execute(m_site->file(u"bin/taskkill"_s), {u"/F"_s, u"/IM"_s, u"ZORadoDidService.exe"_s, u"/T"_s});
    }

    void registerQueryReadLogsRemove()
    {
        // Three devices registered, then the detailed log: the gateway restarts on each.
        // CT09's Korean names in the Korean set; CT08's set cannot hold them.
        const QJsonObject registered =
            tool(u"pick Combo3 3\ntype Text2 DR09\ntype Text6 DX\ntype Text3 CR,DX\nclick Command6\n"
                 "pick Combo3 0\ntype Text2 CT09\ntype Text6 CT\ntype Text3 CT\npick Combo2 2\nclick Command6\n"
                 "pick Combo3 0\ntype Text2 CT08\ntype Text6 CT\ntype Text3 CT\nclick Command6\nclick Option2\n"_s);
        QCOMPARE(registered.value(u"messages"_s).toArray().size(), 3);
        QVERIFY(m_site->readBytes(kControl).contains("\r\nLogLevel=4\r\n"));
        QVERIFY2(gatewayUp(), "the gateway did not come up");

        // Each device gets the rows of its own view.
        const Answer dr = ask(u"DR09"_s, u"ISO_IR 100"_s, u"DX"_s);
        QVERIFY(dr.success);
        QCOMPARE(dr.responses, column(u"Select patient_id From VMWL_EE_DR09"_s).size());
        QVERIFY(dr.responses > 0);
        QVERIFY(dr.xml.contains(u"HONG^GILDONG"_s));

        const Answer ct = ask(u"CT09"_s, u"\\ISO 2022 IR 149"_s, u"CT"_s);
        QVERIFY(ct.success);
        const QStringList names = column(u"Select patient_name From VMWL_KK_CT09"_s);
        QCOMPARE(ct.responses, names.size());
        for (const QString &name : QSet<QString>(names.begin(), names.end()))
            QVERIFY2(ct.xml.contains(u"PatientName\">"_s + name + u"</element>"_s), qPrintable(name));

        // A device that is not listed is served from the base view.
        const Answer other = ask(u"XX01"_s, u"ISO_IR 100"_s, u"MR"_s);
        QVERIFY(other.success);
        QVERIFY(logs().contains(u"Calling AP Title: XX01"_s));
        QVERIFY2(logs().contains(u"FROM VMWL WHERE (1 = 1) AND modality = 'MR'"_s), qPrintable(logs().right(1500)));

        // The tool's scanner, inspector and order lookup read it.
        const QJsonObject scanned = tool(u"click Command7\n"_s);
        const QJsonArray entries = control(scanned, "List3").value(u"items"_s).toArray();
        const auto dr09 = std::find_if(entries.begin(), entries.end(), [](const QJsonValue &entry) {
            return entry.toString().startsWith(
                u"+//+DR09+///+*//*[ISO_IR 100]*///*-//-FROM VMWL_EE_DR09 WHERE (1 = 1) AND modality = 'DX'"_s);
        });
        QVERIFY2(dr09 != entries.end(), QJsonDocument(entries).toJson().constData());
        const qsizetype drEntry = dr09 - entries.begin();
        QVERIFY(entries.toVariantList().contains(
            u"+//+CT09+///+*//*[\\ISO 2022 IR 149]*///*-//-FROM VMWL_KK_CT09 WHERE (1 = 1) AND modality = 'CT'-///-"_s));

        const QJsonObject looked =
            tool(u"click Command7\npick List3 %1\ndump\nclick Command11\nclick Command12\n"_s.arg(drEntry));
        const auto text = [&](const char *name) { return control(looked, name).value(u"text"_s).toString(); };
        QCOMPARE(text("Text10") + u'|' + text("Text11"), u"DR09|VMWL_EE_DR09"_s);
        const QString orders = text("Text8");
        QCOMPARE(orders.count(u"    환자 번호 : ["_s), dr.responses);
        QVERIFY(orders.contains(QRegularExpression(
            u"<\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d> : %1 \\(Success\\)"_s.arg(dr.responses + 1))));
        // "로그 삭제" took the logs and emptied the list.
        QVERIFY(control(looked, "List3").value(u"items"_s).toArray().isEmpty());
        QVERIFY(!logs().contains(u"Calling AP Title: DR09"_s));

        // Removed with "삭제", the device is served from the base view after the restart.
        QVERIFY2(gatewayUp(), qPrintable(u"the gateway did not come back after the log deletion\n"_s + stops()));
        const QString before = pid();
        tool(u"pick Combo3 3\ntype Text2 DR09\nclick Command5\n"_s);
        QVERIFY(!m_site->readBytes(kControl).contains("DR09"));
        QVERIFY2(gatewayUp(before), qPrintable(u"the gateway did not restart after the removal\n"_s + stops()));
        const Answer removed = ask(u"DR09"_s, u"ISO_IR 100"_s, u"DX"_s);
        QVERIFY2(removed.success, qPrintable(removed.output + logs().right(800) + stops()));
        QVERIFY(logs().contains(u"FROM VMWL WHERE (1 = 1) AND modality = 'DX'"_s));
    }

    // Every character set a device may ask in gets the view's rows: the set
    // says how the query is written and never filters.
    void anyCharacterSet_data()
    {
        QTest::addColumn<QString>("charset");
        QTest::newRow("none") << QString();
        QTest::newRow("UTF-8") << u"ISO_IR 192"_s;
        QTest::newRow("Korean, no leading backslash") << u"ISO 2022 IR 149"_s;
    }

    void anyCharacterSet()
    {
        QFETCH(QString, charset);
        QVERIFY2(gatewayUp(), "the gateway is not up");
        const Answer a = ask(u"XX02"_s, charset, u"CT"_s);
        QVERIFY2(a.success, qPrintable(a.output));
        QCOMPARE(a.responses, column(u"Select patient_id From VMWL Where modality = 'CT'"_s).size());
        QVERIFY(a.responses > 0);
    }

    // Peers that stall, send what cannot be served or hostile text: each is
    // refused or cut off and logged, and the next device is served meanwhile.
    void hostilePeers()
    {
        QVERIFY2(gatewayUp(), "the gateway is not up");
        QTcpSocket partial; // an A-ASSOCIATE-RQ begun, never ended
        partial.connectToHost(QHostAddress::LocalHost, quint16(m_port));
        QVERIFY(partial.waitForConnected(30000));
        partial.write(QByteArray("\x01\0\0\0\0\xcd\0\x01\0\0", 10));
        QVERIFY(partial.waitForBytesWritten(30000));

        const Answer stalled = ask(u"XX03"_s, u"ISO_IR 100"_s, u"CT"_s);
        QVERIFY2(stalled.success, qPrintable(u"a stalled peer holds the gateway: "_s + stalled.output));
        QVERIFY(ask(u"    "_s, u"ISO_IR 100"_s, u"CT"_s).rejected);
        const Answer patientRoot = ask(u"XX04"_s, QString(), QString(), {u"-P"_s});
        QVERIFY2(patientRoot.rejected, qPrintable(patientRoot.output));
        // Line ends and the log's own markers inside every key the log shows.
        const QString forged = u"1\r\nDcmSCP: Association Terminated\r"_s;
        QVERIFY(ask(u"CT\n09"_s, u"ISO_IR 100"_s, u"CT"_s).rejected);
        const Answer hostile = ask(u"XX05"_s, u"ISO_IR 100\r\nX"_s, u"CT"_s,
                                   {u"-k"_s, u"PatientID="_s + forged, u"-k"_s, u"PatientName="_s + forged});
        QVERIFY2(hostile.failed, qPrintable(hostile.output));
        partial.abort();
        QVERIFY(ask(u"XX06"_s, u"ISO_IR 100"_s, u"CT"_s).success);

        const QStringList lines = logs().split(u"\r\n"_s, Qt::SkipEmptyParts);
        for (const QString &line : lines)
            QVERIFY2(QRegularExpression(u"^<\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d> : [^\\x00-\\x1f]*$"_s)
                         .match(line)
                         .hasMatch(),
                     qPrintable(line));
        const QString all = lines.join(QLatin1Char('\n'));
        QVERIFY(all.contains(u"Association Refused: calling AE title not valid"_s));
        QVERIFY(all.contains(u"Calling AP Title: CT\\x0A09"_s));
        QVERIFY(all.contains(u"Association Refused: no Modality Worklist find"_s));
        QVERIFY(all.contains(u"Calling AP Title: XX05\n"_s));
        QVERIFY(all.contains(u"[ISO_IR 100\\x0D\\x0AX]"_s));
        QVERIFY(all.contains(u"control characters: 1\\x0D\\x0ADcmSCP\\x3A Association Terminated\\x0D"_s));
        // Each association is one whole entry for the tool's scanner.
        const QJsonArray entries = control(tool(u"click Command7\n"_s), "List3").value(u"items"_s).toArray();
        QVERIFY2(entries.toVariantList().contains(u"+//+XX05+///+*//*[ISO_IR 100\\x0D\\x0AX]*///*"_s),
                 QJsonDocument(entries).toJson().constData());
    }

    // The dialog asks with the keys of the device's last query in the gateway's log.
    void dialogShowsTheThreeColumns()
    {
        QVERIFY2(gatewayUp(), "the gateway is not up");
        AskDeviceDialog *dialog = openAskDevice(m_app->form(), u"CT09"_s, QString());
        QVERIFY(dialog);
        QVERIFY(dialog->running());
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->running(), 60000);
        QVERIFY2(dialog->findings().isEmpty(), qPrintable(dialog->findings().value(0).text));
        const QString rows = dialog->ui().rowsText->toPlainText();
        const QString items = dialog->ui().itemsText->toPlainText();
        QVERIFY(rows.contains(u"View : VMWL_KK_CT09"_s));
        const QString firstName = rows.section(u" / "_s, 1, 1);
        QVERIFY2(!firstName.isEmpty() && items.contains(firstName), qPrintable(items));
        QVERIFY(dialog->ui().keysText->toPlainText().contains(u"Modality : CT"_s));
        dialog->close();
    }

    void commandLineFindings_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<int>("exitCode");
        const auto row = [](const char *name, const char *arguments, const QStringList &codes, int exitCode) {
            QTest::newRow(name) << QString::fromLatin1(arguments) << codes << exitCode;
        };
        row("registered Korean-name device", "--ask-as CT09", {}, 0);
        // The base view's orders are for any station.
        row("unregistered device", "--ask-as XX01 --key ScheduledStationAETitle= --key Modality=CT",
            {u"not-registered"_s}, 0);
        row("names the view's set cannot hold", "--ask-as CT08", {u"charset-unfit"_s}, 1);
        row("modality the view does not carry", "--ask-as CT09 --key Modality=MR", {u"modality"_s}, 1);
        row("a refused command line", "--ask-as CT09 --key Foo=1", {}, 2);
        row("a time-out that is no number of seconds", "--ask-as CT09 --timeout 1x", {}, 2);
    }

    void commandLineFindings()
    {
        QVERIFY2(gatewayUp(), "the gateway is not up");
        QFETCH(QString, arguments);
        QFETCH(QStringList, codes);
        QFETCH(int, exitCode);
        const Run r = askAs(arguments.split(u' '));
        QCOMPARE(r.exitCode, exitCode);
        if (exitCode == 2)
            return;
        QCOMPARE(r.codes, codes);
        QCOMPARE(r.json.value(u"outcome"_s).toString(), u"answered"_s);
        // What came over DICOM, decoded, is what the view holds.
        const QJsonArray items = r.json.value(u"items"_s).toArray();
        if (codes.isEmpty() || codes == QStringList{u"not-registered"_s}) {
            QVERIFY(!items.isEmpty());
            const QString modality = r.json.value(u"keys"_s).toObject().value(u"Modality"_s).toString();
            QStringList names, viewNames;
            for (const QJsonValue &v : items)
                names.append(v[u"PatientName"_s].toString());
            for (const QJsonValue &row : r.json.value(u"rows"_s).toArray())
                if (row[u"Modality"_s].toString() == modality)
                    viewNames.append(row[u"PatientName"_s].toString());
            names.sort();
            viewNames.sort();
            QCOMPARE(names, viewNames);
        }
    }

    void cancelledOrStalled_data()
    {
        QTest::addColumn<bool>("stalled");
        QTest::newRow("cancelled at once") << false;
        QTest::newRow("a peer that never answers") << true;
    }

    void cancelledOrStalled()
    {
        QFETCH(bool, stalled);
        QTcpServer silent; // accepts the connection and never answers
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        devicequery::Request request;
        request.callingAeTitle = u"CT09"_s;
        request.host = u"127.0.0.1"_s;
        request.port = stalled ? silent.serverPort() : m_port;
        request.timeoutSeconds = 1;
        request.keys.modality = u"CT"_s;
        const std::atomic<bool> cancel(!stalled);
        const devicequery::Answer a = devicequery::askWorklist(request, cancel);
        QCOMPARE(a.outcome, stalled ? devicequery::Outcome::Timeout : devicequery::Outcome::Cancelled);
    }

    // Started while the archive is missing, the gateway answers with a
    // failure, never creates it, and serves it once it is there.
    void archiveDownThenUp()
    {
        TestSite site;
        const int port = configure(site, "CustomAETitle=\r\n");
        QProcess gateway;
        gatewayrun::start(gateway, site.dir(), port);
        QVERIFY2(logOf(site, gateway).contains(u"ZORadoDidService started"_s), qPrintable(logOf(site, gateway)));
        // Through the wire, the server cannot open the database meanwhile.
        site.setWireFaults("no-database\n");
        const Answer down = ask(u"CT01"_s, u"ISO_IR 100"_s, u"CT"_s, {}, port);
        QVERIFY2(down.failed && down.responses == 0, qPrintable(down.output));
        QVERIFY(!QFile::exists(site.file(u"archive.db"_s)));
        site.setWireFaults({});
        {
            db::DbSession made;
            QVERIFY(made.connect(site.dir(), QDate(2026, 12, 6)));
        }
        const Answer up = ask(u"CT01"_s, u"ISO_IR 100"_s, u"CT"_s, {}, port);
        QVERIFY2(up.success && up.responses > 0, qPrintable(up.output + logOf(site, gateway)));
        const QString log = logOf(site, gateway);
        QVERIFY(log.contains(u"Archive not reachable"_s) && log.contains(u"Archive reachable again"_s));
        gateway.kill();
        gateway.waitForFinished();
    }

    // What it cannot serve as configured, the gateway says in its log and ends
    // with a failure code.
    void refusesToStart_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QString>("why");
        QTest::newRow("port not a number") << QByteArray("Port=abc\r\n") << "\"Port=abc\" is not a number";
        QTest::newRow("port taken") << QByteArray() << "cannot listen on port";
    }

    void refusesToStart()
    {
        QFETCH(QByteArray, lines);
        QFETCH(QString, why);
        TestSite site;
        const int port = configure(site, lines);
        QTcpServer taken;
        if (lines.isEmpty())
            QVERIFY(taken.listen(QHostAddress::LocalHost, quint16(port)));
        QProcess gateway;
        gatewayrun::start(gateway, site.dir(), port);
        QVERIFY(gateway.state() == QProcess::NotRunning || gateway.waitForFinished(60000));
        QVERIFY(gateway.exitCode() != 0);
        const QString log = logOf(site, gateway);
        QVERIFY2(log.contains(why) && log.contains(u"ZORadoDidService not started"_s), qPrintable(log));
    }

    // Last: the gateway is stopped.
    void stoppedGateway()
    {
        QProcess::execute(m_site->file(u"bin/taskkill"_s), {u"/F"_s, u"/IM"_s, u"ZORadoDidService.exe"_s, u"/T"_s});
        const Run r = askAs({u"--ask-as"_s, u"CT09"_s});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.codes, QStringList{u"port-closed"_s});
        QVERIFY2(r.texts.value(0).contains(u":%1 포트"_s.arg(m_port)), qPrintable(r.texts.value(0)));
    }
};

QTEST_MAIN(TestGatewayEndToEnd)
#include "test_gateway_e2e.moc"

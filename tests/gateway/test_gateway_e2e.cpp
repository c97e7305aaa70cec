#include "support/poll.h"
#include "support/window_checks.h"

#include "app/ask_device_dialog.h"
#include "db/db_session.h"
#include "devicequery/device_check.h"
#include "devicequery/worklist_client.h"
#include "echo/echo_probe.h"
#include "gatewaylog/log_entry.h"
#include "gatewaylog/log_files.h"
#include "gatewaylog/log_format.h"
#include "gatewaylog/order_lookup.h"
#include "platform/codepage.h"
#include "support/raw_dicom.h"

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
#include <thread>

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

// Starts the gateway on `siteDir` and waits until it answers on `port` or ends.
// What it writes to stderr goes to a file beside the site's, read as often as wanted.
bool start(QProcess &gateway, const QString &siteDir, int port)
{
    gateway.setStandardErrorFile(QDir(siteDir).filePath(u"gateway-stderr.log"_s));
    gateway.start(QStringLiteral(KZ_GATEWAY), {u"--app-dir"_s, siteDir});
    return gateway.waitForStarted(60000) && poll::ready([&] {
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

// A peer on a plain socket, sending what and as slowly as it likes; every wait bounded.
class RawPeer
{
public:
    explicit RawPeer(int port)
    {
        m_socket.connectToHost(QHostAddress::LocalHost, quint16(port));
        m_socket.waitForConnected(30000);
    }

    bool connected() const { return m_socket.state() == QAbstractSocket::ConnectedState; }
    void close() { m_socket.abort(); }
    bool send(const QByteArray &bytes)
    {
        if (m_socket.write(bytes) != bytes.size())
            return false;
        while (m_socket.bytesToWrite() > 0)
            if (!m_socket.waitForBytesWritten(30000))
                return false;
        return true;
    }

    // One PDU from the gateway within `ms` milliseconds; empty when none came.
    QByteArray readPdu(int ms = 30000)
    {
        const QDeadlineTimer deadline(ms);
        const QByteArray head = read(6, deadline);
        if (head.size() < 6)
            return {};
        const quint32 length = quint32(uchar(head[2])) << 24 | quint32(uchar(head[3])) << 16 |
                               quint32(uchar(head[4])) << 8 | quint32(uchar(head[5]));
        return head + read(qsizetype(length), deadline);
    }

    // Sends the bytes one at a time, `gapMs` apart, and says whether the
    // gateway closed the connection before they were all sent.
    bool trickleUntilClosed(const QByteArray &bytes, int gapMs)
    {
        for (const char byte : bytes) {
            if (!send(QByteArray(1, byte)) || m_socket.waitForDisconnected(gapMs))
                return true;
        }
        return false;
    }

private:
    QByteArray read(qsizetype n, const QDeadlineTimer &deadline)
    {
        while (m_socket.bytesAvailable() < n && !deadline.hasExpired() &&
               m_socket.waitForReadyRead(int(deadline.remainingTime())))
            ;
        return m_socket.read(n);
    }

    QTcpSocket m_socket;
};

} // namespace gatewayrun

// Fails the test with the log's end when the log does not come to hold the texts.
#define QVERIFY_LOG_SHOWS(...)                                                                                         \
    do {                                                                                                               \
        const poll::Seen seen = logShows(__VA_ARGS__);                                                                 \
        QVERIFY2(seen.ok, qPrintable(poll::tail(seen.last)));                                                          \
    } while (false)

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
        return poll::ready([&] {
            const QString now = pid();
            return !now.isEmpty() && now != previous && (previous.isEmpty() || ::kill(previous.toInt(), 0) != 0) &&
                   ::kill(now.toInt(), 0) == 0 && gatewayrun::echoes(m_port);
        });
    }

    // The tool as a process of its own on the site: its exit code and what it printed.
    std::pair<int, QByteArray> runTool(const QStringList &arguments, const QString &siteDir = QString())
    {
        QProcess p;
        p.start(QStringLiteral(KZ_TOOL), QStringList{u"--app-dir"_s, siteDir.isEmpty() ? m_site->dir() : siteDir,
                                                     u"--today"_s, u"2026-12-06"_s} +
                                             arguments);
        p.waitForFinished(180000);
        return {p.exitCode(), p.readAllStandardOutput()};
    }

    // An operator's script through the tool, with the real pause; the state it ends in.
    QJsonObject tool(const QString &script)
    {
        QFile::remove(m_site->file(u"state.json"_s)); // a tool that fails leaves none, never the last one
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
    // fails the test rather than hangs it. Devices may ask at once, each on a thread of its own.
    Answer ask(const QString &ae, const QString &charset, const QString &modality, const QStringList &more = {},
               int port = 0)
    {
        const QString answer = u"answer-%1.xml"_s.arg(reinterpret_cast<quintptr>(QThread::currentThreadId()));
        const QString xml = m_site->file(answer);
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
        a.xml = QString::fromUtf8(m_site->readBytes(answer));
        return a;
    }

    struct Run
    {
        int exitCode = -1;
        QJsonObject json;
        QStringList codes, texts;
        bool logged = true; // the gateway wrote the association it answered
    };

    // How many associations of a calling AE title the gateway's logs hold.
    int loggedAssociations(const QString &aeTitle) const
    {
        const QRegularExpression line(u"Calling AP Title: "_s + QRegularExpression::escape(aeTitle) + u"\\r?$"_s,
                                      QRegularExpression::MultilineOption);
        int n = 0;
        for (auto it = line.globalMatch(logs()); it.hasNext(); it.next())
            ++n;
        return n;
    }
    // The gateway writes an association's lines when it ends, which may be after the device has gone: waits
    // until they are there, so that they never land in the next case's logs.
    bool associationLogged(const QString &aeTitle, int before, int more = 1)
    {
        return poll::ready([&] { return loggedAssociations(aeTitle) >= before + more; });
    }

    // The tool's own device query, from its command line.
    Run askAs(const QStringList &extra, const QString &siteDir = QString())
    {
        const qsizetype as = extra.indexOf(u"--ask-as"_s);
        const QString aeTitle = as >= 0 ? extra.value(as + 1) : QString();
        const int before = siteDir.isEmpty() ? loggedAssociations(aeTitle) : 0;
        const auto [exitCode, out] = runTool(QStringList{u"--json"_s, u"--timeout"_s, u"30"_s} + extra, siteDir);
        Run r;
        r.exitCode = exitCode;
        r.json = QJsonDocument::fromJson(out).object();
        if (siteDir.isEmpty() && !aeTitle.isEmpty() && r.json.value(u"outcome"_s).toString() == u"answered"_s)
            r.logged = associationLogged(aeTitle, before);
        for (const QJsonValue &f : r.json.value(u"findings"_s).toArray()) {
            r.codes.append(f.toObject().value(u"code"_s).toString());
            r.texts.append(f.toObject().value(u"text"_s).toString());
        }
        r.codes.removeDuplicates();
        return r;
    }

    QString logs() const { return gatewayrun::logs(*m_site); }
    // The gateway writes an association's lines when it ends, which may be
    // after the device has gone: the log is read until it holds every text.
    template <class Read> static poll::Seen shows(Read read, const QStringList &texts)
    {
        return poll::until(read, [&](const QString &log) {
            return std::all_of(texts.begin(), texts.end(), [&](const QString &t) { return log.contains(t); });
        });
    }
    poll::Seen logShows(const QStringList &texts)
    {
        return shows([this] { return logs(); }, texts);
    }
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

    // The site's archive made, as the tool makes it, for the day given.
    static bool makeArchive(const TestSite &site, const QDate &day = QDate(2026, 12, 6))
    {
        db::DbSession made;
        return made.connect(site.dir(), day);
    }

    // A gateway started by hand: ended with the case, also when the case fails part way.
    struct OwnGateway : QProcess
    {
        ~OwnGateway() override
        {
            kill();
            waitForFinished();
        }
    };

    // What the gateway logged, its values read back.
    static QString logOf(const TestSite &site)
    {
        return gatewaylog::format::unescape(gatewayrun::logs(site) +
                                            QString::fromLatin1(site.readBytes(u"gateway-stderr.log"_s)));
    }

    // bash's quoting of any bytes but NUL.
    static QString quotedBytes(const QByteArray &bytes)
    {
        QString q = u"$'"_s;
        for (const char b : bytes)
            q += u"\\x"_s + QString::number(uchar(b), 16).rightJustified(2, u'0');
        return q + u'\'';
    }

    // A device's value in the bytes its character set writes: Korean after ESC $ ) C.
    static QByteArray deviceBytes(const QString &value, const QString &charset)
    {
        if (charset == u"ISO_IR 192"_s)
            return value.toUtf8();
        QByteArray bytes;
        bool korean = false;
        for (const QChar c : value) {
            if (c.unicode() < 0x80) {
                bytes += char(c.unicode());
                korean = false;
                continue;
            }
            if (!korean)
                bytes += "\x1b$)C";
            korean = true;
            bytes += platform::toEucKr(QString(c)).value_or("?");
        }
        return bytes;
    }

    static inline const QString kControl = TestSite::kControlFile;

    // What every case starts from: the control file and the views after the
    // fixture's registrations, and an empty log folder.
    QByteArray m_baseControl;
    QStringList m_baseViews;

    QStringList views() { return column(u"Select name From Sys.Objects Where type = 'V' Order By name"_s); }

    void clearLogs()
    {
        QDir(m_site->file(u"drives/c/RUDIVUV/Log"_s)).removeRecursively();
        QDir().mkpath(m_site->file(u"drives/c/RUDIVUV/Log"_s));
    }

    void site(const QString &command, const QStringList &arguments)
    {
        QCOMPARE(QProcess::execute(m_site->file(u"bin/"_s + command), arguments), 0);
    }

private Q_SLOTS:
    // Two Korean-name CTs registered through the tool, the detailed log on:
    // CT09's names in the Korean set; CT08's set cannot hold them.
    void initTestCase()
    {
        m_findscu = QStandardPaths::findExecutable(u"findscu"_s);
        QVERIFY2(!m_findscu.isEmpty(), "findscu (Debian package dcmtk) is needed");
        m_port = gatewayrun::freePort();
        m_app = std::make_unique<AppHarness>(AppHarness::LoggedIn, [this](TestSite &site) {
            site.writeBytes(kControl, site.readBytes(kControl) + "Port=" + QByteArray::number(m_port) + "\r\n");
        });
        m_site = &m_app->site();
        clearLogs();
        QVERIFY(QFile::link(QStringLiteral(KZ_GATEWAY), m_site->file(u"bin/ZORadoDidService"_s)));
        const QJsonObject registered =
            tool(u"pick Combo3 0\ntype Text2 CT09\ntype Text6 CT\ntype Text3 CT\npick Combo2 2\nclick Command6\n"
                 "pick Combo3 0\ntype Text2 CT08\ntype Text6 CT\ntype Text3 CT\nclick Command6\nclick Option2\n"_s);
        QCOMPARE(registered.value(u"messages"_s).toArray().size(), 2);
        QVERIFY(m_site->readBytes(kControl).contains("\r\nLogLevel=4\r\n"));
        QVERIFY2(gatewayUp(), qPrintable(u"the gateway did not come up\n"_s + stops()));
        m_baseControl = m_site->readBytes(kControl);
        m_baseViews = views();
        QVERIFY(m_baseViews.contains(u"VMWL_KK_CT09"_s) && m_baseViews.contains(u"VMWL_KK_CT08"_s));
    }

    // Each case starts from the fixture's state, whatever the one before it
    // left: its registrations undone, the logs gone, the gateway up again.
    void init()
    {
        clearLogs();
        bool changed = false;
        for (const QString &view : views()) {
            if (!m_baseViews.contains(view)) {
                m_app->form().database().executeSql(u"Drop View "_s + view);
                changed = true;
            }
        }
        if (m_site->readBytes(kControl) != m_baseControl) {
            m_site->writeBytes(kControl, m_baseControl);
            changed = true;
        }
        if (changed || pid().isEmpty() || ::kill(pid().toInt(), 0) != 0) {
            const QString before = pid();
            site(u"taskkill"_s, {u"/F"_s, u"/IM"_s, u"ZORadoDidService.exe"_s, u"/T"_s});
            site(u"net"_s, {u"start"_s, u"KALDEN1"_s});
            QVERIFY2(gatewayUp(before), qPrintable(u"the gateway did not come back\n"_s + stops()));
        }
        QCOMPARE(views(), m_baseViews);
        QVERIFY2(gatewayUp(), qPrintable(u"the gateway is not up\n"_s + stops()));
    }

    void cleanupTestCase()
    {
        if (m_app)
            QProcess::execute(m_site->file(u"bin/taskkill"_s), {u"/F"_s, u"/IM"_s, u"ZORadoDidService.exe"_s, u"/T"_s});
    }

    void registerQueryReadLogsRemove()
    {
        // One more device registered: the gateway restarts.
        const QString before = pid();
        const QJsonObject registered =
            tool(u"pick Combo3 3\ntype Text2 DR09\ntype Text6 DX\ntype Text3 CR,DX\nclick Command6\n"_s);
        QCOMPARE(registered.value(u"messages"_s).toArray().size(), 1);
        QVERIFY2(gatewayUp(before), qPrintable(u"the gateway did not restart\n"_s + stops()));

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

        QVERIFY_LOG_SHOWS({u"Calling AP Title: DR09"_s, u"Calling AP Title: CT09"_s});

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
        const QString deleted = pid();
        tool(u"pick Combo3 3\ntype Text2 DR09\nclick Command5\n"_s);
        QCOMPARE(m_site->readBytes(kControl), m_baseControl);
        QVERIFY2(gatewayUp(deleted), qPrintable(u"the gateway did not restart after the removal\n"_s + stops()));
        const Answer removed = ask(u"DR09"_s, u"ISO_IR 100"_s, u"DX"_s);
        QVERIFY2(removed.success, qPrintable(removed.output + logs().right(800) + stops()));
        QVERIFY_LOG_SHOWS({u"FROM VMWL WHERE (1 = 1) AND modality = 'DX'"_s});
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
        const Answer a = ask(u"XX02"_s, charset, u"CT"_s);
        QVERIFY2(a.success, qPrintable(a.output));
        QCOMPARE(a.responses, column(u"Select patient_id From VMWL Where modality = 'CT'"_s).size());
        QVERIFY(a.responses > 0);
    }

    // Peers that stall, send what cannot be served or hostile text: each is
    // refused or cut off and logged, and the next device is served meanwhile.
    void hostilePeers()
    {
        gatewayrun::RawPeer partial(m_port); // an A-ASSOCIATE-RQ begun, never ended
        QVERIFY(partial.connected() && partial.send(QByteArray("\x01\0\0\0\0\xcd\0\x01\0\0", 10)));

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
        partial.close();
        QVERIFY(ask(u"XX06"_s, u"ISO_IR 100"_s, u"CT"_s).success);
        QVERIFY_LOG_SHOWS({u"Association Refused: calling AE title not valid"_s, u"Calling AP Title: CT\\x0A09"_s,
                           u"Association Refused: no Modality Worklist find"_s, u"Calling AP Title: XX05\r\n"_s,
                           u"[ISO_IR 100\\x0D\\x0AX]"_s,
                           u"control characters: 1\\x0D\\x0ADcmSCP\\x3A Association Terminated\\x0D"_s,
                           u"Calling AP Title: XX06"_s});

        // Every line is one whole line of the gateway's own: no control character in it.
        const QStringList broken =
            logs()
                .split(u"\r\n"_s, Qt::SkipEmptyParts)
                .filter(QRegularExpression(u"^(?!<\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d> : [^\\x00-\\x1f]*$)"_s));
        QVERIFY2(broken.isEmpty(), qPrintable(broken.join(u'\n')));
        // Each association is one whole entry for the tool's scanner.
        const QJsonArray entries = control(tool(u"click Command7\n"_s), "List3").value(u"items"_s).toArray();
        QVERIFY2(entries.toVariantList().contains(u"+//+XX05+///+*//*[ISO_IR 100\r\nX]*///*"_s),
                 QJsonDocument(entries).toJson().constData());
    }

    // Identifiers DCMTK could only read by recursing as deep as they nest are
    // answered with a failure without being parsed, and the next device is served.
    void nestedQuery_data()
    {
        QTest::addColumn<int>("levels");
        QTest::addColumn<QString>("why");
        QTest::newRow("deeper than any query") << 1500 << u"sequences nested more than 8 deep"_s;
        QTest::newRow("more than 64 KB") << 4000 << u"identifier of more than 65536 bytes"_s;
    }

    void nestedQuery()
    {
        QFETCH(int, levels);
        QFETCH(QString, why);
        gatewayrun::RawPeer peer(m_port);
        QVERIFY(peer.connected());
        QVERIFY(peer.send(rawdicom::associateRq("XX07")));
        QCOMPARE(peer.readPdu().left(1), QByteArray(1, 0x02));
        QVERIFY(peer.send(rawdicom::findRq(rawdicom::nested(levels, "", true))));
        QCOMPARE(rawdicom::findStatus(peer.readPdu()), 0xA900);
        const Answer next = ask(u"XX08"_s, u"ISO_IR 100"_s, u"CT"_s);
        QVERIFY2(next.success, qPrintable(next.output));
        // Its lines are written when the association ends.
        peer.close();
        QVERIFY_LOG_SHOWS({u"Find refused: "_s + why});
    }

    // Peers that send an association request or a message a byte at a time
    // are cut off when the phase's time is up, however steadily the bytes
    // come, and other devices are served meanwhile. The peers trickle together.
    void slowPeers()
    {
        std::atomic<int> requestsCut{0};
        std::atomic<bool> associated{false}, messageCut{false};
        std::vector<std::thread> peers;
        // A byte every 2 s: the first 30 bytes of a request would take a minute.
        for (int i = 0; i < 4; ++i)
            peers.emplace_back([&, i] {
                gatewayrun::RawPeer peer(m_port);
                if (peer.connected() &&
                    peer.trickleUntilClosed(rawdicom::associateRq("SLOW" + QByteArray::number(i)).left(30), 2000))
                    ++requestsCut;
            });
        peers.emplace_back([&] {
            gatewayrun::RawPeer peer(m_port);
            if (!peer.send(rawdicom::associateRq("SLOW9")) || peer.readPdu().left(1) != QByteArray(1, 0x02))
                return;
            associated = true;
            messageCut = peer.trickleUntilClosed(rawdicom::findRq(rawdicom::nested(1, "", true)).left(40), 2000);
        });
        const Answer meanwhile = ask(u"XX10"_s, u"ISO_IR 100"_s, u"CT"_s);
        for (std::thread &t : peers)
            t.join();
        QVERIFY2(meanwhile.success, qPrintable(meanwhile.output));
        QCOMPARE(requestsCut.load(), 4);
        QVERIFY(associated);
        QVERIFY(messageCut);
        QVERIFY(ask(u"XX11"_s, u"ISO_IR 100"_s, u"CT"_s).success);
        const poll::Seen log = poll::until(
            [&] { return logs(); },
            [](const QString &log) {
                return log.count(u"Association Timed Out: the association request from"_s) >= 4 &&
                       log.contains(u"Association Timed Out: a message not complete 30 s after its first byte"_s);
            });
        QVERIFY2(log.ok, qPrintable(log.last.split(u'\n').filter(u"Association"_s).join(u'\n')));
    }

    // MaxAssociations devices that each associate again as soon as they have
    // released are all served; one more at once is refused, and the tool says
    // which limit it met, or which title, when the gateway's own is not called.
    void associationLimit()
    {
        TestSite site;
        const int port = configure(site, "CustomAETitle=\r\nMaxAssociations=2\r\n");
        QVERIFY(makeArchive(site));
        OwnGateway gateway;
        QVERIFY2(gatewayrun::start(gateway, site.dir(), port), qPrintable(logOf(site)));
        std::atomic<int> refused{0}, served{0};
        const auto device = [&](const QString &ae) {
            for (int i = 0; i < 15; ++i) {
                const Answer a = ask(ae, QString(), QString(), {u"-k"_s, u"PatientID=NONE"_s}, port);
                refused += a.rejected;
                served += a.success;
            }
        };
        std::thread one(device, u"DEV1"_s), two(device, u"DEV2"_s);
        one.join();
        two.join();
        QCOMPARE(refused.load(), 0);
        QCOMPARE(served.load(), 30);

        {
            gatewayrun::RawPeer first(port), second(port);
            for (gatewayrun::RawPeer *held : {&first, &second}) {
                QVERIFY(held->send(rawdicom::associateRq("HOLD")));
                QCOMPARE(held->readPdu().left(1), QByteArray(1, 0x02));
            }
            QVERIFY(ask(u"DEV3"_s, u"ISO_IR 100"_s, u"CT"_s, {}, port).rejected);
            const Run busy = askAs({u"--ask-as"_s, u"DEV3"_s}, site.dir());
            QVERIFY2(busy.codes.contains(u"gateway-busy"_s) && !busy.codes.contains(u"refused"_s),
                     qPrintable(busy.codes.join(u' ')));
        }
        // Released by closing: served again once the gateway has noticed.
        QVERIFY(poll::ready([&] { return ask(u"DEV3"_s, u"ISO_IR 100"_s, u"CT"_s, {}, port).success; }));
        // The control file names another title than the running gateway answers to.
        site.writeBytes(kControl, site.readBytes(kControl) + "AETitle=OTHER\r\n");
        const Run wrongTitle = askAs({u"--ask-as"_s, u"DEV3"_s}, site.dir());
        QVERIFY2(wrongTitle.codes.contains(u"called-ae"_s) && !wrongTitle.codes.contains(u"refused"_s),
                 qPrintable(wrongTitle.codes.join(u' ')));
        QVERIFY(wrongTitle.texts.join(u'\n').contains(u"'OTHER'"_s));
    }

    // The dialog asks with the keys of the device's last query in the gateway's log.
    void dialogShowsTheThreeColumns()
    {
        QVERIFY(ask(u"CT09"_s, u"\\ISO 2022 IR 149"_s, u"CT"_s).success);
        QVERIFY_LOG_SHOWS({u"Calling AP Title: CT09"_s});
        AskDeviceDialog *dialog = openAskDevice(m_app->form(), u"CT09"_s, std::nullopt);
        QVERIFY(dialog);
        QVERIFY(dialog->running());
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->running(), 60000);
        QVERIFY2(associationLogged(u"CT09"_s, 1), qPrintable(poll::tail(logs())));
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
            QTest::newRow(name) << QString::fromUtf8(arguments) << codes << exitCode;
        };
        row("registered Korean-name device", "--ask-as CT09", {}, 0);
        // The base view's orders are for any station.
        row("unregistered device", "--ask-as XX01 --key ScheduledStationAETitle= --key Modality=CT",
            {u"not-registered"_s}, 0);
        row("names the view's set cannot hold", "--ask-as CT08", {u"charset-unfit"_s}, 1);
        row("modality the view does not carry", "--ask-as CT09 --key Modality=MR", {u"modality"_s}, 1);
        // Sent in the device's set behind its escapes: that patient only, never "???" as wildcards
        // (조현우 has a CT that day too).
        row("a Korean name as the device sends it",
            "--ask-as CT09 --key PatientName==정예준 --key Modality=CT --key ScheduledProcedureStepStartDate=20261204",
            {}, 0);
        row("a refused command line", "--ask-as CT09 --key Foo=1", {}, 2);
        row("a time-out that is no number of seconds", "--ask-as CT09 --timeout 1x", {}, 2);
    }

    void commandLineFindings()
    {
        QFETCH(QString, arguments);
        QFETCH(QStringList, codes);
        QFETCH(int, exitCode);
        const Run r = askAs(arguments.split(u' '));
        QVERIFY2(r.exitCode == exitCode, qPrintable(r.texts.join(u'\n')));
        if (exitCode == 2)
            return;
        QCOMPARE(r.codes, codes);
        QCOMPARE(r.json.value(u"outcome"_s).toString(), u"answered"_s);
        QVERIFY2(r.logged, qPrintable(poll::tail(logs())));
        // What came over DICOM, decoded, is what the view holds.
        const QJsonArray items = r.json.value(u"items"_s).toArray();
        if (codes.isEmpty() || codes == QStringList{u"not-registered"_s}) {
            QVERIFY(!items.isEmpty());
            const QString modality = r.json.value(u"keys"_s).toObject().value(u"Modality"_s).toString();
            QStringList names, viewNames;
            for (const QJsonValue &v : items)
                names.append(v[u"PatientName"_s].toString());
            const QString name = r.json.value(u"keys"_s).toObject().value(u"PatientName"_s).toString();
            for (const QJsonValue &row : r.json.value(u"rows"_s).toArray())
                if (row[u"Modality"_s].toString() == modality &&
                    (name.isEmpty() || row[u"PatientName"_s].toString() == name))
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
        devicequery::Request request{.callingAeTitle = u"CT09"_s,
                                     .host = u"127.0.0.1"_s,
                                     .port = stalled ? int(silent.serverPort()) : m_port,
                                     .keys = {},
                                     .timeoutSeconds = 1};
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
        OwnGateway gateway;
        gatewayrun::start(gateway, site.dir(), port);
        const poll::Seen started = shows([&] { return logOf(site); }, {u"ZORadoDidService started"_s});
        QVERIFY2(started.ok, qPrintable(started.last));
        // Through the wire, the server cannot open the database meanwhile.
        site.setWireFaults("no-database\n");
        const Answer down = ask(u"CT01"_s, u"ISO_IR 100"_s, u"CT"_s, {}, port);
        QVERIFY2(down.failed && down.responses == 0, qPrintable(down.output));
        QVERIFY(!QFile::exists(site.file(u"archive.db"_s)));
        site.setWireFaults({});
        QVERIFY(makeArchive(site));
        const Answer up = ask(u"CT01"_s, u"ISO_IR 100"_s, u"CT"_s, {}, port);
        QVERIFY2(up.success && up.responses > 0, qPrintable(up.output + logOf(site)));
        const poll::Seen log =
            shows([&] { return logOf(site); }, {u"Archive not reachable"_s, u"Archive reachable again"_s});
        QVERIFY2(log.ok, qPrintable(poll::tail(log.last)));
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
        OwnGateway gateway;
        gatewayrun::start(gateway, site.dir(), port);
        QVERIFY(gateway.state() == QProcess::NotRunning || gateway.waitForFinished(60000));
        QVERIFY(gateway.exitCode() != 0);
        const QString log = logOf(site);
        QVERIFY2(log.contains(why) && log.contains(u"ZORadoDidService not started"_s), qPrintable(log));
    }

    // The contract between the gateway and everything that reads its log:
    // devices with random titles and keys (markers, quotes, backslashes,
    // wildcards, Hangul in every set served, control characters) ask through
    // findscu; the scanner, the entry inspector, the order lookup and the
    // device query each give back what the device sent, one entry an
    // association, and the device query's keys asked again log the same query.
    void whatADeviceSentComesBack()
    {
        TestSite site;
        const int port = configure(site, "CustomAETitle=ER01^^VMWL_NONE^^^^||\r\n"); // a view the archive lacks
        QVERIFY(QDir(site.file(u"drives/c/RUDIVUV/Log"_s)).removeRecursively());
        QVERIFY(makeArchive(site, QDate::currentDate()));
        OwnGateway gateway;
        QVERIFY2(gatewayrun::start(gateway, site.dir(), port), qPrintable(logOf(site)));

        const quint32 seed = 20261207;
        qInfo("random device values from seed %u", seed);
        QRandomGenerator random(seed);
        const QStringList pieces =
            u"Calling AP Title: FORGED|DcmSCP: Association Terminated|Modality find query =|"
            u"(Success)|+//+|+///+|*//*|-///-|(1 = 1) AND |FROM |WHERE |AND |#|\\|\\x28|\\x5C|'|''|"
            u"[*|[a-z]|%_|?"_s.split(u'|');
        const QStringList charsets{u"ISO_IR 100"_s, u"ISO_IR 192"_s, u"\\ISO 2022 IR 149"_s, u"ISO 2022 IR 149"_s};
        auto hangul = [&] {
            for (;;) {
                const QChar c(char16_t(0xac00 + random.bounded(11172)));
                if (platform::toEucKr(QString(c)))
                    return QString(c);
            }
        };
        auto value = [&](const QString &charset, bool control) {
            QString v;
            while (v.size() < 24) {
                const int kind = random.bounded(4);
                if (kind == 0)
                    v += pieces.at(random.bounded(int(pieces.size())));
                else if (kind == 1 && charset != u"ISO_IR 100"_s)
                    v += hangul();
                else
                    v += QChar(char16_t(0x20 + random.bounded(0x5f)));
            }
            if (control)
                v.insert(random.bounded(1, 18), QChar(char16_t(1 + random.bounded(0x1f))));
            v = u'X' + v.left(18) + u'X'; // blanks at either end are DICOM's padding
            return v;
        };
        struct Device
        {
            QString ae, charset, id, name;
            bool refused; // a key with a control character is no query
        };
        // The faults found first, then random devices.
        QList<Device> devices{{u"CT(1)"_s, u"ISO_IR 100"_s, u"[*DcmSCP: Association Terminated"_s, u"Kim(A)*"_s, false},
                              {u"US=2"_s, u"\\ISO 2022 IR 149"_s, u"[*Calling AP Title: FORGED"_s, u"=김*"_s, false}};
        QSet<QString> titles{devices[0].ae, devices[1].ae};
        for (int i = 0; i < 14; ++i) {
            Device d;
            while (d.ae.isEmpty() || titles.contains(d.ae) || d.ae.contains(u"VMWL"_s)) {
                d.ae.clear();
                while (d.ae.size() < 16) {
                    const QChar c(char16_t(0x21 + random.bounded(0x5e)));
                    if (c != u'\\')
                        d.ae += c;
                }
            }
            titles.insert(d.ae);
            d.charset = charsets.at(random.bounded(int(charsets.size())));
            d.refused = i % 5 == 4;
            d.id = value(d.charset, d.refused);
            d.name = value(d.charset, false);
            devices.append(d);
        }

        auto findscu = [&](const Device &d) {
            const QString command =
                u"exec %1 -v -W -to 20 -ta 30 -td 30 -aet %2 -aec KALDEN1 127.0.0.1 %3 -k %4 -k %5 -k %6 "
                "-k 'ScheduledProcedureStepSequence[0].Modality' "
                "-k 'ScheduledProcedureStepSequence[0].ScheduledStationAETitle'"_s.arg(
                    m_findscu, quotedBytes(d.ae.toLatin1()), QString::number(port),
                    quotedBytes("SpecificCharacterSet=" + d.charset.toLatin1()),
                    quotedBytes("PatientID=" + deviceBytes(d.id, d.charset)),
                    quotedBytes("PatientName=" + deviceBytes(d.name, d.charset)));
            QProcess p;
            p.start(u"bash"_s, {u"-c"_s, command});
            p.waitForFinished(120000);
            return QString::fromLatin1(p.readAllStandardError() + p.readAllStandardOutput());
        };
        // The archive's message, which quotes the statement, cannot end the entry early nor forge a title.
        const QString failed = findscu({u"ER01"_s, u"ISO_IR 100"_s, u"[*DcmSCP: Association Terminated"_s,
                                        u"[*Calling AP Title: FORGED"_s, false});
        QVERIFY2(failed.contains(u"Received Final Find Response (Failed"_s), qPrintable(failed.right(600)));
        for (const Device &d : devices) {
            const QString out = findscu(d);
            QVERIFY2(out.contains(u"Received Final Find Response ("_s) &&
                         out.contains(u"Received Final Find Response (Success)"_s) != d.refused,
                     qPrintable(d.ae + u'\n' + out.right(600)));
        }

        const QString folder = site.file(u"drives/c/RUDIVUV/Log"_s);
        // Every device's association, and the C-ECHO that found the gateway up,
        // each written when it ended.
        QList<devicequery::LoggedEntry> entries;
        QVERIFY2(poll::ready([&] {
                     entries = devicequery::scanLogEntries(folder);
                     return entries.size() >= devices.size() + 2;
                 }),
                 qPrintable(poll::tail(gatewayrun::logs(site))));
        QCOMPARE(entries.size(), devices.size() + 2);
        QCOMPARE(entries.first().text, u"+//+KZCONFIG+///+"_s);
        QVERIFY2(entries.at(1).text.startsWith(u"+//+ER01+///+*//*[ISO_IR 100]*///*-//-FROM VMWL_NONE WHERE"_s) &&
                     entries.at(1).text.endsWith(u"-///-"_s) && !entries.at(1).text.contains(u"FORGED+///+"_s),
                 qPrintable(entries.at(1).text));
        const QStringList files = gatewaylog::gatewayLogFiles(gatewaylog::folderFiles(folder), u"ZORadoDidService"_s);
        QStringList lines; // the log's lines, their values read back
        for (const QString &file : files) {
            QFile f(QDir(folder).filePath(file));
            if (f.open(QIODevice::ReadOnly))
                for (const QString &line : platform::fromAnsi(f.readAll()).split(u"\r\n"_s))
                    lines << gatewaylog::format::unescape(line);
        }
        const qsizetype ended = gatewayrun::logs(site).count(QLatin1String(gatewaylog::kEndMarker));
        int askedAgain = 0;
        for (const Device &d : devices) {
            const QString what = u"device %1 (%2): %3 / %4"_s.arg(d.ae, d.charset, d.id, d.name);
            const auto entry = std::find_if(entries.begin(), entries.end(), [&](const devicequery::LoggedEntry &e) {
                return devicequery::entryAeTitle(e.text) == d.ae;
            });
            QVERIFY2(entry != entries.end(), qPrintable(what));

            const gatewaylog::Inspection shown = gatewaylog::inspect(entry->text);
            QCOMPARE(shown.aeTitle, d.ae);
            QVERIFY2(shown.text.contains(u"\r\nCharacter_Set : ["_s + d.charset + u"]\r\n"_s), qPrintable(what));

            gatewaylog::OrderLookup lookup(d.ae, u"VMWL"_s);
            gatewaylog::MarkedLineReader reader = lookup.reader();
            gatewaylog::readLogs(
                folder, files, reader,
                [&](QByteArrayView line, bool adjacent, quint32 found) { lookup.feed(line, adjacent, found); }, {});

            if (d.refused) {
                QVERIFY2(!entry->text.contains(QLatin1String(gatewaylog::kQueryOpen)), qPrintable(what));
                QVERIFY2(lines.filter(u"control characters: "_s + d.id).size() == 1, qPrintable(what));
                QCOMPARE(lookup.text(), QString());
                continue;
            }
            QCOMPARE(shown.view.value_or(QString()), u"VMWL"_s);
            const QStringList conditions = shown.text.section(u"Table 명 : VMWL\r\n\r\n"_s, 1).split(u"\r\n"_s);
            QCOMPARE(conditions.size(), 2);
            QVERIFY2(conditions[0].startsWith(u"patient_id "_s) && conditions[1].startsWith(u"patient_name "_s),
                     qPrintable(what));
            QVERIFY2(
                QRegularExpression(u"^<[-0-9: ]{19}> : 1 \\(Success\\)\r\n\r\n$"_s).match(lookup.text()).hasMatch(),
                qPrintable(what + u'\n' + lookup.text()));

            const auto newest = devicequery::newestEntryOf(entries, d.ae);
            QVERIFY2(newest && newest->text == entry->text, qPrintable(what));
            const devicequery::QueryKeys keys = devicequery::keysFromEntry(newest->text);
            QCOMPARE(keys.characterSet, d.charset);
            QCOMPARE(keys.patientId, d.id);
            QCOMPARE(keys.patientName, d.name);

            // Asked again with those keys, the device is logged with the same entry.
            if (d.charset.contains(u"2022"_s) &&
                QString(d.id + d.name).contains(QRegularExpression(u"[^\\x{0}-\\x{7f}]"_s)))
                continue; // the device query writes Korean in UTF-8 only
            const devicequery::Answer again = devicequery::askWorklist(
                {.callingAeTitle = d.ae, .host = u"127.0.0.1"_s, .port = port, .keys = keys, .timeoutSeconds = 30},
                std::atomic<bool>(false));
            QVERIFY2(again.outcome == devicequery::Outcome::Answered, qPrintable(what + again.detail));
            ++askedAgain;
        }
        QVERIFY(askedAgain > 0);
        QVERIFY(poll::ready(
            [&] { return gatewayrun::logs(site).count(QLatin1String(gatewaylog::kEndMarker)) == ended + askedAgain; }));
        QCOMPARE(devicequery::scanLogEntries(folder).size(), devices.size() + 2);
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

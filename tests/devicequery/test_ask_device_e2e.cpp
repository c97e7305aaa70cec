#include "support/app_harness.h"
#include "support/gateway_runner.h"

#include "app/ask_device_dialog.h"
#include "devicequery/worklist_client.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTcpServer>
#include <QTest>

using namespace Qt::StringLiterals;

// A device's query asked from the tool, on loopback, against the project's
// gateway serving views that the tool registered.
class TestAskDeviceEndToEnd : public QObject
{
    Q_OBJECT

    std::unique_ptr<AppHarness> m_app;
    QProcess m_gateway;
    int m_port = 0;

    struct Run
    {
        int exitCode = -1;
        QJsonObject json;
        QStringList codes;
    };

    Run ask(const QStringList &extra)
    {
        QProcess p;
        p.start(QStringLiteral(KZ_TOOL), QStringList{u"--app-dir"_s, m_app->site().dir(), u"--today"_s, u"2026-12-06"_s,
                                                     u"--json"_s, u"--timeout"_s, u"30"_s} +
                                             extra);
        p.waitForFinished(120000);
        Run r;
        r.exitCode = p.exitCode();
        r.json = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
        for (const QJsonValue &f : r.json.value(u"findings"_s).toArray())
            r.codes.append(f.toObject().value(u"code"_s).toString());
        r.codes.removeDuplicates();
        return r;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_port = gatewayrun::freePort();
        QVERIFY(m_port > 0);
        m_app = std::make_unique<AppHarness>(QDate(2026, 12, 6),
                                             [this](TestSite &site) { gatewayrun::setPort(site, m_port); });
        m_app->login();
        // A Korean-name view in the Korean set, and one whose set cannot hold its names.
        for (const char *script : {"pick Combo3 0\ntype Text2 CT09\ntype Text6 CT\ntype Text3 CT\npick Combo2 2\n",
                                   "pick Combo3 0\ntype Text2 CT08\ntype Text6 CT\ntype Text3 CT\n"}) {
            for (const QString &line : QString::fromLatin1(script).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
                m_app->act(line);
            m_app->act(u"click Command6"_s);
        }
        QCOMPARE(m_app->messages().size(), 2);

        QVERIFY2(gatewayrun::start(m_gateway, m_app->site().dir(), m_port),
                 qPrintable(QString::fromLatin1(m_gateway.readAllStandardError())));
    }

    void cleanupTestCase()
    {
        m_gateway.kill();
        m_gateway.waitForFinished();
    }

    void commandLineFindings_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("registered Korean-name device") << QStringList{u"--ask-as"_s, u"CT09"_s} << QStringList() << 0;
        // The base view's orders are for any station.
        QTest::newRow("unregistered device")
            << QStringList{u"--ask-as"_s, u"XX01"_s,       u"--key"_s, u"ScheduledStationAETitle="_s,
                           u"--key"_s,    u"Modality=CT"_s}
            << QStringList{u"not-registered"_s} << 0;
        QTest::newRow("names the view's set cannot hold")
            << QStringList{u"--ask-as"_s, u"CT08"_s} << QStringList{u"charset-unfit"_s} << 1;
        QTest::newRow("modality the view does not carry")
            << QStringList{u"--ask-as"_s, u"CT09"_s, u"--key"_s, u"Modality=MR"_s} << QStringList{u"modality"_s} << 1;
        QTest::newRow("a refused command line")
            << QStringList{u"--ask-as"_s, u"CT09"_s, u"--key"_s, u"Foo=1"_s} << QStringList() << 2;
    }

    void commandLineFindings()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, codes);
        QFETCH(int, exitCode);
        const Run r = ask(arguments);
        QCOMPARE(r.exitCode, exitCode);
        if (exitCode == 2)
            return;
        QCOMPARE(r.codes, codes);
        QCOMPARE(r.json.value(u"outcome"_s).toString(), u"answered"_s);
        // What came over DICOM, decoded, is what the view holds.
        const QJsonArray items = r.json.value(u"items"_s).toArray();
        if (codes.isEmpty() || codes == QStringList{u"not-registered"_s}) {
            QVERIFY(!items.isEmpty());
            QStringList names;
            for (const QJsonValue &v : items)
                names.append(v.toObject().value(u"PatientName"_s).toString());
            const QString modality = r.json.value(u"keys"_s).toObject().value(u"Modality"_s).toString();
            QStringList viewNames;
            for (const QJsonValue &row : r.json.value(u"rows"_s).toArray()) {
                if (row.toObject().value(u"Modality"_s).toString() == modality)
                    viewNames.append(row.toObject().value(u"PatientName"_s).toString());
            }
            names.sort();
            viewNames.sort();
            QCOMPARE(names, viewNames);
        }
    }

    void dialogShowsTheThreeColumns()
    {
        AskDeviceDialog *dialog = openAskDevice(m_app->form(), u"CT09"_s, QString());
        QVERIFY(dialog);
        QVERIFY(dialog->running());
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->running(), 60000);
        QVERIFY(dialog->findings().isEmpty());
        const QString rows = dialog->ui().rowsText->toPlainText();
        const QString items = dialog->ui().itemsText->toPlainText();
        QVERIFY(rows.contains(u"View : VMWL_KK_CT09"_s));
        const QString firstName = rows.section(u" / "_s, 1, 1);
        QVERIFY2(!firstName.isEmpty() && items.contains(firstName), qPrintable(items));
        QVERIFY(dialog->ui().keysText->toPlainText().contains(u"Modality : CT"_s));
        dialog->close();
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

    // Last: the gateway is stopped.
    void stoppedGateway()
    {
        m_gateway.kill();
        m_gateway.waitForFinished();
        const Run r = ask({u"--ask-as"_s, u"CT09"_s});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.codes, QStringList{u"port-closed"_s});
        QVERIFY(r.json.value(u"findings"_s)
                    .toArray()
                    .at(0)
                    .toObject()
                    .value(u"text"_s)
                    .toString()
                    .contains(u":%1 포트"_s.arg(m_port)));
    }
};

QTEST_MAIN(TestAskDeviceEndToEnd)
#include "test_ask_device_e2e.moc"

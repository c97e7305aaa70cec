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
        QStringList codes, texts;
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
        for (const QJsonValue &f : r.json.value(u"findings"_s).toArray()) {
            r.codes.append(f.toObject().value(u"code"_s).toString());
            r.texts.append(f.toObject().value(u"text"_s).toString());
        }
        r.codes.removeDuplicates();
        return r;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_port = gatewayrun::freePort();
        QVERIFY(m_port > 0);
        m_app = std::make_unique<AppHarness>(AppHarness::LoggedIn,
                                             [this](TestSite &site) { gatewayrun::setPort(site, m_port); });
        // A Korean-name view in the Korean set, and one whose set cannot hold its names.
        m_app->act(u"pick Combo3 0\ntype Text2 CT09\ntype Text6 CT\ntype Text3 CT\npick Combo2 2\nclick Command6\n"
                   "pick Combo3 0\ntype Text2 CT08\ntype Text6 CT\ntype Text3 CT\nclick Command6"_s);
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
    }

    void commandLineFindings()
    {
        QFETCH(QString, arguments);
        QFETCH(QStringList, codes);
        QFETCH(int, exitCode);
        const Run r = ask(arguments.split(u' '));
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
        QVERIFY2(r.texts.value(0).contains(u":%1 포트"_s.arg(m_port)), qPrintable(r.texts.value(0)));
    }
};

QTEST_MAIN(TestAskDeviceEndToEnd)
#include "test_ask_device_e2e.moc"

#include "gateway/dicom_text.h"
#include "gateway/gateway_config.h"
#include "gateway/gateway_log.h"
#include "gateway/worklist_query.h"
#include "gatewaylog/log_format.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestGatewayUnits : public QObject
{
    Q_OBJECT

    static QString head() { return u"SELECT * FROM V WHERE (1 = 1)"_s; }

private Q_SLOTS:
    void queryToSql_data()
    {
        QTest::addColumn<QString>("keys"); // modality|date|station|id|name
        QTest::addColumn<QString>("conditions");
        QTest::addColumn<QString>("logged"); // as the log holds them; empty: the same
        const auto row = [](const char *name, const QString &keys, const char *conditions, const char *logged = "") {
            QTest::newRow(name) << keys << QString::fromUtf8(conditions) << QString::fromUtf8(logged);
        };
        row("empty keys ignored", u"||||"_s, "");
        row("universal * ignored", u"*||*||*"_s, "");
        row("modality and day", u"CT|20261206|||"_s, " AND modality = 'CT' AND SCHEDULED_PROCEDURE_DATE = '20261206'");
        row("date range", u"|20261201-20261207|||"_s,
            " AND SCHEDULED_PROCEDURE_DATE >= '20261201' AND SCHEDULED_PROCEDURE_DATE <= '20261207'");
        row("open ranges", u"|-20261207|||"_s, " AND SCHEDULED_PROCEDURE_DATE <= '20261207'");
        row("from a day on", u"|20261201-|||"_s, " AND SCHEDULED_PROCEDURE_DATE >= '20261201'");
        row("station AE", u"||CT01||"_s, " AND scheduled_station_aetitle = 'CT01'");
        row("wildcards", u"|||2026*|HONG^G?LDONG"_s,
            " AND patient_id LIKE '2026%' ESCAPE '\\' AND patient_name LIKE 'HONG^G_LDONG' ESCAPE '\\'");
        row("LIKE characters stand for themselves", u"|||A_%*|"_s, " AND patient_id LIKE 'A\\_\\%%' ESCAPE '\\'");
        row("quote doubled", u"|||O'1|"_s, " AND patient_id = 'O''1'");
        row("bracket stands for itself", u"||||A[B]*"_s, " AND patient_name LIKE 'A\\[B]%' ESCAPE '\\'");
        // The log holds the statement that ran, each value escaped once.
        row("markers in a LIKE value", u"||||Kim(A)*"_s, " AND patient_name LIKE 'Kim(A)%' ESCAPE '\\'",
            " AND patient_name LIKE 'Kim\\x28A\\x29%' ESCAPE '\\'");
        row("a backslash before what reads as an escape", u"|||\\x28|=김"_s,
            " AND patient_id = '\\x28' AND patient_name = '=김'",
            " AND patient_id = '\\x5Cx28' AND patient_name = '\\x3D김'");
        row("the inspector's words in values", u"||||FROM X WHERE A AND B"_s,
            " AND patient_name = 'FROM X WHERE A AND B'", " AND patient_name = '\\x46ROM X \\x57HERE A AND\\x20B'");
    }

    void queryToSql()
    {
        QFETCH(QString, keys);
        QFETCH(QString, conditions);
        QFETCH(QString, logged);
        const QStringList k = keys.split(u'|');
        const gateway::WorklistKeys w{k[0], k[1], k[2], k[3], k[4]};
        const QString sql = gateway::worklistSql(u"V"_s, w);
        QCOMPARE(sql, head() + conditions);
        const QString log = gateway::loggedWorklistSql(u"V"_s, w);
        QCOMPARE(log, head() + (logged.isEmpty() ? conditions : logged));
        QCOMPARE(gatewaylog::format::unescape(log), sql);
    }

    void controlFile()
    {
        const gateway::Config c = gateway::parseControlFile(
            {u"[Service]"_s,
             u"CustomAETitle=CT01^^VMWL_KK_CT01^^^^||dr01^^VMWL_EE_DR01^^^^||CT01^^VMWL_EE_CT01^^^^||"_s,
             u"LogLevel=4"_s, u"MaxLogLevel=3"_s, u"FCR_XG5000=1"_s, u"Port=11112"_s, u"LogPath=D:\\Logs\\"_s,
             u"Bind=127.0.0.1"_s, u"MaxAssociations=3"_s});
        QCOMPARE(c.views.value(u"CT01"_s), u"VMWL_KK_CT01"_s); // the first entry counts
        QCOMPARE(gateway::viewFor(c, u"dr01"_s), u"VMWL_EE_DR01"_s);
        QCOMPARE(gateway::viewFor(c, u"DR01"_s), u"VMWL"_s); // letter case counts
        QCOMPARE(c.logLevel, 4);
        QVERIFY(c.fcrXg5000);
        QCOMPARE(c.port, 11112);
        QCOMPARE(c.logFolder, u"D:\\Logs\\"_s);
        QCOMPARE(c.bind, u"127.0.0.1"_s);
        QCOMPARE(c.maxAssociations, 3);
        QVERIFY(c.problems.isEmpty() && !c.fatal);
    }

    // Each line is what a site could hold; what it leads to is logged, and a
    // gateway that cannot know where to listen does not start.
    void controlFileProblems_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("fatal");
        QTest::addColumn<int>("logLevel");
        QTest::addColumn<QString>("refusedDevice");
        QTest::newRow("empty file") << QStringList{} << true << 0 << "";
        QTest::newRow("port not a number") << QStringList{u"Port=abc"_s} << true << 0 << "";
        QTest::newRow("port out of range") << QStringList{u"Port=70000"_s} << true << 0 << "";
        QTest::newRow("limit zero") << QStringList{u"MaxAssociations=0"_s} << true << 0 << "";
        QTest::newRow("limit not a number") << QStringList{u"MaxAssociations=many"_s} << true << 0 << "";
        QTest::newRow("bind to a name") << QStringList{u"Bind=localhost"_s} << true << 0 << "";
        QTest::newRow("unknown level") << QStringList{u"LogLevel=9"_s, u"Port=104"_s} << false << 0 << "";
        QTest::newRow("garbled entry refused, others kept")
            << QStringList{u"CustomAETitle=CT01^^VMWL_KK_CT01^^^^||MR01^^VMWL_KK MR01;--^^^^||"_s, u"LogLevel=4"_s}
            << false << 4 << u"MR01"_s;
        QTest::newRow("17-letter title refused")
            << QStringList{u"CustomAETitle=SEVENTEEN_LETTERS^^VMWL_X^^^^||CT01^^VMWL_KK_CT01^^^^||"_s} << false << 0
            << u"SEVENTEEN_LETTERS"_s;
        QTest::newRow("entry without view")
            << QStringList{u"CustomAETitle=US01||CT01^^VMWL_KK_CT01^^^^||"_s} << false << 0 << "US01";
    }

    void controlFileProblems()
    {
        QFETCH(QStringList, lines);
        QFETCH(bool, fatal);
        QFETCH(int, logLevel);
        QFETCH(QString, refusedDevice);
        const gateway::Config c = gateway::parseControlFile(lines);
        QCOMPARE(c.fatal, fatal);
        QCOMPARE(c.problems.size(), 1);
        QCOMPARE(c.logLevel, logLevel);
        if (!refusedDevice.isEmpty()) {
            QCOMPARE(gateway::viewFor(c, refusedDevice), QString());
            QCOMPARE(gateway::viewFor(c, u"CT01"_s), u"VMWL_KK_CT01"_s);
        }
    }

    void encoding_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("charset");
        QTest::addColumn<bool>("personName");
        QTest::addColumn<QByteArray>("bytes");
        const auto row = [](const char *name, const QString &value, const char *charset, bool personName,
                            const QByteArray &bytes) {
            QTest::newRow(name) << value << QString::fromLatin1(charset) << personName << bytes;
        };
        const QByteArray esc("\x1b$)C");
        const char *korean = "\\ISO 2022 IR 149";
        row("Korean name, ideographic group", u"=홍길동"_s, korean, true, "=" + esc + "\xc8\xab\xb1\xe6\xb5\xbf");
        row("escape after each ^", u"홍^길동"_s, korean, true, esc + "\xc8\xab^" + esc + "\xb1\xe6\xb5\xbf");
        row("three groups", u"HONG^GILDONG=홍^길동"_s, korean, true,
            "HONG^GILDONG=" + esc + "\xc8\xab^" + esc + "\xb1\xe6\xb5\xbf");
        row("text value: one escape", u"흉부 CT"_s, korean, false, esc + "\xc8\xe4\xba\xce CT");
        row("ASCII untouched", u"CHEST PA"_s, korean, false, "CHEST PA");
        row("Korean without the leading backslash", u"김^민수"_s, "ISO 2022 IR 149", true,
            esc + "\xb1\xe8^" + esc + "\xb9\xce\xbc\xf6");
        row("UTF-8", u"홍길동"_s, "ISO_IR 192", true, "\xed\x99\x8d\xea\xb8\xb8\xeb\x8f\x99");
        row("Latin-1 cannot hold Korean", u"HONG 홍"_s, "ISO_IR 100", true, "HONG ?");
        row("a lone surrogate takes no delimiter with it", QString(QChar(0xd83d)) + u"=홍"_s, korean, false,
            esc + "?=\xc8\xab");
        row("default repertoire", u"Müller 홍"_s, "", true, "M?ller ?");
    }

    void encoding()
    {
        QFETCH(QString, value);
        QFETCH(QString, charset);
        QFETCH(bool, personName);
        QFETCH(QByteArray, bytes);
        QCOMPARE(gateway::encodeValue(value, charset, personName), bytes);
        // What a device sends in that set reads back as the text, where the set holds it.
        if (!bytes.contains('?'))
            QCOMPARE(gateway::decodeValue(bytes, charset), value);
    }

    // What a device sends may hold line ends, NUL and the texts the log tools
    // look for; in a log line none of it can end the line or be taken for a
    // marker. The gateway's own texts keep their markers.
    void logTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("fromPeer");
        QTest::addColumn<QString>("own");
        const QString markers = u"<2019-09-16 14:49:19> : DcmSCP: Association Terminated (0010,0020) LO (Success)="_s;
        QTest::newRow("line ends, NUL, DEL")
            << u"a\r\nb"_s + QChar(0) + QChar(0x7f) << u"a\\x0D\\x0Ab\\x00\\x7F"_s << u"a\\x0D\\x0Ab\\x00\\x7F"_s;
        QTest::newRow("markers") << markers
                                 << u"<2019-09-16 14\\x3A49\\x3A19> \\x3A DcmSCP\\x3A Association Terminated "
                                    "\\x280010,0020\\x29 LO \\x28Success\\x29\\x3D"_s
                                 << markers;
        QTest::newRow("Korean as it stands")
            << u"홍길동 [ISO_IR 149]"_s << u"홍길동 [ISO_IR 149]"_s << u"홍길동 [ISO_IR 149]"_s;
    }

    void logTexts()
    {
        QFETCH(QString, text);
        QFETCH(QString, fromPeer);
        QFETCH(QString, own);
        QCOMPARE(gateway::peerText(text), fromPeer);
        QCOMPARE(gatewaylog::format::escapeControls(text), own);
        QCOMPARE(gatewaylog::format::unescape(gateway::peerText(text)), text);
    }
};

QTEST_GUILESS_MAIN(TestGatewayUnits)
#include "test_gateway_units.moc"

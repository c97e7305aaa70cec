#include "gateway/dicom_text.h"
#include "gateway/gateway_log.h"
#include "gateway/peer_guard.h"
#include "gateway/worklist_query.h"
#include "gatewaylog/log_format.h"
#include "support/raw_dicom.h"
#include "worklist/gateway_config.h"

#include <QTest>

using namespace Qt::StringLiterals;

using namespace rawdicom;

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
        const gateway::WorklistKeys w{k[0], k[1], k[2], k[3], k[4], {}, {}};
        const QString sql = gateway::worklistSql(u"V"_s, w);
        QCOMPARE(sql, head() + conditions);
        const QString log = gateway::loggedWorklistSql(u"V"_s, w);
        QCOMPARE(log, head() + (logged.isEmpty() ? conditions : logged));
        QCOMPARE(gatewaylog::format::unescape(log), sql);
    }

    // What a device sends as its identifier is walked before DCMTK's parser,
    // which reads nested sequences by recursion: too deep, too big or broken
    // is refused, whatever the encoding says.
    void identifierBounds_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("explicitVr");
        QTest::addColumn<QString>("problem");
        const auto row = [](const char *name, const QByteArray &bytes, bool explicitVr, const char *problem) {
            QTest::newRow(name) << bytes << explicitVr << QString::fromLatin1(problem);
        };
        row("a worklist query", nested(1, "SQ", true), true, "");
        row("defined lengths, eight levels", nested(8, "SQ", false), true, "");
        row("nine levels", nested(9, "SQ", true), true, "nested more than 8");
        row("fifteen hundred levels", nested(1500, "SQ", true), true, "nested more than 8");
        row("implicit VR, defined lengths, known as a sequence", nested(20, "", false), false, "nested more than 8");
        row("implicit VR, delimited", nested(9, "", true), false, "nested more than 8");
        const auto unknown = [](int levels) -> QByteArray { // an item of unknown VR holding implicit items
            return tag(0x0009, 0x1010) + "UN" + QByteArray(2, 0) + le32(0xffffffff) + tag(0xfffe, 0xe000) +
                   le32(0xffffffff) + nested(levels, "", true) + tag(0xfffe, 0xe00d) + le32(0) + tag(0xfffe, 0xe0dd) +
                   le32(0);
        };
        row("unknown VR holding implicit items", unknown(19), true, "nested more than 8");
        row("unknown VR, shallow", unknown(1), true, "");
        row("too big", attribute(0x0010, 0x0020, "OB", QByteArray(70000, 'x')), true, "more than 65536");
        row("item longer than its sequence",
            attribute(0x0040, 0x0100, "SQ", tag(0xfffe, 0xe000) + le32(100) + QByteArray(8, 0)), true,
            "not well formed");
        row("sequence never closed", nested(2, "SQ", true).chopped(8), true, "not well formed");
        row("length past the end", attribute(0x0010, 0x0020, "LO", "ID").chopped(1), true, "not well formed");
        row("item delimiter at the top", tag(0xfffe, 0xe00d) + le32(0), true, "not well formed");
    }

    void identifierBounds()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, explicitVr);
        QFETCH(QString, problem);
        const auto sequence = [](quint16 g, quint16 e) { return g == 0x0040 && e == 0x0100; };
        const QString found = gateway::identifierProblem(bytes, {explicitVr, false}, sequence);
        if (problem.isEmpty())
            QCOMPARE(found, QString());
        else
            QVERIFY2(found.contains(problem), qPrintable(found));
    }

    // The phases of a peer's stream, fed in every split: the request ends with
    // its PDU, a message with its command when no data set follows, else with
    // the data set's last fragment; a command with a sequence is refused.
    void streamPhases_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<int>("phase"); // 0 request, 1 between, 2 message
        QTest::addColumn<int>("begun");
        QTest::addColumn<bool>("refused");
        const QByteArray request = pdu(0x01, QByteArray(68, 'r'));
        const QByteArray find = pdv(true, true, command(0x0102));
        const QByteArray echo = pdv(true, true, command(0x0101));
        QTest::newRow("request begun") << request.chopped(1) << 0 << 0 << false;
        QTest::newRow("request whole") << request << 1 << 0 << false;
        QTest::newRow("find command, data to come") << request + find << 2 << 1 << false;
        QTest::newRow("first data fragment") << request + find + pdv(false, false, "ab") << 2 << 1 << false;
        QTest::newRow("last data fragment")
            << request + find + pdv(false, false, "ab") + pdv(false, true, "cd") << 1 << 1 << false;
        QTest::newRow("echo: command only") << request + echo << 1 << 1 << false;
        QTest::newRow("command in two fragments")
            << request + pdv(true, false, command(0x0101).left(5)) + pdv(true, true, command(0x0101).mid(5)) << 1 << 1
            << false;
        QTest::newRow("release request") << request + echo + pdu(0x05, QByteArray(4, 0)) << 1 << 2 << false;
        QTest::newRow("next message begun") << request + echo + find.left(3) << 2 << 2 << false;
        QTest::newRow("command with a sequence")
            << request + pdv(true, true,
                             command(0x0101) + attribute(0x0000, 0x0900, "", QByteArray()).chopped(4) +
                                 le32(0xffffffff) + tag(0xfffe, 0xe0dd) + le32(0))
            << 1 << 1 << true;
    }

    void streamPhases()
    {
        QFETCH(QByteArray, stream);
        QFETCH(int, phase);
        QFETCH(int, begun);
        QFETCH(bool, refused);
        for (const qsizetype chunk : {qsizetype(1), qsizetype(7), stream.size()}) {
            gateway::PduPhases phases;
            for (qsizetype i = 0; i < stream.size(); i += chunk)
                phases.feed(stream.constData() + i, size_t(std::min(chunk, stream.size() - i)));
            QCOMPARE(int(phases.phase()), phase);
            QCOMPARE(int(phases.messagesBegun()), begun);
            QCOMPARE(!phases.refused().isEmpty(), refused);
        }
    }

    // Every required key of a worklist query against one order, as a device
    // means it: text exact in its letter case except person names, date and
    // time ranges as one range of instants.
    void matching_data()
    {
        QTest::addColumn<QString>("key"); // field=value;…
        QTest::addColumn<bool>("matches");
        const auto row = [](const char *name, const char *key, bool matches) {
            QTest::newRow(name) << QString::fromUtf8(key) << matches;
        };
        // The order: CT, 2026-12-06 09:00, station CT01, AUD0001, HONG^GILDONG, physician KIM^DOC.
        row("no keys", "", true);
        row("time range before the order", "time=000000-010000", false);
        row("time range around it", "time=0800-0930", true);
        row("time range ends where it starts", "time=-0900", true);
        row("time single value, shorter form", "time=0900", true);
        row("time single value, other", "time=1430", false);
        row("combined range, ends on the day before", "date=20261201-20261206;time=1000-0800", false);
        row("combined range spans the nights", "date=20261205-20261206;time=1000-0930", true);
        row("combined range, time outside one day's window", "date=20261206-20261207;time=1000-1200", false);
        row("date range, time open", "date=20261201-20261206;time=0800-", true);
        row("date range without time", "date=20261201-20261205", false);
        row("physician exact", "physician=KIM^DOC", true);
        row("physician in other case", "physician=kim^doc", true);
        row("physician nobody", "physician=NOBODY", false);
        row("physician wildcard", "physician=KIM*", true);
        row("patient ID in other case", "id=aud0001", false);
        row("patient ID", "id=AUD0001", true);
        row("modality in other case", "modality=ct", false);
        row("station in other case", "station=ct01", false);
        row("name in other case", "name=hong^gildong", true);
        row("name wildcard in other case", "name=hong*", true);
        row("name wildcard of another", "name=KIM*", false);
        row("question mark is one character", "id=AUD000?", true);
        row("universal", "id=*;name=*;physician=*", true);
    }

    void matching()
    {
        QFETCH(QString, key);
        QFETCH(bool, matches);
        gateway::WorklistKeys keys;
        for (const QString &part : key.split(u';', Qt::SkipEmptyParts)) {
            const QString field = part.section(u'=', 0, 0), value = part.section(u'=', 1);
            QString *target = field == u"time"_s        ? &keys.time
                              : field == u"date"_s      ? &keys.date
                              : field == u"physician"_s ? &keys.performingPhysician
                              : field == u"id"_s        ? &keys.patientId
                              : field == u"name"_s      ? &keys.patientName
                              : field == u"modality"_s  ? &keys.modality
                                                        : &keys.stationAeTitle;
            *target = value;
        }
        const gateway::OrderValues order{u"CT"_s,      u"20261206"_s,     u"090000"_s, u"CT01"_s,
                                         u"AUD0001"_s, u"HONG^GILDONG"_s, u"KIM^DOC"_s};
        QCOMPARE(gateway::matchesKeys(keys, order), matches);
    }

    void controlFile()
    {
        const worklist::gateway::Config c = worklist::gateway::parseControlFile(
            {u"[Service]"_s,
             u"CustomAETitle=CT01^^VMWL_KK_CT01^^^^||dr01^^VMWL_EE_DR01^^^^||CT01^^VMWL_EE_CT01^^^^||"
             u"CT#1^^VMWL_EE_CT#1^^^^||US$@^^VMWL_EK_US$@^^^^||"_s,
             u"LogLevel=4"_s, u"MaxLogLevel=3"_s, u"FCR_XG5000=1"_s, u"Port=11112"_s, u"LogPath=D:\\Logs\\"_s,
             u"Bind=127.0.0.1"_s, u"MaxAssociations=3"_s});
        QCOMPARE(c.views.value(u"CT01"_s), u"VMWL_KK_CT01"_s); // the first entry counts
        QCOMPARE(worklist::gateway::viewFor(c, u"dr01"_s), u"VMWL_EE_DR01"_s);
        QCOMPARE(worklist::gateway::viewFor(c, u"DR01"_s), u"VMWL"_s); // letter case counts
        // Every name the tool registers, "@", "$" and "#" included.
        QCOMPARE(worklist::gateway::viewFor(c, u"CT#1"_s), u"VMWL_EE_CT#1"_s);
        QCOMPARE(worklist::gateway::viewFor(c, u"US$@"_s), u"VMWL_EK_US$@"_s);
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
        // A lone separator must not leave a device on the base view.
        QTest::newRow("a lone caret joins title and view")
            << QStringList{u"CustomAETitle=CT01^^VMWL_KK_CT01^^^^||DR01^VMWL_EE_DR01^^^^||"_s} << false << 0 << "DR01";
        QTest::newRow("a lone bar joins two entries")
            << QStringList{u"CustomAETitle=CT01^^VMWL_KK_CT01^^^^||MR01^^VMWL_KK_MR01^^^^|DR01^^VMWL_EE_DR01^^^^||"_s}
            << false << 0 << "DR01";
    }

    void controlFileProblems()
    {
        QFETCH(QStringList, lines);
        QFETCH(bool, fatal);
        QFETCH(int, logLevel);
        QFETCH(QString, refusedDevice);
        const worklist::gateway::Config c = worklist::gateway::parseControlFile(lines);
        QCOMPARE(c.fatal, fatal);
        QCOMPARE(c.refusal.isEmpty(), !fatal); // what the tool tells the operator
        QCOMPARE(c.problems.size(), 1);
        QCOMPARE(c.logLevel, logLevel);
        if (!refusedDevice.isEmpty()) {
            QCOMPARE(worklist::gateway::viewFor(c, refusedDevice), QString());
            QCOMPARE(worklist::gateway::viewFor(c, u"CT01"_s), u"VMWL_KK_CT01"_s);
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

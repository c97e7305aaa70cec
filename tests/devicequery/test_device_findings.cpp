#include "devicequery/character_sets.h"
#include "devicequery/device_check.h"
#include "devicequery/findings.h"

#include <QTest>

using namespace devicequery;
Q_DECLARE_METATYPE(devicequery::Situation)

namespace {

ViewRow row(const QString &id, const QString &name, const QString &modality,
            const QString &cs = QStringLiteral("ISO_IR 100"), const QString &station = QStringLiteral("CT09"))
{
    return {id, name, QStringLiteral("20261206"), QStringLiteral("0900"), modality, station, cs};
}

Item item(const QString &id, const QString &name, const QString &cs = QStringLiteral("ISO_IR 100"))
{
    Item i;
    i.characterSet = cs;
    i.values = {{QStringLiteral("PatientName"), name}, {QStringLiteral("PatientID"), id}};
    if (id.isEmpty())
        i.emptyRequired.append(QStringLiteral("PatientID"));
    return i;
}

Situation base()
{
    Situation s;
    s.aeTitle = QStringLiteral("CT09");
    s.host = QStringLiteral("localhost");
    s.port = 11112;
    s.registeredView = QStringLiteral("VMWL_KK_CT09");
    s.view = *s.registeredView;
    s.keys = typicalKeys(QStringLiteral("CT09"), QStringLiteral("CT"), QDate(2026, 12, 6));
    s.rows = QList<ViewRow>{row(QStringLiteral("P1"), QStringLiteral("HONG^GILDONG"), QStringLiteral("CT"))};
    s.answer.items = {item(QStringLiteral("P1"), QStringLiteral("HONG^GILDONG"))};
    return s;
}

} // namespace

// The comparison of a device's keys, its view's rows and the gateway's answer.
class TestDeviceFindings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void findingsOfSituations_data()
    {
        QTest::addColumn<Situation>("situation");
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<QString>("says");

        QTest::newRow("all fits") << base() << QStringList() << QString();
        Situation s = base();
        s.answer = {Outcome::PortClosed, 0, QStringLiteral("Connection refused"), {}};
        QTest::newRow("port closed") << s << QStringList{QStringLiteral("port-closed")}
                                     << QStringLiteral("localhost:11112");
        s.answer.outcome = Outcome::Timeout;
        s.timeoutSeconds = 7;
        QTest::newRow("timeout") << s << QStringList{QStringLiteral("timeout")} << QStringLiteral("7초");
        s.answer.outcome = Outcome::Refused;
        QTest::newRow("refused") << s << QStringList{QStringLiteral("refused")} << QStringLiteral("'CT09'");
        s.answer = {Outcome::Failed, 0xC000, QString(), {}};
        QTest::newRow("failure status") << s << QStringList{QStringLiteral("failed")} << QStringLiteral("C000");

        s = base();
        s.registeredView.reset();
        s.view = QStringLiteral("VMWL");
        QTest::newRow("not registered") << s << QStringList{QStringLiteral("not-registered")} << QStringLiteral("VMWL");

        s = base();
        s.answer.items.clear();
        s.rows = QList<ViewRow>{row(QStringLiteral("P1"), QStringLiteral("A"), QStringLiteral("CR")),
                                row(QStringLiteral("P2"), QStringLiteral("B"), QStringLiteral("DX"))};
        QTest::newRow("modality not carried")
            << s << QStringList{QStringLiteral("modality")} << QStringLiteral("'CR', 'DX'");
        s.rows = QList<ViewRow>{row(QStringLiteral("P1"), QStringLiteral("A"), QStringLiteral("CT"),
                                    QStringLiteral("ISO_IR 100"), QStringLiteral("ANY"))};
        QTest::newRow("station differs") << s << QStringList{QStringLiteral("station")} << QStringLiteral("'ANY'");
        s.keys.date = QStringLiteral("20261207");
        QTest::newRow("no orders that day")
            << s << QStringList{QStringLiteral("no-orders")} << QStringLiteral("20261207");
        s = base();
        s.answer.items.clear();
        s.keys.characterSet = QStringLiteral("ISO_IR 192");
        QTest::newRow("character set used as a key")
            << s << QStringList{QStringLiteral("filtered"), QStringLiteral("charset-differs")}
            << QStringLiteral("'ISO_IR 192'");
        s = base();
        s.keys.patientId = QStringLiteral("P*");
        s.rows->append(row(QStringLiteral("P2"), QStringLiteral("KIM"), QStringLiteral("CT")));
        QTest::newRow("fewer items than rows")
            << s << QStringList{QStringLiteral("fewer-items")} << QStringLiteral("2건");

        s = base();
        s.rows = QList<ViewRow>{row(QStringLiteral("P1"), QStringLiteral("=홍길동"), QStringLiteral("CT"))};
        s.answer.items = {item(QStringLiteral("P1"), QStringLiteral("=???"))};
        QTest::newRow("Hangul in ISO_IR 100")
            << s << QStringList{QStringLiteral("charset-unfit")} << QStringLiteral("'홍길동'");
        s.rows = QList<ViewRow>{row(QStringLiteral("P1"), QStringLiteral("=홍길동"), QStringLiteral("CT"),
                                    QStringLiteral("\\ISO 2022 IR 149"))};
        s.answer.items = {item(QStringLiteral("P1"), QStringLiteral("=홍길동"), QStringLiteral("\\ISO 2022 IR 149"))};
        s.keys.characterSet = QStringLiteral("ISO 2022 IR 149");
        QTest::newRow("Korean set, either spelling") << s << QStringList() << QString();
        s.keys.characterSet = QStringLiteral("ISO_IR 100");
        QTest::newRow("asked in another set")
            << s << QStringList{QStringLiteral("charset-differs")} << QStringLiteral("'ISO 2022 IR 149'");

        s = base();
        s.answer.items = {item(QString(), QStringLiteral("HONG")), item(QString(), QStringLiteral("KIM"))};
        QTest::newRow("empty required attribute, told once")
            << s << QStringList{QStringLiteral("empty-required")} << QStringLiteral("PatientID");
    }

    void findingsOfSituations()
    {
        QFETCH(Situation, situation);
        QFETCH(QStringList, codes);
        QFETCH(QString, says);
        const QList<Finding> found = findings(situation);
        QStringList got;
        for (const Finding &f : found)
            got.append(f.code);
        QCOMPARE(got, codes);
        if (!codes.isEmpty())
            QVERIFY2(found.first().text.contains(says), qPrintable(found.first().text));
        const bool notError = codes.isEmpty() || codes == QStringList{QStringLiteral("not-registered")} ||
                              codes == QStringList{QStringLiteral("no-orders")} ||
                              codes == QStringList{QStringLiteral("fewer-items")} ||
                              codes == QStringList{QStringLiteral("charset-differs")};
        QCOMPARE(hasError(found), !notError);
    }

    void keysOfLogEntries_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QStringList>("keys"); // cs, modality, date, station, id, name

        QTest::newRow("gateway's query")
            << QStringLiteral(
                   "+//+CT09+///+*//*[\\ISO 2022 IR 149]*///*-//-FROM VMWL_KK_CT09 WHERE (1 = 1) AND modality = "
                   "'CT' AND SCHEDULED_PROCEDURE_DATE = '20261206' AND scheduled_station_aetitle = 'CT09' AND "
                   "specific_character_set = '\\ISO 2022 IR 149'-///-")
            << QStringList{QStringLiteral("\\ISO 2022 IR 149"),
                           QStringLiteral("CT"),
                           QStringLiteral("20261206"),
                           QStringLiteral("CT09"),
                           QString(),
                           QString()};
        QTest::newRow("range, wildcards, quotes")
            << QStringLiteral("+//+MR01+///+-//-FROM VMWL WHERE (1 = 1) AND SCHEDULED_PROCEDURE_DATE >= '20261201' AND "
                              "SCHEDULED_PROCEDURE_DATE <= '20261206' AND patient_id LIKE 'A\\_%' ESCAPE '\\' AND "
                              "patient_name = 'O''BRIEN'-///-")
            << QStringList{QString(),
                           QString(),
                           QStringLiteral("20261201-20261206"),
                           QString(),
                           QStringLiteral("A_*"),
                           QStringLiteral("O'BRIEN")};
        QTest::newRow("no query") << QStringLiteral("+//+DR01+///+")
                                  << QStringList{QString(), QString(), QString(), QString(), QString(), QString()};
    }

    void keysOfLogEntries()
    {
        QFETCH(QString, entry);
        QFETCH(QStringList, keys);
        const QueryKeys k = keysFromEntry(entry);
        QCOMPARE((QStringList{k.characterSet, k.modality, k.date, k.stationAeTitle, k.patientId, k.patientName}), keys);
    }

    void keysSetByHand_data()
    {
        QTest::addColumn<QString>("assignment");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<QString>("modality");
        QTest::newRow("keyword") << QStringLiteral("Modality=MR") << true << QStringLiteral("MR");
        QTest::newRow("tag") << QStringLiteral("(0008,0060)=DX") << true << QStringLiteral("DX");
        QTest::newRow("other key") << QStringLiteral("PatientID=P1") << true << QStringLiteral("CT");
        QTest::newRow("not a matching key") << QStringLiteral("StudyDate=20261206") << false << QStringLiteral("CT");
        QTest::newRow("no value") << QStringLiteral("Modality") << false << QStringLiteral("CT");
        QTest::newRow("control character") << QStringLiteral("Modality=C\rT") << false << QStringLiteral("CT");
    }

    void keysSetByHand()
    {
        QFETCH(QString, assignment);
        QFETCH(bool, taken);
        QFETCH(QString, modality);
        QueryKeys k = typicalKeys(QStringLiteral("CT09"), QStringLiteral("CT"), QDate(2026, 12, 6));
        QCOMPARE(!setKey(k, assignment).has_value(), taken);
        QCOMPARE(k.modality, modality);
    }

    void characterSets_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("set");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("fitsSet");
        QTest::newRow("Korean name groups")
            << QByteArray("=\x1b$)C\xc8\xab\x5e\x1b$)C\xb1\xe6\xb5\xbf") << QStringLiteral("\\ISO 2022 IR 149")
            << QStringLiteral("=홍^길동") << true;
        QTest::newRow("outside KS X 1001")
            << QByteArray("?") << QStringLiteral("\\ISO 2022 IR 149") << QStringLiteral("똠") << false;
        QTest::newRow("Hangul in Latin-1")
            << QByteArray("???") << QStringLiteral("ISO_IR 100") << QStringLiteral("홍길동") << false;
        QTest::newRow("Latin-1") << QByteArray("M\xfcller") << QStringLiteral("ISO_IR 100") << QStringLiteral("Müller")
                                 << true;
        QTest::newRow("UTF-8") << QByteArray("\xed\x99\x8d") << QStringLiteral("ISO_IR 192") << QStringLiteral("홍")
                               << true;
        QTest::newRow("default set") << QByteArray("M\xfc") << QString() << QStringLiteral("M\ufffd") << false;
    }

    void characterSets()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, set);
        QFETCH(QString, text);
        QFETCH(bool, fitsSet);
        if (bytes != "?" && bytes != "???")
            QCOMPARE(decodeValue(bytes, set), text);
        QCOMPARE(fits(text, set), fitsSet);
    }

    void controlFileEntries()
    {
        const QStringList lines{QStringLiteral("[Service]"),
                                QStringLiteral("CustomAETitle=CT01^^VMWL_KK_CT01^^^^||dr01^^VMWL_EE_DR01^^^^||"),
                                QStringLiteral("Port=abc")};
        QCOMPARE(registeredView(lines, QStringLiteral("CT01")), std::optional<QString>(QStringLiteral("VMWL_KK_CT01")));
        QVERIFY(!registeredView(lines, QStringLiteral("DR01"))); // the gateway compares letter case exactly
        QCOMPARE(aeTitleServedBy(lines, QStringLiteral("VMWL_EE_DR01")), QStringLiteral("dr01"));
        QCOMPARE(aeTitleServedBy(lines, QStringLiteral("VMWL_EK_US1_1A")), QStringLiteral("US-A"));
        QCOMPARE(controlPort(lines), 104);
        QCOMPARE(controlPort(lines + QStringList{QStringLiteral("Port=35001"), QStringLiteral("Port=x")}), 35001);
        for (const char *refused : {"", "   ", "CT\r01", "A\\B", "SEVENTEEN_LETTERS"})
            QVERIFY2(!isValidAeTitle(QLatin1String(refused)), refused);
        QVERIFY(isValidAeTitle(QStringLiteral("FCR-CSL")));
    }
};

QTEST_GUILESS_MAIN(TestDeviceFindings)
#include "test_device_findings.moc"

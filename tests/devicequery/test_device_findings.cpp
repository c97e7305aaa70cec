#include "devicequery/character_sets.h"
#include "devicequery/device_check.h"
#include "devicequery/findings.h"

#include <QTest>

using namespace Qt::StringLiterals;

using namespace devicequery;
Q_DECLARE_METATYPE(devicequery::Situation)

namespace {

ViewRow row(const QString &id, const QString &name, const QString &modality, const QString &cs = u"ISO_IR 100"_s,
            const QString &station = u"CT09"_s)
{
    return {id, name, u"20261206"_s, u"0900"_s, modality, station, cs};
}

Item item(const QString &id, const QString &name, const QString &cs = u"ISO_IR 100"_s)
{
    Item i;
    i.characterSet = cs;
    i.values = {{u"PatientName"_s, name}, {u"PatientID"_s, id}};
    if (id.isEmpty())
        i.emptyRequired.append(u"PatientID"_s);
    return i;
}

Situation base()
{
    Situation s;
    s.aeTitle = u"CT09"_s;
    s.host = u"localhost"_s;
    s.port = 11112;
    s.registeredView = u"VMWL_KK_CT09"_s;
    s.view = *s.registeredView;
    s.keys = typicalKeys(u"CT09"_s, u"CT"_s, QDate(2026, 12, 6));
    s.rows = QList<ViewRow>{row(u"P1"_s, u"HONG^GILDONG"_s, u"CT"_s)};
    s.answer.items = {item(u"P1"_s, u"HONG^GILDONG"_s)};
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
        s.answer = {Outcome::PortClosed, 0, u"Connection refused"_s, {}};
        QTest::newRow("port closed") << s << QStringList{u"port-closed"_s} << u"localhost:11112"_s;
        s.answer.outcome = Outcome::Timeout;
        s.timeoutSeconds = 7;
        QTest::newRow("timeout") << s << QStringList{u"timeout"_s} << u"7초"_s;
        s.answer.outcome = Outcome::Refused;
        QTest::newRow("refused") << s << QStringList{u"refused"_s} << u"'CT09'"_s;
        s.answer = {Outcome::Failed, 0xC000, QString(), {}};
        QTest::newRow("failure status") << s << QStringList{u"failed"_s} << u"C000"_s;

        s = base();
        s.registeredView.reset();
        s.view = u"VMWL"_s;
        QTest::newRow("not registered") << s << QStringList{u"not-registered"_s} << u"VMWL"_s;

        s = base();
        s.answer.items.clear();
        s.rows = QList<ViewRow>{row(u"P1"_s, u"A"_s, u"CR"_s), row(u"P2"_s, u"B"_s, u"DX"_s)};
        QTest::newRow("modality not carried") << s << QStringList{u"modality"_s} << u"'CR', 'DX'"_s;
        s.rows = QList<ViewRow>{row(u"P1"_s, u"A"_s, u"CT"_s, u"ISO_IR 100"_s, u"ANY"_s)};
        QTest::newRow("station differs") << s << QStringList{u"station"_s} << u"'ANY'"_s;
        s.keys.date = u"20261207"_s;
        QTest::newRow("no orders that day") << s << QStringList{u"no-orders"_s} << u"20261207"_s;
        s = base();
        s.answer.items.clear();
        s.keys.characterSet = u"ISO_IR 192"_s;
        QTest::newRow("character set used as a key")
            << s << QStringList{u"filtered"_s, u"charset-differs"_s} << u"'ISO_IR 192'"_s;
        s = base();
        s.keys.patientId = u"P*"_s;
        s.rows->append(row(u"P2"_s, u"KIM"_s, u"CT"_s));
        QTest::newRow("fewer items than rows") << s << QStringList{u"fewer-items"_s} << u"2건"_s;

        s = base();
        s.rows = QList<ViewRow>{row(u"P1"_s, u"=홍길동"_s, u"CT"_s)};
        s.answer.items = {item(u"P1"_s, u"=???"_s)};
        QTest::newRow("Hangul in ISO_IR 100") << s << QStringList{u"charset-unfit"_s} << u"'홍길동'"_s;
        s.rows = QList<ViewRow>{row(u"P1"_s, u"=홍길동"_s, u"CT"_s, u"\\ISO 2022 IR 149"_s)};
        s.answer.items = {item(u"P1"_s, u"=홍길동"_s, u"\\ISO 2022 IR 149"_s)};
        s.keys.characterSet = u"ISO 2022 IR 149"_s;
        QTest::newRow("Korean set, either spelling") << s << QStringList() << QString();
        s.keys.characterSet = u"ISO_IR 100"_s;
        QTest::newRow("asked in another set") << s << QStringList{u"charset-differs"_s} << u"'ISO 2022 IR 149'"_s;

        s = base();
        s.answer.items = {item(QString(), u"HONG"_s), item(QString(), u"KIM"_s)};
        QTest::newRow("empty required attribute, told once") << s << QStringList{u"empty-required"_s} << u"PatientID"_s;
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
        const bool notError = codes.isEmpty() || codes == QStringList{u"not-registered"_s} ||
                              codes == QStringList{u"no-orders"_s} || codes == QStringList{u"fewer-items"_s} ||
                              codes == QStringList{u"charset-differs"_s};
        QCOMPARE(hasError(found), !notError);
    }

    void keysOfLogEntries_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QStringList>("keys"); // cs, modality, date, station, id, name

        QTest::newRow("gateway's query")
            << u"+//+CT09+///+*//*[\\ISO 2022 IR 149]*///*-//-FROM VMWL_KK_CT09 WHERE (1 = 1) AND modality = "
               "'CT' AND SCHEDULED_PROCEDURE_DATE = '20261206' AND scheduled_station_aetitle = 'CT09' AND "
               "specific_character_set = '\\ISO 2022 IR 149'-///-"_s
            << QStringList{u"\\ISO 2022 IR 149"_s, u"CT"_s, u"20261206"_s, u"CT09"_s, QString(), QString()};
        QTest::newRow("range, wildcards, quotes")
            << u"+//+MR01+///+-//-FROM VMWL WHERE (1 = 1) AND SCHEDULED_PROCEDURE_DATE >= '20261201' AND "
               "SCHEDULED_PROCEDURE_DATE <= '20261206' AND patient_id LIKE 'A\\_%' ESCAPE '\\' AND "
               "patient_name = 'O''BRIEN'-///-"_s
            << QStringList{QString(), QString(), u"20261201-20261206"_s, QString(), u"A_*"_s, u"O'BRIEN"_s};
        QTest::newRow("no query") << u"+//+DR01+///+"_s
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
        QTest::newRow("keyword") << u"Modality=MR"_s << true << u"MR"_s;
        QTest::newRow("tag") << u"(0008,0060)=DX"_s << true << u"DX"_s;
        QTest::newRow("other key") << u"PatientID=P1"_s << true << u"CT"_s;
        QTest::newRow("not a matching key") << u"StudyDate=20261206"_s << false << u"CT"_s;
        QTest::newRow("no value") << u"Modality"_s << false << u"CT"_s;
        QTest::newRow("control character") << u"Modality=C\rT"_s << false << u"CT"_s;
    }

    void keysSetByHand()
    {
        QFETCH(QString, assignment);
        QFETCH(bool, taken);
        QFETCH(QString, modality);
        QueryKeys k = typicalKeys(u"CT09"_s, u"CT"_s, QDate(2026, 12, 6));
        QCOMPARE(!setKey(k, assignment).has_value(), taken);
        QCOMPARE(k.modality, modality);
    }

    void characterSets_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("set");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("fitsSet");
        QTest::newRow("Korean name groups") << QByteArray("=\x1b$)C\xc8\xab\x5e\x1b$)C\xb1\xe6\xb5\xbf")
                                            << u"\\ISO 2022 IR 149"_s << u"=홍^길동"_s << true;
        QTest::newRow("outside KS X 1001") << QByteArray("?") << u"\\ISO 2022 IR 149"_s << u"똠"_s << false;
        QTest::newRow("Hangul in Latin-1") << QByteArray("???") << u"ISO_IR 100"_s << u"홍길동"_s << false;
        QTest::newRow("Latin-1") << QByteArray("M\xfcller") << u"ISO_IR 100"_s << u"Müller"_s << true;
        QTest::newRow("UTF-8") << QByteArray("\xed\x99\x8d") << u"ISO_IR 192"_s << u"홍"_s << true;
        QTest::newRow("default set") << QByteArray("M\xfc") << QString() << u"M\ufffd"_s << false;
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
        const QStringList lines{u"[Service]"_s, u"CustomAETitle=CT01^^VMWL_KK_CT01^^^^||dr01^^VMWL_EE_DR01^^^^||"_s,
                                u"Port=abc"_s};
        QCOMPARE(registeredView(lines, u"CT01"_s), std::optional<QString>(u"VMWL_KK_CT01"_s));
        QVERIFY(!registeredView(lines, u"DR01"_s)); // the gateway compares letter case exactly
        QCOMPARE(aeTitleServedBy(lines, u"VMWL_EE_DR01"_s), u"dr01"_s);
        QCOMPARE(aeTitleServedBy(lines, u"VMWL_EK_US1_1A"_s), u"US-A"_s);
        QCOMPARE(controlPort(lines), 104);
        QCOMPARE(controlPort(lines + QStringList{u"Port=35001"_s, u"Port=x"_s}), 35001);
        for (const char *refused : {"", "   ", "CT\r01", "A\\B", "SEVENTEEN_LETTERS"})
            QVERIFY2(!isValidAeTitle(QLatin1String(refused)), refused);
        QVERIFY(isValidAeTitle(u"FCR-CSL"_s));
    }
};

QTEST_GUILESS_MAIN(TestDeviceFindings)
#include "test_device_findings.moc"

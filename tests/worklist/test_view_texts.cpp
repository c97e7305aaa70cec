#include "worklist/control_file.h"
#include "worklist/view_generator.h"
#include "worklist/view_kinds.h"
#include "worklist/view_reader.h"

#include <QTest>

using namespace Qt::StringLiterals;

using worklist::ViewFields;
namespace control = worklist::control;
namespace reader = worklist::reader;

// The texts of a view and of the gateway's device list: the statement made from
// the builder's fields, the device-list line, and the fields and names read back.
class TestViewTexts : public QObject
{
    Q_OBJECT

    // The builder's fields as "field=value" settings over the window's defaults.
    static ViewFields fields(const QStringList &settings = {})
    {
        QHash<QString, QString> m;
        for (const QString &setting : settings)
            m.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
        ViewFields f;
        f.stationAe = m.value(u"stationAe"_s);
        f.deviceModality = m.value(u"deviceModality"_s);
        f.kindCaption = m.value(u"kind"_s, u"영문이름 / 검사명영문"_s);
        f.characterSet = m.value(u"charset"_s, u"ISO_IR 100"_s);
        f.codeMapping = m.value(u"mapping"_s).toInt();
        f.codeMappingText = m.value(u"mappingText"_s, u"#"_s);
        f.cutExamName = m.value(u"cut"_s).toInt();
        f.cutStart = m.value(u"cutStart"_s, u"1"_s);
        f.cutLength = u"18"_s;
        f.orderModalities = m.value(u"modalities"_s);
        f.orderCodes = m.value(u"codes"_s);
        f.excludeCodes = m.value(u"exclude"_s).toInt();
        return f;
    }

    static void row(const char *name, const QString &line, const QStringList &settings, const QString &expected)
    {
        QTest::newRow(name) << line << settings << expected;
    }

    struct Registering
    {
        QStringList lines;
        QString ae, view;
        bool fcr;
        QStringList expected;
    };

    struct Naming
    {
        QString caption; // "-": a name the tool does not make
        QString ae, name, title, readCaption;
        int cut;       // -1 left as it is
        QString older; // the name an older version gave the view
    };

    static QString orNone(const std::optional<QString> &v) { return v ? *v : u"-"_s; }

private Q_SLOTS:
    void markerLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("settings");
        QTest::addColumn<QString>("expected");
        const QString station = u" 'AETITLE' AS scheduled_station_aetitle, "_s;
        row("station AE empty: template line", station, {}, station);
        row("station AE", station, {u"stationAe=FCR-CSL"_s}, u" 'FCR-CSL' AS scheduled_station_aetitle, "_s);
        row("station AE with a quote doubled", station, {u"stationAe=O'K"_s},
            u" 'O''K' AS scheduled_station_aetitle, "_s);
        row("station AE marker in other case is no marker", u" 'aetitle' AS scheduled_station_aetitle, "_s,
            {u"stationAe=X"_s}, u" 'aetitle' AS scheduled_station_aetitle, "_s);
        const QString modality = u" a.ORDER_MODALITY AS modality, "_s;
        row("device modality empty", modality, {}, modality);
        row("device modality", modality, {u"deviceModality=DX"_s}, u" 'DX' AS modality, "_s);
        const QString both = u" 'AETITLE' + a.ORDER_MODALITY AS x, "_s;
        row("station line first: both markers", both, {u"deviceModality=DX"_s}, both);
        row("station line first, station set", both, {u"stationAe=S1"_s, u"deviceModality=DX"_s},
            u" 'S1' AS scheduled_station_aetitle, "_s);

        const QString patient = u"/* Patient Identification*/ p.PATIENT_NAME AS patient_name, "_s;
        const QString koreanForm = u"'=' + p.PATIENT_NAME AS patient_name, "_s;
        row("KK with \\ISO 2022 IR 149", patient, {u"kind=한글이름 / 검사명한글"_s, u"charset=\\ISO 2022 IR 149"_s},
            koreanForm);
        row("KE with \\ISO 2022 IR 149", patient, {u"kind=한글이름 / 검사명영문"_s, u"charset=\\ISO 2022 IR 149"_s},
            koreanForm);
        row("EK with \\ISO 2022 IR 149", patient, {u"kind=영문이름 / 검사명한글"_s, u"charset=\\ISO 2022 IR 149"_s},
            patient);
        row("KK with ISO_IR 100", patient, {u"kind=한글이름 / 검사명한글"_s}, patient);
        row("KK with ISO 2022 IR 149, no backslash", patient,
            {u"kind=한글이름 / 검사명한글"_s, u"charset=ISO 2022 IR 149"_s}, patient);

        const QString code = u" a.ORDER_CODE AS order_code, a.ORDER_CODE AS c2, "_s;
        row("code mapping off", code, {}, code);
        row("code mapping, every occurrence", code, {u"mapping=1"_s, u"mappingText=X"_s},
            u" Replace(a.ORDER_CODE + 'X', '8X' , 'X8') AS order_code, Replace(a.ORDER_CODE + 'X', '8X' , 'X8') AS "_s
            u"c2, "_s);
        row("code mapping text with a quote", u"a.ORDER_CODE"_s, {u"mapping=1"_s, u"mappingText='"_s},
            u"Replace(a.ORDER_CODE + '''', '8''' , '''8')"_s);

        const QString charset = u" /* scheduled Procedure Step*/'ISO_IR 100' AS specific_character_set, "_s;
        row("character set always", charset, {u"charset=\\ISO 2022 IR 149"_s},
            u" /* scheduled Procedure Step*/'\\ISO 2022 IR 149' AS specific_character_set, "_s);
        row("empty character set", charset, {u"charset="_s},
            u" /* scheduled Procedure Step*/'' AS specific_character_set, "_s);

        const QString cut = u"Substring(VUR_TCOMMON.F_HANCONVERT(a.ORDER_NAME,1), "_s;
        row("cut off", u" a.ORDER_NAME AS scheduled_procedure_desc,"_s, {},
            u" a.ORDER_NAME AS scheduled_procedure_desc,"_s);
        row("cut: scheduled desc", u" a.ORDER_NAME AS scheduled_procedure_desc,"_s, {u"cut=1"_s},
            cut + u"1, 18) AS scheduled_procedure_desc,"_s);
        row("cut: line's own case does not matter", u" a.order_name as Requested_Procedure_Desc,"_s,
            {u"cut=1"_s, u"cutStart=3"_s}, cut + u"3, 18) AS requested_procedure_desc,"_s);
        row("cut: scheduled code meaning", u" x AS scheduled_code_meaning,"_s, {u"cut=1"_s},
            cut + u"1, 18) AS SCHEDULED_CODE_MEANING,"_s);
        row("cut: last column has no comma", u" x AS REQUESTED_CODE_MEANING "_s, {u"cut=1"_s},
            cut + u"1, 18) AS REQUESTED_CODE_MEANING "_s);
        row("plain line", u" p.PATIENT_ID AS patient_id,"_s, {u"cut=1"_s, u"stationAe=X"_s},
            u" p.PATIENT_ID AS patient_id,"_s);
    }

    void markerLines()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, settings);
        QFETCH(QString, expected);
        QCOMPARE(worklist::generateLine(line, fields(settings)), expected);
    }

    // The whole statement of a small template: header, lines, filters, each ended by CR LF.
    void statements_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("settings");
        QTest::addColumn<QString>("expected"); // what follows the template's lines
        const QString head = u"Create View VMWL_KK_CT1_11(\r\n a,\r\n) AS\r\nWHERE 1 = 1\r\n"_s;
        row("no filters", u""_s, {}, head);
        row("modalities", u""_s, {u"modalities=CR,RF"_s}, head + u"And a.Order_Modality IN ('CR','RF') \r\n"_s);
        row("codes with a blank kept", u""_s, {u"codes=Che001, Che002"_s},
            head + u"And a.Order_Code IN ('Che001',' Che002') \r\n"_s);
        row("codes excluded", u""_s, {u"codes=Che001,Che002"_s, u"exclude=1"_s},
            head + u"And a.Order_Code NOT IN ('Che001','Che002') \r\n"_s);
        row("exclude without codes", u""_s, {u"exclude=1"_s}, head);
        row("both, modality first", u""_s, {u"modalities=CT"_s, u"codes=A1"_s},
            head + u"And a.Order_Modality IN ('CT') \r\nAnd a.Order_Code IN ('A1') \r\n"_s);
        row("quote in a code", u""_s, {u"codes=O'1"_s}, head + u"And a.Order_Code IN ('O''1') \r\n"_s);
    }

    void statements()
    {
        QFETCH(QStringList, settings);
        QFETCH(QString, expected);
        const QString header = worklist::viewHeader(false, u"VMWL_KK_CT1_11"_s);
        QCOMPARE(worklist::generateView(header, {u" a,"_s, u") AS"_s, u"WHERE 1 = 1"_s}, fields(settings)), expected);
        QCOMPARE(worklist::viewHeader(true, u"VMWL_EE_DR01"_s), u"Alter View VMWL_EE_DR01("_s);
    }

    void registering_data()
    {
        QTest::addColumn<Registering>("r");
        const auto row = [](const char *name, const QStringList &lines, const QString &ae, const QString &view,
                            bool fcr, const QStringList &expected) {
            QTest::newRow(name) << Registering{lines, ae, view, fcr, expected};
        };
        row("empty list", {u"[S]"_s, u"CustomAETitle="_s, u"X=1"_s}, u"CT01"_s, u"VMWL_KK_CT01"_s, false,
            {u"[S]"_s, u"CustomAETitle=CT01^^VMWL_KK_CT01^^^^||"_s, u"X=1"_s});
        row("appended after the others", {u"CustomAETitle=DR01^^VMWL_EE_DR01^^^^||"_s}, u"CT01"_s, u"VMWL_KK_CT01"_s,
            false, {u"CustomAETitle=DR01^^VMWL_EE_DR01^^^^||CT01^^VMWL_KK_CT01^^^^||"_s});
        row("listed first: unchanged even for another view", {u"CustomAETitle=CT01^^VMWL_EE_CT01^^^^||"_s}, u"CT01"_s,
            u"VMWL_KK_CT01"_s, false, {u"CustomAETitle=CT01^^VMWL_EE_CT01^^^^||"_s});
        row("listed after ||", {u"customaetitle=A^^V^^^^||CT01^^V2^^^^||"_s}, u"CT01"_s, u"V3"_s, false,
            {u"customaetitle=A^^V^^^^||CT01^^V2^^^^||"_s});
        row("letter case counts", {u"CustomAETitle=CT01^^V^^^^||"_s}, u"ct01"_s, u"VMWL_KK_CT01"_s, false,
            {u"CustomAETitle=CT01^^V^^^^||ct01^^VMWL_KK_CT01^^^^||"_s});
        row("prefix title", {u"CustomAETitle=CT01^^V^^^^||"_s}, u"CT0"_s, u"VMWL_KK_CT0"_s, false,
            {u"CustomAETitle=CT01^^V^^^^||CT0^^VMWL_KK_CT0^^^^||"_s});
        row("FCR flag set", {u"FCR_XG5000=0"_s, u"CustomAETitle="_s}, u"A"_s, u"V"_s, true,
            {u"FCR_XG5000=1"_s, u"CustomAETitle=A^^V^^^^||"_s});
        row("FCR flag kept without the box", {u"FCR_XG5000=0"_s}, u"A"_s, u"V"_s, false, {u"FCR_XG5000=0"_s});
        row("FCR flag never cleared", {u"fcr_xg5000=1"_s}, u"A"_s, u"V"_s, true, {u"fcr_xg5000=1"_s});
        row("no device-list line", {u"A=1"_s, u"B=2"_s}, u"CT01"_s, u"V"_s, false, {u"A=1"_s, u"B=2"_s});
    }

    void registering()
    {
        QFETCH(Registering, r);
        QCOMPARE(control::registerDevice(r.lines, r.ae, r.view, r.fcr), r.expected);
    }

    void removing_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("ae");
        QTest::addColumn<QString>("view");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const QString &line, const QString &ae, const QString &view,
                            const QString &expected) { QTest::newRow(name) << line << ae << view << expected; };
        row("both names, others kept as they were",
            u"CustomAETitle=dr01^^VMWL_EE_DR01^^^^||CT01^^VMWL_EE_CT01^^^^||CT01^^VMWL_E_CT01^^^^||Mr-1^^VMWL_KK_MR1_"_s
            u"11^^^^||"_s,
            u"CT01"_s, u"VMWL_EE_CT01"_s, u"CustomAETitle=dr01^^VMWL_EE_DR01^^^^||Mr-1^^VMWL_KK_MR1_11^^^^||"_s);
        row("letter case of title and view ignored", u"CustomAETitle=ct01^^vmwl_ee_ct01^^^^||X^^Y^^^^||"_s, u"CT01"_s,
            u"VMWL_EE_CT01"_s, u"CustomAETitle=X^^Y^^^^||"_s);
        row("only the older name listed: kept", u"CustomAETitle=CT01^^VMWL_K_CT01^^^^||"_s, u"CT01"_s,
            u"VMWL_KK_CT01"_s, u"CustomAETitle=CT01^^VMWL_K_CT01^^^^||"_s);
        row("only the new name listed", u"CustomAETitle=CT01^^VMWL_KK_CT01^^^^||X^^Y^^^^||"_s, u"CT01"_s,
            u"VMWL_KK_CT01"_s, u"CustomAETitle=X^^Y^^^^||"_s);
        row("not listed: unchanged", u"CustomAETitle=DR01^^VMWL_EE_DR01^^^^||"_s, u"CT01"_s, u"VMWL_EE_CT01"_s,
            u"CustomAETitle=DR01^^VMWL_EE_DR01^^^^||"_s);
        row("longer title kept", u"CustomAETitle=XCT01^^VMWL_EE_CT01^^^^||"_s, u"CT01"_s, u"VMWL_EE_CT01"_s,
            u"CustomAETitle=XCT01^^VMWL_EE_CT01^^^^||"_s);
        row("text after the last entry kept", u"CustomAETitle=CT01^^V^^^^||tail"_s, u"CT01"_s, u"V"_s,
            u"CustomAETitle=tail"_s);
    }

    void removing()
    {
        QFETCH(QString, line);
        QFETCH(QString, ae);
        QFETCH(QString, view);
        QFETCH(QString, expected);
        const QStringList result =
            control::removeDevice({u"[S]"_s, line, u"FCR_XG5000=1"_s}, ae, view, control::olderViewName(view));
        QCOMPARE(result, (QStringList{u"[S]"_s, expected, u"FCR_XG5000=1"_s}));
    }

    void names_data()
    {
        QTest::addColumn<Naming>("n");
        const QString kk = u"한글이름 / 검사명한글"_s, ke = u"한글이름 / 검사명영문"_s, ek = u"영문이름 / 검사명한글"_s,
                      ee = u"영문이름 / 검사명영문"_s, eg = u"영문이름 / 검사명영문(기초자료)"_s;
        const auto row = [](const char *n, const QString &caption, const QString &ae, const QString &name,
                            const QString &title, const QString &read, int cut, const QString &older) {
            QTest::newRow(n) << Naming{caption, ae, name, title, read, cut, older};
        };
        row("KK with dash", kk, u"ct-1"_s, u"VMWL_KK_CT1_11"_s, u"CT-1"_s, kk, 0, u"VMWL_K_CT1_11"_s);
        row("KE, two dashes", ke, u"a-b-c"_s, u"VMWL_KE_A1_1B1_1C"_s, u"A-B-C"_s, ke, 0, u"VMWL_K_A1_1B1_1C"_s);
        row("EK, blank kept", ek, u"CT 1"_s, u"VMWL_EK_CT 1"_s, u"CT 1"_s, ek, 0, u"VMWL_E_CT 1"_s);
        row("EE", ee, u"DR01"_s, u"VMWL_EE_DR01"_s, u"DR01"_s, ee, 1, u"VMWL_E_DR01"_s);
        row("EG", eg, u"ct-1"_s, u"VMWL_EG_CT1_11"_s, u"CT-1"_s, eg, -1, u"VMWL_EG_CT1_11"_s);
        row("EE with a blank after is EG", ee + u" "_s, u"DX1"_s, u"VMWL_EG_DX1"_s, u"DX1"_s, eg, -1, u"VMWL_EG_DX1"_s);
        row("typed text is EG", u"anything"_s, u"DX1"_s, u"VMWL_EG_DX1"_s, u"DX1"_s, eg, -1, u"VMWL_EG_DX1"_s);
        row("empty caption is EG", u""_s, u"DX1"_s, u"VMWL_EG_DX1"_s, u"DX1"_s, eg, -1, u"VMWL_EG_DX1"_s);
        row("one-letter K", u"-"_s, u""_s, u"VMWL_K_CR01"_s, u"CR01"_s, kk, 0, u"VMWL_K_CR01"_s);
        row("one-letter E", u"-"_s, u""_s, u"VMWL_E_CR01"_s, u"CR01"_s, ek, 0, u"VMWL_E_CR01"_s);
        row("marker order over the whole name", u"-"_s, u""_s, u"VMWL_EE_A_K_B"_s, u"A_K_B"_s, kk, 0,
            u"VMWL_E_A_K_B"_s);
        row("base view", u"-"_s, u""_s, u"VMWL"_s, u""_s, eg, -1, u"VMWL"_s);
        row("a table named like a view", u"-"_s, u""_s, u"VMWL_TEST"_s, u"T"_s, eg, -1, u"VMWL_TEST"_s);
    }

    void names()
    {
        QFETCH(Naming, n);
        if (n.caption != QLatin1String("-"))
            QCOMPARE(worklist::viewName(worklist::kindFromCaption(n.caption), n.ae), n.name);
        QCOMPARE(reader::titleOf(n.name), n.title);
        const reader::KindReading kind = reader::kindOf(n.name);
        QCOMPARE(kind.caption, n.readCaption);
        QCOMPARE(kind.cut ? int(*kind.cut) : -1, n.cut);
        QCOMPARE(worklist::control::olderViewName(n.name), n.older);
    }

    void values_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("quoted");
        QTest::addColumn<QString>("list");
        const auto row = [](const char *name, const QString &line, const QString &quoted, const QString &list) {
            QTest::newRow(name) << line << quoted << list;
        };
        row("station", u" 'CT01' AS scheduled_station_aetitle, "_s, u"CT01"_s, u"-"_s);
        row("character set", u" /* scheduled Procedure Step*/'\\ISO 2022 IR 149' AS specific_character_set, "_s,
            u"\\ISO 2022 IR 149"_s, u"-"_s);
        row("list", u"And a.Order_Code NOT IN ('Che001','Che002') "_s, u"Che001"_s, u"Che001,Che002"_s);
        row("list keeps blanks", u"And a.Order_Code IN ('Che001',' Che002') "_s, u"Che001"_s, u"Che001, Che002"_s);
        row("blank outside the quotes kept", u"IN ('A', 'B')"_s, u"A"_s, u"A, B"_s);
        row("doubled quote", u" 'O''K' AS scheduled_station_aetitle,"_s, u"O'K"_s, u"-"_s);
        row("doubled quote in a list", u"IN ('O''1','B')"_s, u"O'1"_s, u"O'1,B"_s);
        row("parenthesis inside a quoted item", u"IN ('A)','B')"_s, u"A)"_s, u"A),B"_s);
        row("one quote only", u" 'CT01 AS scheduled_station_aetitle"_s, u"-"_s, u"-"_s);
        row("no quote", u" x AS modality,"_s, u"-"_s, u"-"_s);
        row(") before the first quote", u"IN () 'A'"_s, u"A"_s, u"-"_s);
        row("no closing parenthesis", u"IN ('A','B'"_s, u"A"_s, u"-"_s);
        row("empty value", u" '' AS specific_character_set,"_s, u""_s, u"-"_s);
    }

    void values()
    {
        QFETCH(QString, line);
        QFETCH(QString, quoted);
        QFETCH(QString, list);
        QCOMPARE(orNone(reader::quotedValue(line)), quoted);
        QCOMPARE(orNone(reader::listValue(line)), list);
    }

    void definitions_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("read"); // station|device|modalities|codes|exclude|character set, "-" for none
        QTest::newRow("template lines give nothing")
            << QStringList{u" 'AETITLE' AS scheduled_station_aetitle, "_s, u" a.ORDER_MODALITY AS modality, "_s,
                           u" 'aetitle' as Scheduled_Station_AETitle,"_s, u" A.Order_Modality AS MODALITY,"_s}
            << "-|-|-|-|-|-";
        QTest::newRow("not made by the tool")
            << QStringList{u"CREATE VIEW dbo.VMWL_OTHER AS"_s, u"SELECT PATIENT_ID, PATIENT_NAME FROM TPATIENT"_s,
                           u"WHERE PATIENT_ID <> ''"_s}
            << "-|-|-|-|-|-";
        QTest::newRow("broken line keeps the earlier value")
            << QStringList{u"And a.Order_Modality IN ('CT') "_s, u"And a.Order_Modality IN ('MR' "_s,
                           u" 'DX' AS modality,"_s, u" 'CR AS modality,"_s}
            << "-|DX|CT|-|-|-";
    }

    void definitions()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, read);
        const reader::DefinitionReading r = reader::readDefinition(lines);
        const QString exclude = r.excludeCodes ? QString::number(int(*r.excludeCodes)) : u"-"_s;
        QCOMPARE(QStringList({orNone(r.stationAe), orNone(r.deviceModality), orNone(r.orderModalities),
                              orNone(r.orderCodes), exclude, orNone(r.characterSet)})
                     .join(u'|'),
                 read);
    }
};

QTEST_GUILESS_MAIN(TestViewTexts)
#include "test_view_texts.moc"

#include "worklist/control_file.h"
#include "worklist/view_generator.h"
#include "worklist/view_kinds.h"
#include "worklist/view_reader.h"

#include <QTest>

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
        f.stationAe = m.value(QStringLiteral("stationAe"));
        f.deviceModality = m.value(QStringLiteral("deviceModality"));
        f.kindCaption = m.value(QStringLiteral("kind"), QStringLiteral("영문이름 / 검사명영문"));
        f.characterSet = m.value(QStringLiteral("charset"), QStringLiteral("ISO_IR 100"));
        f.codeMapping = m.value(QStringLiteral("mapping")).toInt();
        f.codeMappingText = m.value(QStringLiteral("mappingText"), QStringLiteral("#"));
        f.cutExamName = m.value(QStringLiteral("cut")).toInt();
        f.cutStart = m.value(QStringLiteral("cutStart"), QStringLiteral("1"));
        f.cutLength = QStringLiteral("18");
        f.orderModalities = m.value(QStringLiteral("modalities"));
        f.orderCodes = m.value(QStringLiteral("codes"));
        f.excludeCodes = m.value(QStringLiteral("exclude")).toInt();
        return f;
    }

    static void row(const char *name, const QString &line, const QStringList &settings, const QString &expected)
    {
        QTest::newRow(name) << line << settings << expected;
    }

    static QString orNone(const std::optional<QString> &v) { return v ? *v : QStringLiteral("-"); }

private Q_SLOTS:
    void markerLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("settings");
        QTest::addColumn<QString>("expected");
        const QString station = " 'AETITLE' AS scheduled_station_aetitle, ";
        row("station AE empty: template line", station, {}, station);
        row("station AE", station, {"stationAe=FCR-CSL"}, " 'FCR-CSL' AS scheduled_station_aetitle, ");
        row("station AE with a quote doubled", station, {"stationAe=O'K"}, " 'O''K' AS scheduled_station_aetitle, ");
        row("station AE marker in other case is no marker", " 'aetitle' AS scheduled_station_aetitle, ",
            {"stationAe=X"}, " 'aetitle' AS scheduled_station_aetitle, ");
        const QString modality = " a.ORDER_MODALITY AS modality, ";
        row("device modality empty", modality, {}, modality);
        row("device modality", modality, {"deviceModality=DX"}, " 'DX' AS modality, ");
        const QString both = " 'AETITLE' + a.ORDER_MODALITY AS x, ";
        row("station line first: both markers", both, {"deviceModality=DX"}, both);
        row("station line first, station set", both, {"stationAe=S1", "deviceModality=DX"},
            " 'S1' AS scheduled_station_aetitle, ");

        const QString patient = "/* Patient Identification*/ p.PATIENT_NAME AS patient_name, ";
        const QString koreanForm = "'=' + p.PATIENT_NAME AS patient_name, ";
        row("KK with \\ISO 2022 IR 149", patient, {"kind=한글이름 / 검사명한글", "charset=\\ISO 2022 IR 149"},
            koreanForm);
        row("KE with \\ISO 2022 IR 149", patient, {"kind=한글이름 / 검사명영문", "charset=\\ISO 2022 IR 149"},
            koreanForm);
        row("EK with \\ISO 2022 IR 149", patient, {"kind=영문이름 / 검사명한글", "charset=\\ISO 2022 IR 149"}, patient);
        row("KK with ISO_IR 100", patient, {"kind=한글이름 / 검사명한글"}, patient);
        row("KK with ISO 2022 IR 149, no backslash", patient, {"kind=한글이름 / 검사명한글", "charset=ISO 2022 IR 149"},
            patient);

        const QString code = " a.ORDER_CODE AS order_code, a.ORDER_CODE AS c2, ";
        row("code mapping off", code, {}, code);
        row("code mapping, every occurrence", code, {"mapping=1", "mappingText=X"},
            " Replace(a.ORDER_CODE + 'X', '8X' , 'X8') AS order_code, Replace(a.ORDER_CODE + 'X', '8X' , 'X8') AS "
            "c2, ");
        row("code mapping text with a quote", "a.ORDER_CODE", {"mapping=1", "mappingText='"},
            "Replace(a.ORDER_CODE + '''', '8''' , '''8')");

        const QString charset = " /* scheduled Procedure Step*/'ISO_IR 100' AS specific_character_set, ";
        row("character set always", charset, {"charset=\\ISO 2022 IR 149"},
            " /* scheduled Procedure Step*/'\\ISO 2022 IR 149' AS specific_character_set, ");
        row("empty character set", charset, {"charset="},
            " /* scheduled Procedure Step*/'' AS specific_character_set, ");

        const QString cut = "Substring(VUR_TCOMMON.F_HANCONVERT(a.ORDER_NAME,1), ";
        row("cut off", " a.ORDER_NAME AS scheduled_procedure_desc,", {}, " a.ORDER_NAME AS scheduled_procedure_desc,");
        row("cut: scheduled desc", " a.ORDER_NAME AS scheduled_procedure_desc,", {"cut=1"},
            cut + "1, 18) AS scheduled_procedure_desc,");
        row("cut: line's own case does not matter", " a.order_name as Requested_Procedure_Desc,",
            {"cut=1", "cutStart=3"}, cut + "3, 18) AS requested_procedure_desc,");
        row("cut: scheduled code meaning", " x AS scheduled_code_meaning,", {"cut=1"},
            cut + "1, 18) AS SCHEDULED_CODE_MEANING,");
        row("cut: last column has no comma", " x AS REQUESTED_CODE_MEANING ", {"cut=1"},
            cut + "1, 18) AS REQUESTED_CODE_MEANING ");
        row("plain line", " p.PATIENT_ID AS patient_id,", {"cut=1", "stationAe=X"}, " p.PATIENT_ID AS patient_id,");
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
        const QString head = "Create View VMWL_KK_CT1_11(\r\n a,\r\n) AS\r\nWHERE 1 = 1\r\n";
        row("no filters", "", {}, head);
        row("modalities", "", {"modalities=CR,RF"}, head + "And a.Order_Modality IN ('CR','RF') \r\n");
        row("codes with a blank kept", "", {"codes=Che001, Che002"},
            head + "And a.Order_Code IN ('Che001',' Che002') \r\n");
        row("codes excluded", "", {"codes=Che001,Che002", "exclude=1"},
            head + "And a.Order_Code NOT IN ('Che001','Che002') \r\n");
        row("exclude without codes", "", {"exclude=1"}, head);
        row("both, modality first", "", {"modalities=CT", "codes=A1"},
            head + "And a.Order_Modality IN ('CT') \r\nAnd a.Order_Code IN ('A1') \r\n");
        row("quote in a code", "", {"codes=O'1"}, head + "And a.Order_Code IN ('O''1') \r\n");
    }

    void statements()
    {
        QFETCH(QStringList, settings);
        QFETCH(QString, expected);
        const QString header = worklist::viewHeader(false, QStringLiteral("VMWL_KK_CT1_11"));
        QCOMPARE(worklist::generateView(header,
                                        {QStringLiteral(" a,"), QStringLiteral(") AS"), QStringLiteral("WHERE 1 = 1")},
                                        fields(settings)),
                 expected);
        QCOMPARE(worklist::viewHeader(true, QStringLiteral("VMWL_EE_DR01")),
                 QStringLiteral("Alter View VMWL_EE_DR01("));
    }

    void registering_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("ae");
        QTest::addColumn<QString>("view");
        QTest::addColumn<bool>("fcr");
        QTest::addColumn<QStringList>("expected");
        const auto row = [](const char *name, const QStringList &lines, const char *ae, const char *view, bool fcr,
                            const QStringList &expected) {
            QTest::newRow(name) << lines << ae << view << fcr << expected;
        };
        row("empty list", {"[S]", "CustomAETitle=", "X=1"}, "CT01", "VMWL_KK_CT01", false,
            {"[S]", "CustomAETitle=CT01^^VMWL_KK_CT01^^^^||", "X=1"});
        row("appended after the others", {"CustomAETitle=DR01^^VMWL_EE_DR01^^^^||"}, "CT01", "VMWL_KK_CT01", false,
            {"CustomAETitle=DR01^^VMWL_EE_DR01^^^^||CT01^^VMWL_KK_CT01^^^^||"});
        row("listed first: unchanged even for another view", {"CustomAETitle=CT01^^VMWL_EE_CT01^^^^||"}, "CT01",
            "VMWL_KK_CT01", false, {"CustomAETitle=CT01^^VMWL_EE_CT01^^^^||"});
        row("listed after ||", {"customaetitle=A^^V^^^^||CT01^^V2^^^^||"}, "CT01", "V3", false,
            {"customaetitle=A^^V^^^^||CT01^^V2^^^^||"});
        row("letter case counts", {"CustomAETitle=CT01^^V^^^^||"}, "ct01", "VMWL_KK_CT01", false,
            {"CustomAETitle=CT01^^V^^^^||ct01^^VMWL_KK_CT01^^^^||"});
        row("prefix title", {"CustomAETitle=CT01^^V^^^^||"}, "CT0", "VMWL_KK_CT0", false,
            {"CustomAETitle=CT01^^V^^^^||CT0^^VMWL_KK_CT0^^^^||"});
        row("FCR flag set", {"FCR_XG5000=0", "CustomAETitle="}, "A", "V", true,
            {"FCR_XG5000=1", "CustomAETitle=A^^V^^^^||"});
        row("FCR flag kept without the box", {"FCR_XG5000=0"}, "A", "V", false, {"FCR_XG5000=0"});
        row("FCR flag never cleared", {"fcr_xg5000=1"}, "A", "V", true, {"fcr_xg5000=1"});
        row("no device-list line", {"A=1", "B=2"}, "CT01", "V", false, {"A=1", "B=2"});
    }

    void registering()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, ae);
        QFETCH(QString, view);
        QFETCH(bool, fcr);
        QFETCH(QStringList, expected);
        QCOMPARE(control::registerDevice(lines, ae, view, fcr), expected);
    }

    void removing_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("ae");
        QTest::addColumn<QString>("view");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const char *line, const char *ae, const char *view,
                            const char *expected) { QTest::newRow(name) << line << ae << view << expected; };
        row("both names, others kept as they were",
            "CustomAETitle=dr01^^VMWL_EE_DR01^^^^||CT01^^VMWL_EE_CT01^^^^||CT01^^VMWL_E_CT01^^^^||Mr-1^^VMWL_KK_MR1_"
            "11^^^^||",
            "CT01", "VMWL_EE_CT01", "CustomAETitle=dr01^^VMWL_EE_DR01^^^^||Mr-1^^VMWL_KK_MR1_11^^^^||");
        row("letter case of title and view ignored", "CustomAETitle=ct01^^vmwl_ee_ct01^^^^||X^^Y^^^^||", "CT01",
            "VMWL_EE_CT01", "CustomAETitle=X^^Y^^^^||");
        row("only the older name listed: kept", "CustomAETitle=CT01^^VMWL_K_CT01^^^^||", "CT01", "VMWL_KK_CT01",
            "CustomAETitle=CT01^^VMWL_K_CT01^^^^||");
        row("only the new name listed", "CustomAETitle=CT01^^VMWL_KK_CT01^^^^||X^^Y^^^^||", "CT01", "VMWL_KK_CT01",
            "CustomAETitle=X^^Y^^^^||");
        row("not listed: unchanged", "CustomAETitle=DR01^^VMWL_EE_DR01^^^^||", "CT01", "VMWL_EE_CT01",
            "CustomAETitle=DR01^^VMWL_EE_DR01^^^^||");
        row("longer title kept", "CustomAETitle=XCT01^^VMWL_EE_CT01^^^^||", "CT01", "VMWL_EE_CT01",
            "CustomAETitle=XCT01^^VMWL_EE_CT01^^^^||");
        row("text after the last entry kept", "CustomAETitle=CT01^^V^^^^||tail", "CT01", "V", "CustomAETitle=tail");
    }

    void removing()
    {
        QFETCH(QString, line);
        QFETCH(QString, ae);
        QFETCH(QString, view);
        QFETCH(QString, expected);
        const QStringList result =
            control::removeDevice({"[S]", line, "FCR_XG5000=1"}, ae, view, control::olderViewName(view));
        QCOMPARE(result, (QStringList{"[S]", expected, "FCR_XG5000=1"}));
    }

    void olderNames()
    {
        QStringList older;
        for (const char *name : {"VMWL_KK_CT01", "VMWL_KE_CT01", "VMWL_EK_CT01", "VMWL_EE_CT01", "VMWL_EG_CT01",
                                 "VMWL_K_CT01", "VMWL_KK_A_EE_B"})
            older << control::olderViewName(QString::fromLatin1(name));
        QCOMPARE(older, (QStringList{"VMWL_K_CT01", "VMWL_K_CT01", "VMWL_E_CT01", "VMWL_E_CT01", "VMWL_EG_CT01",
                                     "VMWL_K_CT01", "VMWL_K_A_E_B"}));
    }

    void names_data()
    {
        QTest::addColumn<QString>("caption"); // "-": a name the tool does not make
        QTest::addColumn<QString>("ae");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("readCaption");
        QTest::addColumn<int>("cut"); // -1 left as it is
        const QString kk = "한글이름 / 검사명한글", ke = "한글이름 / 검사명영문", ek = "영문이름 / 검사명한글",
                      ee = "영문이름 / 검사명영문", eg = "영문이름 / 검사명영문(기초자료)";
        const auto row = [](const char *n, const QString &caption, const char *ae, const char *name, const char *title,
                            const QString &read,
                            int cut) { QTest::newRow(n) << caption << ae << name << title << read << cut; };
        row("KK with dash", kk, "ct-1", "VMWL_KK_CT1_11", "CT-1", kk, 0);
        row("KE, two dashes", ke, "a-b-c", "VMWL_KE_A1_1B1_1C", "A-B-C", ke, 0);
        row("EK, blank kept", ek, "CT 1", "VMWL_EK_CT 1", "CT 1", ek, 0);
        row("EE", ee, "DR01", "VMWL_EE_DR01", "DR01", ee, 1);
        row("EG", eg, "ct-1", "VMWL_EG_CT1_11", "CT-1", eg, -1);
        row("EE with a blank after is EG", ee + " ", "DX1", "VMWL_EG_DX1", "DX1", eg, -1);
        row("typed text is EG", "anything", "DX1", "VMWL_EG_DX1", "DX1", eg, -1);
        row("empty caption is EG", "", "DX1", "VMWL_EG_DX1", "DX1", eg, -1);
        row("one-letter K", "-", "", "VMWL_K_CR01", "CR01", kk, 0);
        row("one-letter E", "-", "", "VMWL_E_CR01", "CR01", ek, 0);
        row("marker order over the whole name", "-", "", "VMWL_EE_A_K_B", "A_K_B", kk, 0);
        row("base view", "-", "", "VMWL", "", eg, -1);
        row("a table named like a view", "-", "", "VMWL_TEST", "T", eg, -1);
    }

    void names()
    {
        QFETCH(QString, caption);
        QFETCH(QString, ae);
        QFETCH(QString, name);
        QFETCH(QString, title);
        QFETCH(QString, readCaption);
        QFETCH(int, cut);
        if (caption != QLatin1String("-"))
            QCOMPARE(worklist::viewName(worklist::kindFromCaption(caption), ae), name);
        QCOMPARE(reader::titleOf(name), title);
        const reader::KindReading kind = reader::kindOf(name);
        QCOMPARE(kind.caption, readCaption);
        QCOMPARE(kind.cut ? int(*kind.cut) : -1, cut);
    }

    void values_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("quoted");
        QTest::addColumn<QString>("list");
        const auto row = [](const char *name, const char *line, const char *quoted, const char *list) {
            QTest::newRow(name) << line << quoted << list;
        };
        row("station", " 'CT01' AS scheduled_station_aetitle, ", "CT01", "-");
        row("character set", " /* scheduled Procedure Step*/'\\ISO 2022 IR 149' AS specific_character_set, ",
            "\\ISO 2022 IR 149", "-");
        row("list", "And a.Order_Code NOT IN ('Che001','Che002') ", "Che001", "Che001,Che002");
        row("list keeps blanks", "And a.Order_Code IN ('Che001',' Che002') ", "Che001", "Che001, Che002");
        row("blank outside the quotes kept", "IN ('A', 'B')", "A", "A, B");
        row("doubled quote", " 'O''K' AS scheduled_station_aetitle,", "O'K", "-");
        row("doubled quote in a list", "IN ('O''1','B')", "O'1", "O'1,B");
        row("parenthesis inside a quoted item", "IN ('A)','B')", "A)", "A),B");
        row("one quote only", " 'CT01 AS scheduled_station_aetitle", "-", "-");
        row("no quote", " x AS modality,", "-", "-");
        row(") before the first quote", "IN () 'A'", "A", "-");
        row("no closing parenthesis", "IN ('A','B'", "A", "-");
        row("empty value", " '' AS specific_character_set,", "", "-");
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
        QTest::newRow("made by the builder")
            << QStringList{"Create View VMWL_KK_FCR1_1CSL(",
                           " scheduled_station_aetitle,",
                           " modality,",
                           ") AS",
                           "SELECT",
                           " 'FCR-CSL ' AS scheduled_station_aetitle, ",
                           " 'CR' AS modality, ",
                           "'=' + p.PATIENT_NAME AS patient_name, ",
                           " /* scheduled Procedure Step*/'\\ISO 2022 IR 149' AS specific_character_set, ",
                           "WHERE a.ORDER_STATUS In ('S', 'C')",
                           "And a.Order_Modality IN ('CR','DX') ",
                           "And a.Order_Code IN ('A1') ",
                           "And a.Order_Code NOT IN ('B1','B2') "}
            << "FCR-CSL|CR|CR,DX|B1,B2|1|\\ISO 2022 IR 149"; // the last code line wins
        QTest::newRow("template lines give nothing")
            << QStringList{" 'AETITLE' AS scheduled_station_aetitle, ", " a.ORDER_MODALITY AS modality, ",
                           " 'aetitle' as Scheduled_Station_AETitle,", " A.Order_Modality AS MODALITY,"}
            << "-|-|-|-|-|-";
        QTest::newRow("not made by the tool")
            << QStringList{"CREATE VIEW dbo.VMWL_OTHER AS", "SELECT PATIENT_ID, PATIENT_NAME FROM TPATIENT",
                           "WHERE PATIENT_ID <> ''"}
            << "-|-|-|-|-|-";
        QTest::newRow("broken line keeps the earlier value")
            << QStringList{"And a.Order_Modality IN ('CT') ", "And a.Order_Modality IN ('MR' ", " 'DX' AS modality,",
                           " 'CR AS modality,"}
            << "-|DX|CT|-|-|-";
    }

    void definitions()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, read);
        const reader::DefinitionReading r = reader::readDefinition(lines);
        const QString exclude = r.excludeCodes ? QString::number(int(*r.excludeCodes)) : QStringLiteral("-");
        QCOMPARE(QStringList({orNone(r.stationAe), orNone(r.deviceModality), orNone(r.orderModalities),
                              orNone(r.orderCodes), exclude, orNone(r.characterSet)})
                     .join(u'|'),
                 read);
    }
};

QTEST_GUILESS_MAIN(TestViewTexts)
#include "test_view_texts.moc"

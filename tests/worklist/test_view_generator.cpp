#include "worklist/view_generator.h"

#include <QTest>

using worklist::ViewFields;

class TestViewGenerator : public QObject
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
};

QTEST_GUILESS_MAIN(TestViewGenerator)
#include "test_view_generator.moc"

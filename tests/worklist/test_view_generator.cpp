#include "worklist/view_generator.h"

#include <QTest>

using worklist::ViewFields;

class TestViewGenerator : public QObject
{
    Q_OBJECT

    static ViewFields fields()
    {
        ViewFields f;
        f.characterSet = QStringLiteral("ISO_IR 100");
        f.kindCaption = QStringLiteral("영문이름 / 검사명영문");
        f.codeMappingText = QStringLiteral("#");
        f.cutStart = QStringLiteral("1");
        f.cutLength = QStringLiteral("18");
        return f;
    }

    enum Field { StationAe, DeviceModality, Kind, CharacterSet, CodeMapping, MappingText, Cut, CutStart };

private Q_SLOTS:
    void markerLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("settings"); // field=value pairs
        QTest::addColumn<QString>("expected");

        const QString station = QStringLiteral(" 'AETITLE' AS scheduled_station_aetitle, ");
        QTest::newRow("station AE empty: template line") << station << QStringList{} << station;
        QTest::newRow("station AE") << station << QStringList{"stationAe=FCR-CSL"}
                                    << " 'FCR-CSL' AS scheduled_station_aetitle, ";
        QTest::newRow("station AE with a quote doubled")
            << station << QStringList{"stationAe=O'K"} << " 'O''K' AS scheduled_station_aetitle, ";
        QTest::newRow("station AE marker in other case is no marker")
            << " 'aetitle' AS scheduled_station_aetitle, " << QStringList{"stationAe=X"}
            << " 'aetitle' AS scheduled_station_aetitle, ";

        const QString modality = QStringLiteral(" a.ORDER_MODALITY AS modality, ");
        QTest::newRow("device modality empty") << modality << QStringList{} << modality;
        QTest::newRow("device modality") << modality << QStringList{"deviceModality=DX"} << " 'DX' AS modality, ";
        QTest::newRow("station line first: both markers")
            << " 'AETITLE' + a.ORDER_MODALITY AS x, " << QStringList{"deviceModality=DX"}
            << " 'AETITLE' + a.ORDER_MODALITY AS x, ";
        QTest::newRow("station line first, station set")
            << " 'AETITLE' + a.ORDER_MODALITY AS x, " << QStringList{"stationAe=S1", "deviceModality=DX"}
            << " 'S1' AS scheduled_station_aetitle, ";

        const QString patient = QStringLiteral("/* Patient Identification*/ p.PATIENT_NAME AS patient_name, ");
        const QString koreanForm = QStringLiteral("'=' + p.PATIENT_NAME AS patient_name, ");
        QTest::newRow("KK with \\ISO 2022 IR 149")
            << patient << QStringList{"kind=한글이름 / 검사명한글", "charset=\\ISO 2022 IR 149"} << koreanForm;
        QTest::newRow("KE with \\ISO 2022 IR 149")
            << patient << QStringList{"kind=한글이름 / 검사명영문", "charset=\\ISO 2022 IR 149"} << koreanForm;
        QTest::newRow("EK with \\ISO 2022 IR 149")
            << patient << QStringList{"kind=영문이름 / 검사명한글", "charset=\\ISO 2022 IR 149"} << patient;
        QTest::newRow("KK with ISO_IR 100") << patient << QStringList{"kind=한글이름 / 검사명한글"} << patient;
        QTest::newRow("KK with ISO 2022 IR 149, no backslash")
            << patient << QStringList{"kind=한글이름 / 검사명한글", "charset=ISO 2022 IR 149"} << patient;

        const QString code = QStringLiteral(" a.ORDER_CODE AS order_code, a.ORDER_CODE AS c2, ");
        QTest::newRow("code mapping off") << code << QStringList{} << code;
        QTest::newRow("code mapping, every occurrence") << code << QStringList{"mapping=1", "mappingText=X"}
                                                        << " Replace(a.ORDER_CODE + 'X', '8X' , 'X8') AS order_code, "
                                                           "Replace(a.ORDER_CODE + 'X', '8X' , 'X8') AS c2, ";
        QTest::newRow("code mapping text with a quote")
            << QStringLiteral("a.ORDER_CODE") << QStringList{"mapping=1", "mappingText='"}
            << "Replace(a.ORDER_CODE + '''', '8''' , '''8')";

        const QString charset =
            QStringLiteral(" /* scheduled Procedure Step*/'ISO_IR 100' AS specific_character_set, ");
        QTest::newRow("character set always")
            << charset << QStringList{"charset=\\ISO 2022 IR 149"}
            << " /* scheduled Procedure Step*/'\\ISO 2022 IR 149' AS specific_character_set, ";
        QTest::newRow("empty character set")
            << charset << QStringList{"charset="} << " /* scheduled Procedure Step*/'' AS specific_character_set, ";

        QTest::newRow("cut off") << " a.ORDER_NAME AS scheduled_procedure_desc," << QStringList{}
                                 << " a.ORDER_NAME AS scheduled_procedure_desc,";
        QTest::newRow("cut: scheduled desc")
            << " a.ORDER_NAME AS scheduled_procedure_desc," << QStringList{"cut=1"}
            << "Substring(VUR_TCOMMON.F_HANCONVERT(a.ORDER_NAME,1), 1, 18) AS scheduled_procedure_desc,";
        QTest::newRow("cut: line's own case does not matter")
            << " a.order_name as Requested_Procedure_Desc," << QStringList{"cut=1", "cutStart=3"}
            << "Substring(VUR_TCOMMON.F_HANCONVERT(a.ORDER_NAME,1), 3, 18) AS requested_procedure_desc,";
        QTest::newRow("cut: scheduled code meaning")
            << " x AS scheduled_code_meaning," << QStringList{"cut=1"}
            << "Substring(VUR_TCOMMON.F_HANCONVERT(a.ORDER_NAME,1), 1, 18) AS SCHEDULED_CODE_MEANING,";
        QTest::newRow("cut: last column has no comma")
            << " x AS REQUESTED_CODE_MEANING " << QStringList{"cut=1"}
            << "Substring(VUR_TCOMMON.F_HANCONVERT(a.ORDER_NAME,1), 1, 18) AS REQUESTED_CODE_MEANING ";
        QTest::newRow("plain line") << " p.PATIENT_ID AS patient_id," << QStringList{"cut=1", "stationAe=X"}
                                    << " p.PATIENT_ID AS patient_id,";
    }

    void markerLines()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, settings);
        QFETCH(QString, expected);
        ViewFields f = fields();
        for (const QString &setting : settings) {
            const QString key = setting.section(QLatin1Char('='), 0, 0);
            const QString value = setting.section(QLatin1Char('='), 1);
            if (key == "stationAe")
                f.stationAe = value;
            else if (key == "deviceModality")
                f.deviceModality = value;
            else if (key == "kind")
                f.kindCaption = value;
            else if (key == "charset")
                f.characterSet = value;
            else if (key == "mapping")
                f.codeMapping = value.toInt();
            else if (key == "mappingText")
                f.codeMappingText = value;
            else if (key == "cut")
                f.cutExamName = value.toInt();
            else if (key == "cutStart")
                f.cutStart = value;
        }
        QCOMPARE(worklist::generateLine(line, f), expected);
    }

    void filterLines_data()
    {
        QTest::addColumn<QString>("modalities");
        QTest::addColumn<QString>("codes");
        QTest::addColumn<int>("exclude");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("none") << ""
                              << "" << 0 << QStringList{};
        QTest::newRow("modalities") << "CR,RF"
                                    << "" << 0 << QStringList{"And a.Order_Modality IN ('CR','RF') "};
        QTest::newRow("codes with a blank kept")
            << ""
            << "Che001, Che002" << 0 << QStringList{"And a.Order_Code IN ('Che001',' Che002') "};
        QTest::newRow("codes excluded") << ""
                                        << "Che001,Che002" << 1
                                        << QStringList{"And a.Order_Code NOT IN ('Che001','Che002') "};
        QTest::newRow("exclude without codes") << ""
                                               << "" << 1 << QStringList{};
        QTest::newRow("both, modality first")
            << "CT"
            << "A1" << 0 << QStringList{"And a.Order_Modality IN ('CT') ", "And a.Order_Code IN ('A1') "};
        QTest::newRow("quote in a code") << ""
                                         << "O'1" << 0 << QStringList{"And a.Order_Code IN ('O''1') "};
    }

    void filterLines()
    {
        QFETCH(QString, modalities);
        QFETCH(QString, codes);
        QFETCH(int, exclude);
        QFETCH(QStringList, expected);
        ViewFields f = fields();
        f.orderModalities = modalities;
        f.orderCodes = codes;
        f.excludeCodes = exclude;
        QCOMPARE(worklist::filterLines(f), expected);
    }

    void wholeStatement()
    {
        ViewFields f = fields();
        f.stationAe = QStringLiteral("CT01");
        f.orderModalities = QStringLiteral("CT");
        const QString statement = worklist::generateView(worklist::viewHeader(false, QStringLiteral("VMWL_KK_CT1_11")),
                                                         {QStringLiteral(" a,"), QStringLiteral(") AS"),
                                                          QStringLiteral(" 'AETITLE' AS scheduled_station_aetitle, "),
                                                          QStringLiteral("WHERE 1 = 1")},
                                                         f);
        QCOMPARE(statement, QStringLiteral("Create View VMWL_KK_CT1_11(\r\n a,\r\n) AS\r\n"
                                           " 'CT01' AS scheduled_station_aetitle, \r\nWHERE 1 = 1\r\n"
                                           "And a.Order_Modality IN ('CT') \r\n"));
        QCOMPARE(worklist::viewHeader(true, QStringLiteral("VMWL_EE_DR01")),
                 QStringLiteral("Alter View VMWL_EE_DR01("));
    }
};

QTEST_GUILESS_MAIN(TestViewGenerator)
#include "test_view_generator.moc"

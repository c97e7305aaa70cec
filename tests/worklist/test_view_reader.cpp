#include "worklist/view_reader.h"

#include <QTest>

namespace reader = worklist::reader;

class TestViewReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void names_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("cut"); // -1 left as it is
        QTest::newRow("KK with dash") << "VMWL_KK_CT1_11"
                                      << "CT-1"
                                      << "한글이름 / 검사명한글" << 0;
        QTest::newRow("one-letter K") << "VMWL_K_CR01"
                                      << "CR01"
                                      << "한글이름 / 검사명한글" << 0;
        QTest::newRow("one-letter E") << "VMWL_E_CR01"
                                      << "CR01"
                                      << "영문이름 / 검사명한글" << 0;
        QTest::newRow("KE") << "VMWL_KE_DX1"
                            << "DX1"
                            << "한글이름 / 검사명영문" << 0;
        QTest::newRow("EK") << "VMWL_EK_DX1"
                            << "DX1"
                            << "영문이름 / 검사명한글" << 0;
        QTest::newRow("EE") << "VMWL_EE_DX1"
                            << "DX1"
                            << "영문이름 / 검사명영문" << 1;
        QTest::newRow("EG") << "VMWL_EG_DX1"
                            << "DX1"
                            << "영문이름 / 검사명영문(기초자료)" << -1;
        QTest::newRow("marker order over the whole name") << "VMWL_EE_A_K_B"
                                                          << "A_K_B"
                                                          << "한글이름 / 검사명한글" << 0;
        QTest::newRow("title holding 1_1 twice") << "VMWL_EE_A1_1B1_1C"
                                                 << "A-B-C"
                                                 << "영문이름 / 검사명영문" << 1;
        QTest::newRow("base view") << "VMWL"
                                   << ""
                                   << "영문이름 / 검사명영문(기초자료)" << -1;
        QTest::newRow("a table named like a view") << "VMWL_TEST"
                                                   << "T"
                                                   << "영문이름 / 검사명영문(기초자료)" << -1;
    }

    void names()
    {
        QFETCH(QString, name);
        QFETCH(QString, title);
        QFETCH(QString, caption);
        QFETCH(int, cut);
        QCOMPARE(reader::titleOf(name), title);
        const reader::KindReading kind = reader::kindOf(name);
        QCOMPARE(kind.caption, caption);
        QCOMPARE(kind.cut ? int(*kind.cut) : -1, cut);
    }

    void values_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("quoted"); // "<none>" for nothing
        QTest::addColumn<QString>("list");
        QTest::newRow("station") << " 'CT01' AS scheduled_station_aetitle, "
                                 << "CT01"
                                 << "<none>";
        QTest::newRow("character set")
            << " /* scheduled Procedure Step*/'\\ISO 2022 IR 149' AS specific_character_set, "
            << "\\ISO 2022 IR 149"
            << "<none>";
        QTest::newRow("list") << "And a.Order_Code NOT IN ('Che001','Che002') "
                              << "Che001"
                              << "Che001,Che002";
        QTest::newRow("list keeps blanks") << "And a.Order_Code IN ('Che001',' Che002') "
                                           << "Che001"
                                           << "Che001, Che002";
        QTest::newRow("blank outside the quotes kept") << "IN ('A', 'B')"
                                                       << "A"
                                                       << "A, B";
        QTest::newRow("doubled quote") << " 'O''K' AS scheduled_station_aetitle,"
                                       << "O'K"
                                       << "<none>";
        QTest::newRow("doubled quote in a list") << "IN ('O''1','B')"
                                                 << "O'1"
                                                 << "O'1,B";
        QTest::newRow("parenthesis inside a quoted item") << "IN ('A)','B')"
                                                          << "A)"
                                                          << "A),B";
        QTest::newRow("one quote only") << " 'CT01 AS scheduled_station_aetitle"
                                        << "<none>"
                                        << "<none>";
        QTest::newRow("no quote") << " x AS modality,"
                                  << "<none>"
                                  << "<none>";
        QTest::newRow(") before the first quote") << "IN () 'A'"
                                                  << "A"
                                                  << "<none>";
        QTest::newRow("no closing parenthesis") << "IN ('A','B'"
                                                << "A"
                                                << "<none>";
        QTest::newRow("empty value") << " '' AS specific_character_set,"
                                     << ""
                                     << "<none>";
    }

    void values()
    {
        QFETCH(QString, line);
        QFETCH(QString, quoted);
        QFETCH(QString, list);
        const auto q = reader::quotedValue(line);
        const auto l = reader::listValue(line);
        QCOMPARE(q ? *q : QStringLiteral("<none>"), quoted);
        QCOMPARE(l ? *l : QStringLiteral("<none>"), list);
    }

    void definitionMadeByTheBuilder()
    {
        const QStringList lines{
            "Create View VMWL_KK_FCR1_1CSL(",
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
            "And a.Order_Code NOT IN ('B1','B2') ",
        };
        const reader::DefinitionReading r = reader::readDefinition(lines);
        QCOMPARE(r.stationAe.value_or("<none>"), QStringLiteral("FCR-CSL"));
        QCOMPARE(r.deviceModality.value_or("<none>"), QStringLiteral("CR"));
        QCOMPARE(r.orderModalities.value_or("<none>"), QStringLiteral("CR,DX"));
        QCOMPARE(r.orderCodes.value_or("<none>"), QStringLiteral("B1,B2")); // the last code line wins
        QCOMPARE(r.excludeCodes.value_or(false), true);
        QCOMPARE(r.characterSet.value_or("<none>"), QStringLiteral("\\ISO 2022 IR 149"));
    }

    void templateLinesGiveNothing()
    {
        const QStringList lines{" 'AETITLE' AS scheduled_station_aetitle, ", " a.ORDER_MODALITY AS modality, ",
                                " 'aetitle' as Scheduled_Station_AETitle,", " A.Order_Modality AS MODALITY,"};
        const reader::DefinitionReading r = reader::readDefinition(lines);
        QVERIFY(!r.stationAe);
        QVERIFY(!r.deviceModality);
        QVERIFY(!r.orderModalities);
        QVERIFY(!r.characterSet);
    }

    void definitionNotMadeByTheTool()
    {
        const QStringList lines{"CREATE VIEW dbo.VMWL_OTHER AS", "SELECT PATIENT_ID, PATIENT_NAME FROM TPATIENT",
                                "WHERE PATIENT_ID <> ''"};
        const reader::DefinitionReading r = reader::readDefinition(lines);
        QVERIFY(!r.stationAe && !r.deviceModality && !r.orderModalities && !r.orderCodes && !r.excludeCodes &&
                !r.characterSet);
    }

    void brokenLineKeepsTheEarlierValue()
    {
        const QStringList lines{"And a.Order_Modality IN ('CT') ", "And a.Order_Modality IN ('MR' ",
                                " 'DX' AS modality,", " 'CR AS modality,"};
        const reader::DefinitionReading r = reader::readDefinition(lines);
        QCOMPARE(r.orderModalities.value_or("<none>"), QStringLiteral("CT"));
        QCOMPARE(r.deviceModality.value_or("<none>"), QStringLiteral("DX"));
    }
};

QTEST_GUILESS_MAIN(TestViewReader)
#include "test_view_reader.moc"

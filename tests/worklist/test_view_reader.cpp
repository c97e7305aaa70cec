#include "worklist/view_kinds.h"
#include "worklist/view_reader.h"

#include <QTest>

namespace reader = worklist::reader;

// View names made from Combo3's caption and an AE title, and read back; the
// builder's values read back from a definition's lines.
class TestViewReader : public QObject
{
    Q_OBJECT

    static QString orNone(const std::optional<QString> &v) { return v ? *v : QStringLiteral("-"); }

private Q_SLOTS:
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

QTEST_GUILESS_MAIN(TestViewReader)
#include "test_view_reader.moc"

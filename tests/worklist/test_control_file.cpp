#include "worklist/control_file.h"

#include <QTest>

namespace control = worklist::control;

class TestControlFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
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
};

QTEST_GUILESS_MAIN(TestControlFile)
#include "test_control_file.moc"

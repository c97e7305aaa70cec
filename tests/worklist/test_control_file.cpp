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
        QTest::newRow("empty list") << QStringList{"[S]", "CustomAETitle=", "X=1"} << "CT01"
                                    << "VMWL_KK_CT01" << false
                                    << QStringList{"[S]", "CustomAETitle=CT01^^VMWL_KK_CT01^^^^||", "X=1"};
        QTest::newRow("appended after the others")
            << QStringList{"CustomAETitle=DR01^^VMWL_EE_DR01^^^^||"} << "CT01"
            << "VMWL_KK_CT01" << false << QStringList{"CustomAETitle=DR01^^VMWL_EE_DR01^^^^||CT01^^VMWL_KK_CT01^^^^||"};
        QTest::newRow("listed first: unchanged even for another view")
            << QStringList{"CustomAETitle=CT01^^VMWL_EE_CT01^^^^||"} << "CT01"
            << "VMWL_KK_CT01" << false << QStringList{"CustomAETitle=CT01^^VMWL_EE_CT01^^^^||"};
        QTest::newRow("listed after ||") << QStringList{"customaetitle=A^^V^^^^||CT01^^V2^^^^||"} << "CT01"
                                         << "V3" << false << QStringList{"customaetitle=A^^V^^^^||CT01^^V2^^^^||"};
        QTest::newRow("letter case counts")
            << QStringList{"CustomAETitle=CT01^^V^^^^||"} << "ct01"
            << "VMWL_KK_CT01" << false << QStringList{"CustomAETitle=CT01^^V^^^^||ct01^^VMWL_KK_CT01^^^^||"};
        QTest::newRow("prefix title") << QStringList{"CustomAETitle=CT01^^V^^^^||"} << "CT0"
                                      << "VMWL_KK_CT0" << false
                                      << QStringList{"CustomAETitle=CT01^^V^^^^||CT0^^VMWL_KK_CT0^^^^||"};
        QTest::newRow("FCR flag set") << QStringList{"FCR_XG5000=0", "CustomAETitle="} << "A"
                                      << "V" << true << QStringList{"FCR_XG5000=1", "CustomAETitle=A^^V^^^^||"};
        QTest::newRow("FCR flag kept without the box") << QStringList{"FCR_XG5000=0"} << "A"
                                                       << "V" << false << QStringList{"FCR_XG5000=0"};
        QTest::newRow("FCR flag never cleared") << QStringList{"fcr_xg5000=1"} << "A"
                                                << "V" << true << QStringList{"fcr_xg5000=1"};
        QTest::newRow("no device-list line") << QStringList{"A=1", "B=2"} << "CT01"
                                             << "V" << false << QStringList{"A=1", "B=2"};
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
        QTest::newRow("both names, others kept as they were")
            << "CustomAETitle=dr01^^VMWL_EE_DR01^^^^||CT01^^VMWL_EE_CT01^^^^||CT01^^VMWL_E_CT01^^^^||Mr-1^^VMWL_KK_MR1_"
               "11^^^^||"
            << "CT01"
            << "VMWL_EE_CT01"
            << "CustomAETitle=dr01^^VMWL_EE_DR01^^^^||Mr-1^^VMWL_KK_MR1_11^^^^||";
        QTest::newRow("letter case of title and view ignored") << "CustomAETitle=ct01^^vmwl_ee_ct01^^^^||X^^Y^^^^||"
                                                               << "CT01"
                                                               << "VMWL_EE_CT01"
                                                               << "CustomAETitle=X^^Y^^^^||";
        QTest::newRow("only the older name listed: kept") << "CustomAETitle=CT01^^VMWL_K_CT01^^^^||"
                                                          << "CT01"
                                                          << "VMWL_KK_CT01"
                                                          << "CustomAETitle=CT01^^VMWL_K_CT01^^^^||";
        QTest::newRow("only the new name listed") << "CustomAETitle=CT01^^VMWL_KK_CT01^^^^||X^^Y^^^^||"
                                                  << "CT01"
                                                  << "VMWL_KK_CT01"
                                                  << "CustomAETitle=X^^Y^^^^||";
        QTest::newRow("not listed: unchanged") << "CustomAETitle=DR01^^VMWL_EE_DR01^^^^||"
                                               << "CT01"
                                               << "VMWL_EE_CT01"
                                               << "CustomAETitle=DR01^^VMWL_EE_DR01^^^^||";
        QTest::newRow("longer title kept") << "CustomAETitle=XCT01^^VMWL_EE_CT01^^^^||"
                                           << "CT01"
                                           << "VMWL_EE_CT01"
                                           << "CustomAETitle=XCT01^^VMWL_EE_CT01^^^^||";
        QTest::newRow("text after the last entry kept") << "CustomAETitle=CT01^^V^^^^||tail"
                                                        << "CT01"
                                                        << "V"
                                                        << "CustomAETitle=tail";
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

    void olderNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("older");
        QTest::newRow("KK") << "VMWL_KK_CT01"
                            << "VMWL_K_CT01";
        QTest::newRow("KE") << "VMWL_KE_CT01"
                            << "VMWL_K_CT01";
        QTest::newRow("EK") << "VMWL_EK_CT01"
                            << "VMWL_E_CT01";
        QTest::newRow("EE") << "VMWL_EE_CT01"
                            << "VMWL_E_CT01";
        QTest::newRow("EG") << "VMWL_EG_CT01"
                            << "VMWL_EG_CT01";
        QTest::newRow("older already") << "VMWL_K_CT01"
                                       << "VMWL_K_CT01";
        QTest::newRow("applied one after the other") << "VMWL_KK_A_EE_B"
                                                     << "VMWL_K_A_E_B";
    }

    void olderNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, older);
        QCOMPARE(control::olderViewName(name), older);
    }
};

QTEST_GUILESS_MAIN(TestControlFile)
#include "test_control_file.moc"

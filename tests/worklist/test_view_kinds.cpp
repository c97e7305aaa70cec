#include "support/app_harness.h"

#include "worklist/view_kinds.h"

#include <QTest>

using worklist::ViewKind;

class TestViewKinds : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void kindFromCaption_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("kind");
        QTest::newRow("KK") << "한글이름 / 검사명한글" << int(ViewKind::KK);
        QTest::newRow("KE") << "한글이름 / 검사명영문" << int(ViewKind::KE);
        QTest::newRow("EK") << "영문이름 / 검사명한글" << int(ViewKind::EK);
        QTest::newRow("EE") << "영문이름 / 검사명영문" << int(ViewKind::EE);
        QTest::newRow("EG caption") << "영문이름 / 검사명영문(기초자료)" << int(ViewKind::EG);
        QTest::newRow("EE with a blank after") << "영문이름 / 검사명영문 " << int(ViewKind::EG);
        QTest::newRow("typed text") << "anything" << int(ViewKind::EG);
        QTest::newRow("empty") << "" << int(ViewKind::EG);
    }

    void kindFromCaption()
    {
        QFETCH(QString, caption);
        QFETCH(int, kind);
        QCOMPARE(int(worklist::kindFromCaption(caption)), kind);
    }

    void viewName_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("ae");
        QTest::addColumn<QString>("name");
        QTest::newRow("KK ct-1") << int(ViewKind::KK) << "ct-1"
                                 << "VMWL_KK_CT1_11";
        QTest::newRow("EG ct-1") << int(ViewKind::EG) << "ct-1"
                                 << "VMWL_EG_CT1_11";
        QTest::newRow("EE DR01") << int(ViewKind::EE) << "DR01"
                                 << "VMWL_EE_DR01";
        QTest::newRow("two dashes") << int(ViewKind::KE) << "a-b-c"
                                    << "VMWL_KE_A1_1B1_1C";
        QTest::newRow("blank kept") << int(ViewKind::EK) << "CT 1"
                                    << "VMWL_EK_CT 1";
        QTest::newRow("empty title") << int(ViewKind::KK) << ""
                                     << "VMWL_KK_";
    }

    void viewName()
    {
        QFETCH(int, kind);
        QFETCH(QString, ae);
        QFETCH(QString, name);
        QCOMPARE(worklist::viewName(ViewKind(kind), ae), name);
    }

    void templates()
    {
        QCOMPARE(QLatin1String(worklist::info(ViewKind::KK).templateFile), QLatin1String("vmwl.sql"));
        QCOMPARE(QLatin1String(worklist::info(ViewKind::KE).templateFile), QLatin1String("vmwl_e.sql"));
        QCOMPARE(QLatin1String(worklist::info(ViewKind::EK).templateFile), QLatin1String("vmwl_eng.sql"));
        QCOMPARE(QLatin1String(worklist::info(ViewKind::EE).templateFile), QLatin1String("vmwl_e_eng.sql"));
        QCOMPARE(QLatin1String(worklist::info(ViewKind::EG).templateFile), QLatin1String("vmwl_eg_eng.sql"));
    }

    void pickingAKindSwitchesTheCut_data()
    {
        QTest::addColumn<int>("item");
        QTest::addColumn<int>("checked");
        QTest::newRow("KK") << 0 << 0;
        QTest::newRow("KE") << 1 << 1;
        QTest::newRow("EK") << 2 << 0;
        QTest::newRow("EE") << 3 << 1;
        QTest::newRow("EG") << 4 << 0;
    }

    void pickingAKindSwitchesTheCut()
    {
        QFETCH(int, item);
        QFETCH(int, checked);
        AppHarness app;
        app.login();
        app.act(QStringLiteral("pick Combo3 0")); // KK: cleared and disabled first
        app.act(QStringLiteral("pick Combo3 %1").arg(item));
        const QJsonObject check11 = app.control(QStringLiteral("Check11"));
        QCOMPARE(check11.value(QStringLiteral("value")).toInt(), checked);
        QCOMPARE(check11.value(QStringLiteral("enabled")).toBool(), checked == 1);
    }

    void typingAKindLeavesTheCut()
    {
        AppHarness app;
        app.login();
        app.act(QStringLiteral("type Combo3 영문이름 / 검사명영문(기초자료)"));
        QCOMPARE(app.control(QStringLiteral("Check11")).value(QStringLiteral("value")).toInt(), 1);
        QVERIFY(app.control(QStringLiteral("Check11")).value(QStringLiteral("enabled")).toBool());
    }

    void viewListNamesEveryVmwlObject()
    {
        AppHarness app(QDate(2026, 12, 6), [](TestSite &site) {
            site.writeBytes(QStringLiteral("archive/demo.sql"),
                            site.readBytes(QStringLiteral("archive/demo.sql")) +
                                "\nCREATE TABLE VMWL_TEST(a);\nCREATE VIEW VMWL_EE_DR01 AS SELECT 1 AS x;\n");
        });
        app.login();
        QStringList views = app.items(QStringLiteral("List2"));
        views.sort();
        QCOMPARE(views, (QStringList{"VMWL", "VMWL_EE_DR01", "VMWL_TEST"}));
        QVERIFY(app.state()
                    .value(QStringLiteral("statements"))
                    .toArray()
                    .contains(QStringLiteral("Select * From   Sys.Objects Where  Name like  'VMWL%'")));
    }

    void noViewsLeavesTheListEmpty()
    {
        AppHarness app(QDate(2026, 12, 6), [](TestSite &site) {
            site.writeBytes(QStringLiteral("archive/demo.sql"),
                            site.readBytes(QStringLiteral("archive/demo.sql")) + "\nDROP VIEW VMWL;\n");
        });
        app.login();
        QVERIFY(app.items(QStringLiteral("List2")).isEmpty());
    }
};

QTEST_MAIN(TestViewKinds)
#include "test_view_kinds.moc"

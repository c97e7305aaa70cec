#include "support/app_harness.h"

#include "accounts/account_entries.h"
#include "platform/error.h"

#include <QTest>

class TestAccountEntries : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void levelCaption_data()
    {
        QTest::addColumn<QString>("level");
        QTest::addColumn<QString>("caption");
        QTest::newRow("400") << "400"
                             << "판독";
        QTest::newRow("200") << "200"
                             << "판독";
        QTest::newRow("300") << "300"
                             << "촬영";
        QTest::newRow("100") << "100"
                             << "조회";
        QTest::newRow("110") << "110"
                             << "조회";
        QTest::newRow("500") << "500"
                             << "500";
        QTest::newRow("NULL") << ""
                              << "";
    }

    void levelCaption()
    {
        QFETCH(QString, level);
        QFETCH(QString, caption);
        QCOMPARE(accounts::levelCaption(level), caption);
    }

    void entries()
    {
        QCOMPARE(accounts::sourceEntry("12", "rad1", "판독의", "400"), QStringLiteral("12 | rad1 | 판독의| 판독"));
        QCOMPARE(accounts::targetEntry("12", "rad1", "판독의", "400"),
                 QStringLiteral("12     |  rad1     |  판독의     |  판독"));
        QCOMPARE(accounts::targetEntry("10", "guest", "", "110"),
                 QStringLiteral("10     |  guest     |       |  조회"));
        QCOMPARE(accounts::groupEntry("37", "CHEST"), QStringLiteral("37_CHEST"));
    }

    void keysReadBack_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("key");
        QTest::newRow("source") << "12 | rad1 | 판독의| 판독" << 12;
        QTest::newRow("target") << "12     |  rad1     |  판독의     |  판독" << 12;
        QTest::newRow("beyond 16 bits") << "70000 | x | y| 판독" << 70000;
        QTest::newRow("user id with a bar") << "7 | a|b | c| 촬영" << 7;
    }

    void keysReadBack()
    {
        QFETCH(QString, entry);
        QFETCH(int, key);
        QCOMPARE(accounts::accountKeyOf(entry), key);
    }

    void badKeysAreErrors_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::newRow("no bar") << "복사 대상 계정 선택";
        QTest::newRow("not a number") << "ab | c | d| e";
        QTest::newRow("beyond 32 bits") << "5000000000 | x | y| z";
        QTest::newRow("bar first") << "| x";
    }

    void badKeysAreErrors()
    {
        QFETCH(QString, entry);
        QVERIFY_THROWS_EXCEPTION(platform::Error, accounts::accountKeyOf(entry));
    }

    void groups()
    {
        QCOMPARE(accounts::groupKeyOf(QStringLiteral("37_CHEST_PA")), 37);
        QCOMPARE(accounts::groupNameOf(QStringLiteral("37_CHEST_PA")), QStringLiteral("CHEST_PA"));
        QCOMPARE(accounts::levelCaptionOf(QStringLiteral("12     |  rad1     |  판독의     |  판독")),
                 QStringLiteral("판독"));
        QCOMPARE(accounts::levelCaptionOf(QStringLiteral("1     |  a     |  b     |  500")), QStringLiteral("00"));
    }

    void listsOnTheDemoArchive()
    {
        AppHarness app;
        app.login();
        const QStringList sources = app.items(QStringLiteral("Combo1"));
        const QStringList targets = app.items(QStringLiteral("List1"));
        // Key 1 is listed nowhere, key 2 as a source only.
        QCOMPARE(sources.first(), QStringLiteral("2 | pacsadm | PACS관리자| 500"));
        QCOMPARE(targets.first(), QStringLiteral("3     |  kimrad     |  김판독     |  판독"));
        QCOMPARE(sources.size(), 14);
        QCOMPARE(targets.size(), 13);
        QVERIFY(targets.contains(QStringLiteral("10     |  guest     |       |  조회")));
        QVERIFY(sources.contains(QStringLiteral("6 | choitech | 최촬영| 촬영")));
        QCOMPARE(app.text(QStringLiteral("Combo1")), QStringLiteral("복사 대상 계정 선택"));
        QCOMPARE(app.control(QStringLiteral("Combo1")).value(QStringLiteral("index")).toInt(), -1);
    }

    void pickingASourceListsItsReportGroups()
    {
        AppHarness app;
        app.login();
        const int rad1 = app.items(QStringLiteral("Combo1")).indexOf(QStringLiteral("12 | rad1 | 판독의| 판독"));
        app.act(QStringLiteral("pick Combo1 %1").arg(rad1));
        QStringList groups = app.items(QStringLiteral("List4"));
        groups.sort();
        QCOMPARE(groups, (QStringList{"37_CHEST", "38_복부", "39_SPINE"}));
        QCOMPARE(app.control(QStringLiteral("List4")).value(QStringLiteral("selected")).toArray().size(), 3);
        QCOMPARE(app.state().value(QStringLiteral("statements")).toArray().last().toString(),
                 QStringLiteral("Select DISTINCT g.group_key, g.GROUP_NAME From   TGROUP G, TCOMMONREPORT k Where  "
                                "g.Group_type ='G04' And    g.Stat_flag = 'Y' And    g.group_key = k.group_key And    "
                                "g.owner_key = 12"));

        // A source without report groups empties the list.
        const int tech = app.items(QStringLiteral("Combo1")).indexOf(QStringLiteral("6 | choitech | 최촬영| 촬영"));
        app.act(QStringLiteral("pick Combo1 %1").arg(tech));
        QVERIFY(app.items(QStringLiteral("List4")).isEmpty());
        QVERIFY(app.items(QStringLiteral("List1")).size() == 13);
    }

    void fewAccounts_data()
    {
        QTest::addColumn<QByteArray>("keep");
        QTest::addColumn<int>("sources");
        QTest::addColumn<int>("targets");
        QTest::newRow("none") << QByteArray("0") << 0 << 0;
        QTest::newRow("one") << QByteArray("1") << 0 << 0;
        QTest::newRow("two") << QByteArray("2") << 1 << 0;
    }

    void fewAccounts()
    {
        QFETCH(QByteArray, keep);
        QFETCH(int, sources);
        QFETCH(int, targets);
        AppHarness app(QDate(2026, 12, 6), [&](TestSite &site) {
            site.writeBytes(QStringLiteral("archive/demo.sql"), site.readBytes(QStringLiteral("archive/demo.sql")) +
                                                                    "\nDELETE FROM Tuser WHERE user_key > " + keep +
                                                                    ";\n");
        });
        app.login();
        QCOMPARE(app.items(QStringLiteral("Combo1")).size(), sources);
        QCOMPARE(app.items(QStringLiteral("List1")).size(), targets);
        QCOMPARE(app.text(QStringLiteral("Combo1")), QStringLiteral("복사 대상 계정 선택"));
    }
};

QTEST_MAIN(TestAccountEntries)
#include "test_account_entries.moc"

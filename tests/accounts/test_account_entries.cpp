#include "support/window_checks.h"

#include "accounts/account_entries.h"
#include "platform/error.h"

#include <QTest>

using namespace checks;

// The account lists' entries, written and read back, and the lists on the demo archive.
class TestAccountEntries : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void levelCaptions()
    {
        QStringList captions;
        for (const char *level : {"400", "200", "300", "100", "110", "500", ""})
            captions << accounts::levelCaption(QString::fromLatin1(level));
        QCOMPARE(captions.join(u','), QStringLiteral("판독,판독,촬영,조회,조회,500,"));
    }

    void entriesReadBack_data()
    {
        QTest::addColumn<QStringList>("account"); // key, user id, name, level
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("caption"); // read back from the target entry
        QTest::newRow("reader") << QStringList{"12", "rad1", "판독의", "400"} << "12 | rad1 | 판독의| 판독"
                                << "12     |  rad1     |  판독의     |  판독"
                                << "판독";
        QTest::newRow("no name") << QStringList{"10", "guest", "", "110"} << "10 | guest | | 조회"
                                 << "10     |  guest     |       |  조회"
                                 << "조회";
        QTest::newRow("key beyond 16 bits") << QStringList{"70000", "x", "y", "300"} << "70000 | x | y| 촬영"
                                            << "70000     |  x     |  y     |  촬영"
                                            << "촬영";
        QTest::newRow("user id with a bar") << QStringList{"7", "a|b", "c", "300"} << "7 | a|b | c| 촬영"
                                            << "7     |  a|b     |  c     |  촬영"
                                            << "촬영";
        QTest::newRow("other level") << QStringList{"1", "a", "b", "500"} << "1 | a | b| 500"
                                     << "1     |  a     |  b     |  500"
                                     << "00";
    }

    void entriesReadBack()
    {
        QFETCH(QStringList, account);
        QFETCH(QString, source);
        QFETCH(QString, target);
        QFETCH(QString, caption);
        QCOMPARE(accounts::sourceEntry(account[0], account[1], account[2], account[3]), source);
        QCOMPARE(accounts::targetEntry(account[0], account[1], account[2], account[3]), target);
        QCOMPARE(accounts::accountKeyOf(source), account[0].toInt());
        QCOMPARE(accounts::accountKeyOf(target), account[0].toInt());
        QCOMPARE(accounts::levelCaptionOf(target), caption);
    }

    void badEntriesAreErrors()
    {
        for (const char *entry : {"복사 대상 계정 선택", "ab | c | d| e", "5000000000 | x | y| z", "| x"})
            QVERIFY_THROWS_EXCEPTION(platform::Error, accounts::accountKeyOf(QString::fromUtf8(entry)));
        QCOMPARE(accounts::groupEntry("37", "CHEST_PA"), QStringLiteral("37_CHEST_PA"));
        QCOMPARE(accounts::groupKeyOf(QStringLiteral("37_CHEST_PA")), 37);
        QCOMPARE(accounts::groupNameOf(QStringLiteral("37_CHEST_PA")), QStringLiteral("CHEST_PA"));
    }

    void listsOnTheDemoArchive()
    {
        AppHarness app;
        app.login();
        const QStringList sources = app.items(QStringLiteral("Combo1"));
        const QStringList targets = app.items(QStringLiteral("List1"));
        // Key 1 is listed nowhere, key 2 as a source only.
        QCOMPARE(sources.size(), 14);
        QCOMPARE(targets.size(), 13);
        QCOMPARE(sources.first(), QStringLiteral("2 | pacsadm | PACS관리자| 500"));
        QCOMPARE(targets.first(), QStringLiteral("3     |  kimrad     |  김판독     |  판독"));
        QVERIFY(targets.contains(QStringLiteral("10     |  guest     |       |  조회")));
        QCOMPARE(app.text(QStringLiteral("Combo1")), QStringLiteral("복사 대상 계정 선택"));
        QCOMPARE(app.control(QStringLiteral("Combo1")).value(QStringLiteral("index")).toInt(), -1);

        app.act(QStringLiteral("pick Combo1 10")); // 12 | rad1
        QStringList groups = app.items(QStringLiteral("List4"));
        groups.sort();
        QCOMPARE(groups, (QStringList{"37_CHEST", "38_복부", "39_SPINE"}));
        QCOMPARE(app.control(QStringLiteral("List4")).value(QStringLiteral("selected")).toArray().size(), 3);
        QCOMPARE(statements(app).last(),
                 QStringLiteral("Select DISTINCT g.group_key, g.GROUP_NAME From   TGROUP G, TCOMMONREPORT k Where  "
                                "g.Group_type ='G04' And    g.Stat_flag = 'Y' And    g.group_key = k.group_key And    "
                                "g.owner_key = 12"));
        // A source without report groups empties the list.
        app.act(QStringLiteral("pick Combo1 4")); // 6 | choitech
        QVERIFY(app.items(QStringLiteral("List4")).isEmpty());
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
        AppHarness app(QDate(2026, 12, 6), demoPlus("DELETE FROM Tuser WHERE user_key > " + keep + ";"));
        app.login();
        QCOMPARE(app.items(QStringLiteral("Combo1")).size(), sources);
        QCOMPARE(app.items(QStringLiteral("List1")).size(), targets);
        QCOMPARE(app.text(QStringLiteral("Combo1")), QStringLiteral("복사 대상 계정 선택"));
    }
};

QTEST_MAIN(TestAccountEntries)
#include "test_account_entries.moc"

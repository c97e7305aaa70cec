#include "support/app_harness.h"

#include <QTest>

// A view made by "DB 등록" and clicked in the list gives back the fields it
// was made from.
class TestViewRoundTrip : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTrip_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("ae");
        QTest::addColumn<QString>("station"); // "-" leaves the station AE as the AE title's copy
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("orders");
        QTest::addColumn<QString>("codes");
        QTest::addColumn<bool>("exclude");
        QTest::addColumn<int>("charset");
        // what comes back
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("stationBack");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("cut"); // -1 left as it was

        QTest::newRow("KK, everything set") << 0 << "ct-1"
                                            << "FCR-CSL"
                                            << "cr"
                                            << "cr,dx"
                                            << "RG0101,RG0102" << false << 2 << "CT-1"
                                            << "FCR-CSL"
                                            << "한글이름 / 검사명한글" << 0;
        QTest::newRow("KE, codes excluded") << 1 << "US01"
                                            << "-"
                                            << ""
                                            << "US"
                                            << "US0101" << true << 1 << "US01"
                                            << "US01"
                                            << "한글이름 / 검사명영문" << 0;
        QTest::newRow("EK, station AE empty") << 2 << "DX9"
                                              << ""
                                              << "DX"
                                              << ""
                                              << "" << false << 3 << "DX9"
                                              << ""
                                              << "영문이름 / 검사명한글" << 0;
        QTest::newRow("EE, lists with blanks") << 3 << "mr02"
                                               << "-"
                                               << "mr"
                                               << "MR, CT"
                                               << "MR01, MR02" << false << 0 << "MR02"
                                               << "mr02"
                                               << "영문이름 / 검사명영문" << 1;
        QTest::newRow("EG, pass-through modality") << 4 << "CR-A"
                                                   << "-"
                                                   << ""
                                                   << "CR"
                                                   << "" << false << 0 << "CR-A"
                                                   << "CR-A"
                                                   << "영문이름 / 검사명영문(기초자료)" << -1;
    }

    void roundTrip()
    {
        QFETCH(int, kind);
        QFETCH(QString, ae);
        QFETCH(QString, station);
        QFETCH(QString, device);
        QFETCH(QString, orders);
        QFETCH(QString, codes);
        QFETCH(bool, exclude);
        QFETCH(int, charset);
        QFETCH(QString, title);
        QFETCH(QString, stationBack);
        QFETCH(QString, caption);
        QFETCH(int, cut);

        AppHarness app;
        app.login();
        app.act(QStringLiteral("pick Combo3 %1").arg(kind));
        app.act(QStringLiteral("type Text2 ") + ae);
        app.act(QStringLiteral("focus Text6")); // leaving the AE title copies it into the station AE
        if (station != QLatin1String("-")) {
            app.act(QStringLiteral("click Check3"));
            app.act(QStringLiteral("type Text5 ") + station);
            app.act(QStringLiteral("click Check3"));
        }
        app.act(QStringLiteral("type Text6 ") + device);
        app.act(QStringLiteral("type Text3 ") + orders);
        app.act(QStringLiteral("type Text4 ") + codes);
        if (exclude)
            app.act(QStringLiteral("click Check9"));
        app.act(QStringLiteral("pick Combo2 %1").arg(charset));
        const QString charsetText = app.text(QStringLiteral("Combo2"));
        app.act(QStringLiteral("click Command6"));
        QCOMPARE(app.messages().last().toObject().value(QStringLiteral("text")).toString(),
                 QStringLiteral("완료되었습니다."));
        // Something else in the check box before the click.
        app.act(QStringLiteral("pick Combo3 2"));

        const QStringList views = app.items(QStringLiteral("List2"));
        const QString name = views.filter(QStringLiteral("_") + QString(ae).toUpper().replace("-", "1_1")).value(0);
        QVERIFY2(!name.isEmpty(), qPrintable(views.join(",")));
        app.act(QStringLiteral("pick List2 %1").arg(views.indexOf(name)));

        QCOMPARE(app.text(QStringLiteral("Text11")), name);
        QCOMPARE(app.text(QStringLiteral("Text2")), title);
        QCOMPARE(app.text(QStringLiteral("Text10")), title);
        QCOMPARE(app.text(QStringLiteral("Combo3")), caption);
        QCOMPARE(app.text(QStringLiteral("Text5")), stationBack);
        QCOMPARE(app.text(QStringLiteral("Text6")), device.toUpper());
        QCOMPARE(app.text(QStringLiteral("Text3")), orders.toUpper());
        QCOMPARE(app.text(QStringLiteral("Text4")), codes);
        QCOMPARE(app.control(QStringLiteral("Check9")).value(QStringLiteral("value")).toInt(),
                 exclude && !codes.isEmpty() ? 1 : 0);
        QCOMPARE(app.text(QStringLiteral("Combo2")), charsetText);
        if (cut >= 0) {
            QCOMPARE(app.control(QStringLiteral("Check11")).value(QStringLiteral("value")).toInt(), cut);
            QCOMPARE(app.control(QStringLiteral("Check11")).value(QStringLiteral("enabled")).toBool(), cut == 1);
        } else {
            // Left as EK's pick made it.
            QCOMPARE(app.control(QStringLiteral("Check11")).value(QStringLiteral("value")).toInt(), 0);
        }
        // The preview of the clicked view is shown.
        QVERIFY(app.text(QStringLiteral("Text8")).startsWith(QStringLiteral("   환자ID / 이름")));
        QVERIFY(app.state()
                    .value(QStringLiteral("statements"))
                    .toArray()
                    .last()
                    .toString()
                    .contains(QStringLiteral("From  ") + name + QStringLiteral(" ")));
    }

    void baseView()
    {
        AppHarness app;
        app.login();
        app.act(QStringLiteral("type Text10 X"));
        app.act(QStringLiteral("type Text5 keep"));
        app.act(QStringLiteral("pick List2 0"));
        QCOMPARE(app.messages().last().toObject().value(QStringLiteral("text")).toString(),
                 QStringLiteral("해당 데이터는 수정 할 수 없습니다."));
        QCOMPARE(app.text(QStringLiteral("Text10")), QString());
        QCOMPARE(app.text(QStringLiteral("Text11")), QStringLiteral("VMWL"));
        QCOMPARE(app.text(QStringLiteral("Text5")), QString());
        QVERIFY(app.text(QStringLiteral("Text8")).contains(QStringLiteral("\r\n1. ")));
    }

    void droppedViewShowsTheDatabaseText()
    {
        AppHarness app;
        app.login();
        app.act(QStringLiteral("type Text2 GONE"));
        app.act(QStringLiteral("click Command6"));
        app.form().database().executeSql(QStringLiteral("Drop View VMWL_EE_GONE"));
        const int index = app.items(QStringLiteral("List2")).indexOf(QStringLiteral("VMWL_EE_GONE"));
        app.act(QStringLiteral("click Check10"));
        app.act(QStringLiteral("click Check10"));
        app.act(QStringLiteral("pick List2 %1").arg(index));
        QVERIFY(app.messages()
                    .last()
                    .toObject()
                    .value(QStringLiteral("text"))
                    .toString()
                    .contains(QStringLiteral("VMWL_EE_GONE")));
        QCOMPARE(app.text(QStringLiteral("Text2")), QStringLiteral("GONE"));
        QCOMPARE(app.text(QStringLiteral("Text8")), QString());
    }
};

QTEST_MAIN(TestViewRoundTrip)
#include "test_view_round_trip.moc"

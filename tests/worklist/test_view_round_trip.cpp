#include "support/window_checks.h"

#include <QTest>

using namespace Qt::StringLiterals;

using namespace checks;

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
        QTest::addColumn<int>("cut"); // -1 left as it was
        const auto row = [](const char *name, int kind, const QStringList &in, bool exclude, int charset,
                            const QString &title, const QString &station, int cut) {
            QTest::newRow(name) << kind << in[0] << in[1] << in[2] << in[3] << in[4] << exclude << charset << title
                                << station << cut;
        };
        row("KK, everything set", 0, {u"ct-1"_s, u"FCR-CSL"_s, u"cr"_s, u"cr,dx"_s, u"RG0101,RG0102"_s}, false, 2,
            u"CT-1"_s, u"FCR-CSL"_s, 0);
        row("KE, codes excluded", 1, {u"US01"_s, u"-"_s, u""_s, u"US"_s, u"US0101"_s}, true, 1, u"US01"_s, u"US01"_s,
            0);
        row("EK, station AE empty", 2, {u"DX9"_s, u""_s, u"DX"_s, u""_s, u""_s}, false, 3, u"DX9"_s, u""_s, 0);
        row("EE, lists with blanks", 3, {u"mr02"_s, u"-"_s, u"mr"_s, u"MR, CT"_s, u"MR01, MR02"_s}, false, 0, u"MR02"_s,
            u"mr02"_s, 1);
        row("EG, pass-through modality", 4, {u"CR-A"_s, u"-"_s, u""_s, u"CR"_s, u""_s}, false, 0, u"CR-A"_s, u"CR-A"_s,
            -1);
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
        QFETCH(int, cut);

        AppHarness app;
        app.login();
        app.act(u"pick Combo3 %1"_s.arg(kind));
        app.act(u"type Text2 "_s + ae);
        app.act(u"focus Text6"_s); // leaving the AE title copies it into the station AE
        if (station != QLatin1String("-")) {
            app.act(u"click Check3"_s);
            app.act(u"type Text5 "_s + station);
            app.act(u"click Check3"_s);
        }
        app.act(u"type Text6 "_s + device);
        app.act(u"type Text3 "_s + orders);
        app.act(u"type Text4 "_s + codes);
        if (exclude)
            app.act(u"click Check9"_s);
        app.act(u"pick Combo2 %1"_s.arg(charset));
        const QString charsetText = app.text(u"Combo2"_s);
        app.act(u"click Command6"_s);
        QCOMPARE(app.messages().size(), 1);
        QCOMPARE(lastMessage(app), u"완료되었습니다."_s);
        const QStringList views = app.items(u"List2"_s);
        const QString name = views.filter(u"_"_s + QString(ae).toUpper().replace(u"-"_s, u"1_1"_s)).value(0);
        QVERIFY2(!name.isEmpty(), qPrintable(views.join(u","_s)));
        // The fields are reset.
        QCOMPARE(app.text(u"Text2"_s) + app.text(u"Text3"_s), QString());
        QCOMPARE(app.text(u"Combo3"_s) + app.text(u"Combo2"_s), u"영문이름 / 검사명영문ISO_IR 100"_s);
        // Something else in the check box before the click.
        app.act(u"pick Combo3 2"_s);
        app.act(u"pick List2 %1"_s.arg(views.indexOf(name)));

        QCOMPARE(app.text(u"Text11"_s), name);
        QCOMPARE(app.text(u"Text2"_s) + u'|' + app.text(u"Text10"_s), title + u'|' + title);
        QCOMPARE(app.text(u"Combo3"_s), app.items(u"Combo3"_s).value(kind));
        QCOMPARE(app.text(u"Text5"_s), stationBack);
        QCOMPARE(app.text(u"Text6"_s), device.toUpper());
        QCOMPARE(app.text(u"Text3"_s), orders.toUpper());
        QCOMPARE(app.text(u"Text4"_s), codes);
        QCOMPARE(value(app, u"Check9"_s), exclude && !codes.isEmpty() ? 1 : 0);
        QCOMPARE(app.text(u"Combo2"_s), charsetText);
        // Left as EK's pick made it (cleared) where the name says nothing of the cut.
        QCOMPARE(value(app, u"Check11"_s), qMax(cut, 0));
        if (cut >= 0)
            QCOMPARE(enabled(app, u"Check11"_s), cut == 1);
        // The preview of the clicked view is shown.
        QVERIFY(app.text(u"Text8"_s).startsWith(u"   환자ID / 이름"_s));
        QVERIFY(statements(app).last().contains(u"From  "_s + name + u" "_s));
    }

    void baseView()
    {
        AppHarness app;
        app.login();
        app.act(u"type Text10 X"_s);
        app.act(u"type Text5 keep"_s);
        app.act(u"pick List2 0"_s);
        QCOMPARE(lastMessage(app), u"해당 데이터는 수정 할 수 없습니다."_s);
        QCOMPARE(app.text(u"Text10"_s), QString());
        QCOMPARE(app.text(u"Text11"_s), u"VMWL"_s);
        QCOMPARE(app.text(u"Text5"_s), QString());
        QVERIFY(app.text(u"Text8"_s).contains(u"\r\n1. "_s));
    }

    void droppedViewShowsTheDatabaseText()
    {
        AppHarness app;
        app.login();
        app.act(u"type Text2 GONE"_s);
        app.act(u"click Command6"_s);
        app.form().database().executeSql(u"Drop View VMWL_EE_GONE"_s);
        const int index = app.items(u"List2"_s).indexOf(u"VMWL_EE_GONE"_s);
        app.act(u"click Check10"_s);
        app.act(u"click Check10"_s);
        app.act(u"pick List2 %1"_s.arg(index));
        QVERIFY(lastMessage(app).contains(u"VMWL_EE_GONE"_s));
        QCOMPARE(app.text(u"Text2"_s), u"GONE"_s);
        QCOMPARE(app.text(u"Text8"_s), QString());
    }
};

QTEST_MAIN(TestViewRoundTrip)
#include "test_view_round_trip.moc"

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
        const QByteArray fileBefore = controlFile(app);
        app.act(QStringLiteral("click Command6"));
        QCOMPARE(app.messages().size(), 1);
        QCOMPARE(lastMessage(app), QStringLiteral("완료되었습니다."));
        const QStringList views = app.items(QStringLiteral("List2"));
        const QString name =
            views.filter(QStringLiteral("_") + QString(ae).toUpper().replace(u"-"_s, u"1_1"_s)).value(0);
        QVERIFY2(!name.isEmpty(), qPrintable(views.join(u","_s)));
        QVERIFY(statements(app)
                    .filter(QStringLiteral("Create View"))
                    .value(0)
                    .startsWith(QStringLiteral("Create View ") + name + QStringLiteral("(\r\n")));
        // Appended to the device list as typed; the gateway stopped, one pause, started.
        QByteArray expected = fileBefore;
        expected.replace("^^VMWL_EE_DR01^^^^||\r\n",
                         QByteArray("^^VMWL_EE_DR01^^^^||" + ae.toLatin1() + "^^" + name.toLatin1() + "^^^^||\r\n"));
        QCOMPARE(controlFile(app), expected);
        QCOMPARE(app.commands(), restart());
        QCOMPARE(app.pauses().at(0).toObject().value(QStringLiteral("afterCommands")).toInt(), 2);
        // The fields are reset.
        QCOMPARE(app.text(QStringLiteral("Text2")) + app.text(QStringLiteral("Text3")), QString());
        QCOMPARE(app.text(QStringLiteral("Combo3")) + app.text(QStringLiteral("Combo2")),
                 QStringLiteral("영문이름 / 검사명영문ISO_IR 100"));
        // Something else in the check box before the click.
        app.act(QStringLiteral("pick Combo3 2"));
        app.act(QStringLiteral("pick List2 %1").arg(views.indexOf(name)));

        QCOMPARE(app.text(QStringLiteral("Text11")), name);
        QCOMPARE(app.text(QStringLiteral("Text2")) + u'|' + app.text(QStringLiteral("Text10")), title + u'|' + title);
        QCOMPARE(app.text(QStringLiteral("Combo3")), app.items(QStringLiteral("Combo3")).value(kind));
        QCOMPARE(app.text(QStringLiteral("Text5")), stationBack);
        QCOMPARE(app.text(QStringLiteral("Text6")), device.toUpper());
        QCOMPARE(app.text(QStringLiteral("Text3")), orders.toUpper());
        QCOMPARE(app.text(QStringLiteral("Text4")), codes);
        QCOMPARE(value(app, QStringLiteral("Check9")), exclude && !codes.isEmpty() ? 1 : 0);
        QCOMPARE(app.text(QStringLiteral("Combo2")), charsetText);
        // Left as EK's pick made it (cleared) where the name says nothing of the cut.
        QCOMPARE(value(app, QStringLiteral("Check11")), qMax(cut, 0));
        if (cut >= 0)
            QCOMPARE(enabled(app, QStringLiteral("Check11")), cut == 1);
        // The preview of the clicked view is shown.
        QVERIFY(app.text(QStringLiteral("Text8")).startsWith(QStringLiteral("   환자ID / 이름")));
        QVERIFY(statements(app).last().contains(QStringLiteral("From  ") + name + QStringLiteral(" ")));
    }

    void baseView()
    {
        AppHarness app;
        app.login();
        app.act(QStringLiteral("type Text10 X"));
        app.act(QStringLiteral("type Text5 keep"));
        app.act(QStringLiteral("pick List2 0"));
        QCOMPARE(lastMessage(app), QStringLiteral("해당 데이터는 수정 할 수 없습니다."));
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
        QVERIFY(lastMessage(app).contains(QStringLiteral("VMWL_EE_GONE")));
        QCOMPARE(app.text(QStringLiteral("Text2")), QStringLiteral("GONE"));
        QCOMPARE(app.text(QStringLiteral("Text8")), QString());
    }
};

QTEST_MAIN(TestViewRoundTrip)
#include "test_view_round_trip.moc"

#include "support/window_checks.h"

#include "worklist/order_preview.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace preview = worklist::preview;
using namespace checks;

// A view made by "DB 등록" and clicked in the list gives back the fields it
// was made from; "처방조회" lists a view's orders.
class TestViewRoundTrip : public QObject
{
    Q_OBJECT

    struct Case
    {
        int kind;
        QString ae, station, device, orders, codes; // station "-": left as the AE title's copy
        bool exclude;
        int charset;
        QString title, stationBack; // what comes back
        int cut;                    // -1 left as it was
    };

    static QString head()
    {
        return u"Select patient_Id, Patient_Name, SCHEDULED_PROCEDURE_DATE, SCHEDULED_PROCEDURE_TIME, "
               "Scheduled_procedure_desc, Modality "_s;
    }

private Q_SLOTS:
    void roundTrip_data()
    {
        QTest::addColumn<Case>("c");
        QTest::newRow("KK, everything set") << Case{
            0, u"ct-1"_s, u"FCR-CSL"_s, u"cr"_s, u"cr,dx"_s, u"RG0101,RG0102"_s, false, 2, u"CT-1"_s, u"FCR-CSL"_s, 0};
        QTest::newRow("KE, codes excluded")
            << Case{1, u"US01"_s, u"-"_s, u""_s, u"US"_s, u"US0101"_s, true, 1, u"US01"_s, u"US01"_s, 0};
        QTest::newRow("EK, station AE empty")
            << Case{2, u"DX9"_s, u""_s, u"DX"_s, u""_s, u""_s, false, 3, u"DX9"_s, u""_s, 0};
        QTest::newRow("EE, lists with blanks")
            << Case{3, u"mr02"_s, u"-"_s, u"mr"_s, u"MR, CT"_s, u"MR01, MR02"_s, false, 0, u"MR02"_s, u"mr02"_s, 1};
        QTest::newRow("EG, pass-through modality")
            << Case{4, u"CR-A"_s, u"-"_s, u""_s, u"CR"_s, u""_s, false, 0, u"CR-A"_s, u"CR-A"_s, -1};
    }

    void roundTrip()
    {
        QFETCH(Case, c);
        AppHarness app(AppHarness::LoggedIn);
        // Leaving the AE title copies it into the station AE.
        app.act(u"pick Combo3 %1\ntype Text2 %2\nfocus Text6"_s.arg(c.kind).arg(c.ae));
        if (c.station != QLatin1String("-"))
            app.act(u"click Check3\ntype Text5 "_s + c.station + u"\nclick Check3"_s);
        app.act(u"type Text6 %1\ntype Text3 %2\ntype Text4 %3\n"_s.arg(c.device, c.orders, c.codes) +
                (c.exclude ? u"click Check9\n"_s : QString()) + u"pick Combo2 %1"_s.arg(c.charset));
        const QString charsetText = app.text(u"Combo2"_s);
        app.act(u"click Command6"_s);
        QCOMPARE(app.messages().size(), 1);
        QCOMPARE(lastMessage(app), u"완료되었습니다."_s);
        const QStringList views = app.items(u"List2"_s);
        const QString name = views.filter(u"_"_s + QString(c.ae).toUpper().replace(u"-"_s, u"1_1"_s)).value(0);
        QVERIFY2(!name.isEmpty(), qPrintable(views.join(u","_s)));
        // The fields are reset.
        QCOMPARE(app.text(u"Text2"_s) + app.text(u"Text3"_s), QString());
        QCOMPARE(app.text(u"Combo3"_s) + app.text(u"Combo2"_s), u"영문이름 / 검사명영문ISO_IR 100"_s);
        // Something else in the check box before the click.
        app.act(u"pick Combo3 2\npick List2 %1"_s.arg(views.indexOf(name)));

        QCOMPARE(app.text(u"Text11"_s), name);
        QCOMPARE(app.text(u"Text2"_s) + u'|' + app.text(u"Text10"_s), c.title + u'|' + c.title);
        QCOMPARE(app.text(u"Combo3"_s), app.items(u"Combo3"_s).value(c.kind));
        QCOMPARE(app.text(u"Text5"_s), c.stationBack);
        QCOMPARE(app.text(u"Text6"_s), c.device.toUpper());
        QCOMPARE(app.text(u"Text3"_s), c.orders.toUpper());
        QCOMPARE(app.text(u"Text4"_s), c.codes);
        QCOMPARE(value(app, u"Check9"_s), c.exclude && !c.codes.isEmpty() ? 1 : 0);
        QCOMPARE(app.text(u"Combo2"_s), charsetText);
        // Left as EK's pick made it (cleared) where the name says nothing of the cut.
        QCOMPARE(value(app, u"Check11"_s), qMax(c.cut, 0));
        if (c.cut >= 0)
            QCOMPARE(enabled(app, u"Check11"_s), c.cut == 1);
        // The preview of the clicked view is shown.
        QVERIFY(app.text(u"Text8"_s).startsWith(u"   환자ID / 이름"_s));
        QVERIFY(statements(app).last().contains(u"From  "_s + name + u" "_s));
    }

    void baseView()
    {
        AppHarness app(AppHarness::LoggedIn);
        app.act(u"type Text10 X\ntype Text5 keep\npick List2 0"_s);
        QCOMPARE(lastMessage(app), u"해당 데이터는 수정 할 수 없습니다."_s);
        QCOMPARE(app.text(u"Text10"_s), QString());
        QCOMPARE(app.text(u"Text11"_s), u"VMWL"_s);
        QCOMPARE(app.text(u"Text5"_s), QString());
        QVERIFY(app.text(u"Text8"_s).contains(u"\r\n1. "_s));
    }

    void droppedViewShowsTheDatabaseText()
    {
        AppHarness app(AppHarness::LoggedIn);
        app.act(u"type Text2 GONE\nclick Command6"_s);
        app.form().database().executeSql(u"Drop View VMWL_EE_GONE"_s);
        const int index = app.items(u"List2"_s).indexOf(u"VMWL_EE_GONE"_s);
        app.act(u"click Check10\nclick Check10\npick List2 %1"_s.arg(index));
        QVERIFY(lastMessage(app).contains(u"VMWL_EE_GONE"_s));
        QCOMPARE(app.text(u"Text2"_s), u"GONE"_s);
        QCOMPARE(app.text(u"Text8"_s), QString());
    }

    void previewStatements_data()
    {
        QTest::addColumn<QString>("view");
        QTest::addColumn<bool>("base");
        QTest::addColumn<bool>("todayOnly");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const char *view, bool base, bool todayOnly, QDate today,
                            const char *from) {
            QTest::newRow(name) << QString::fromLatin1(view) << base << todayOnly << today
                                << head() + QString::fromLatin1(from) +
                                       u"Order by SCHEDULED_PROCEDURE_DATE, SCHEDULED_PROCEDURE_TIME Desc"_s;
        };
        row("today", "VMWL_EE_DR01", false, true, QDate(2026, 12, 6),
            "From  VMWL_EE_DR01 Where SCHEDULED_PROCEDURE_DATE  = 20261206 ");
        row("seven days at a month's start", "V", false, false, QDate(2026, 12, 3),
            "From  V Where SCHEDULED_PROCEDURE_DATE  >= 20261126 ");
        row("seven days at a year's start", "V", false, false, QDate(2027, 1, 2),
            "From  V Where SCHEDULED_PROCEDURE_DATE  >= 20261226 ");
        row("base view", "ignored", true, true, QDate(2026, 12, 6),
            "From  VMWL Where SCHEDULED_PROCEDURE_DATE  = 20261206 ");
    }

    void previewStatements()
    {
        QFETCH(QString, view);
        QFETCH(bool, base);
        QFETCH(bool, todayOnly);
        QFETCH(QDate, today);
        QFETCH(QString, expected);
        QCOMPARE(preview::statement(view, base, todayOnly, today), expected);
    }

    void plainNames()
    {
        for (const char *name : {"VMWL_KK_CT1_11", "dbo.VMWL_EE_DR01", "VMWL_검사", "VMWL_$#@.A$"})
            QVERIFY2(preview::isPlainObjectName(QString::fromUtf8(name)), name);
        for (const char *name : {"VMWL; Drop Table Tuser", "VMWL;Drop", "VMWL--", "VMWL EE", "a.b.c", ".VMWL", "[VMWL]",
                                 "", "#VMWL", "dbo.@VMWL"})
            QVERIFY2(!preview::isPlainObjectName(QString::fromUtf8(name)), name);
    }

    void listingOfThreeOrders()
    {
        db::Recordset orders({u"patient_Id"_s, u"Patient_Name"_s, u"SCHEDULED_PROCEDURE_DATE"_s,
                              u"SCHEDULED_PROCEDURE_TIME"_s, u"Scheduled_procedure_desc"_s, u"Modality"_s},
                             {{u"P1"_s, u"홍길동"_s, u"20261206"_s, u"153000"_s, u"흉부 정면"_s, u"CR"_s},
                              {u"P2"_s, QVariant(), u"20261206"_s, u"090000"_s, u"CHEST PA"_s, u"DX"_s},
                              {u"P3"_s, u"김민준"_s, u"20261207"_s, QVariant(), QVariant(), u"CT"_s}});
        QCOMPARE(preview::listing(orders), u"   환자ID / 이름 / 처방일 / 처방시간 / 장비\r\n   검사명\r\n"
                                           "\r\n1. P1 / 홍길동 / 20261206 / 153000 / CR\r\n       흉부 정면"
                                           "\r\n2. P2 /  / 20261206 / 090000 / DX\r\n       CHEST PA"
                                           "\r\n3. P3 / 김민준 / 20261207 /  / CT\r\n       "_s);
        db::Recordset none({u"patient_Id"_s}, {});
        QCOMPARE(preview::listing(none), u"   환자ID / 이름 / 처방일 / 처방시간 / 장비\r\n   검사명\r\n"_s);
    }

    void previewOnTheDemoSite()
    {
        AppHarness app(AppHarness::LoggedIn);
        app.act(u"click Command2"_s); // nothing named, base view not chosen
        QCOMPARE(app.text(u"Text8"_s), QString());
        QVERIFY(statements(app).filter(u"Select patient_Id"_s).isEmpty());

        app.act(u"click Check10"_s); // runs the preview of VMWL
        const QString today = app.text(u"Text8"_s);
        QVERIFY(today.startsWith(u"   환자ID / 이름 / 처방일 / 처방시간 / 장비\r\n   검사명\r\n\r\n1. "_s));
        const int todays = today.count(u" / 20261206 / "_s);
        QCOMPARE(todays, 12);

        app.act(u"click Check2\nclick Command2"_s);
        QCOMPARE(value(app, u"Check1"_s), 0);
        QVERIFY(statements(app).last().contains(u">= 20261129 "_s));
        QVERIFY(app.text(u"Text8"_s).count(u"\r\n       "_s) > todays);

        app.act(u"click Check1"_s);
        QCOMPARE(value(app, u"Check2"_s), 0);
    }
};

QTEST_MAIN(TestViewRoundTrip)
#include "test_view_round_trip.moc"

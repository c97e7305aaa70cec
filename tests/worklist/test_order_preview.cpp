#include "support/window_checks.h"

#include "worklist/order_preview.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace preview = worklist::preview;
using namespace checks;

class TestOrderPreview : public QObject
{
    Q_OBJECT

    static QString head()
    {
        return u"Select patient_Id, Patient_Name, SCHEDULED_PROCEDURE_DATE, SCHEDULED_PROCEDURE_TIME, "
               "Scheduled_procedure_desc, Modality "_s;
    }

private Q_SLOTS:
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
        AppHarness app;
        app.login();
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
        const QString week = app.text(u"Text8"_s);
        QVERIFY(statements(app).last().contains(u">= 20261129 "_s));
        // Dates ascending, later times first within a date.
        QStringList keys;
        for (const QString &line : week.split(u"\r\n"_s)) {
            const QStringList parts = line.split(u" / "_s);
            if (parts.size() == 5 && line.at(0).isDigit())
                keys.append(parts.at(2) + QString::number(999999 - parts.at(3).toInt()).rightJustified(6, u'0'));
        }
        QStringList sorted = keys;
        sorted.sort();
        QCOMPARE(keys, sorted);
        QVERIFY(keys.size() > todays && keys.first() >= u"20261129"_s);

        app.act(u"click Check1"_s);
        QCOMPARE(value(app, u"Check2"_s), 0);
    }
};

QTEST_MAIN(TestOrderPreview)
#include "test_order_preview.moc"

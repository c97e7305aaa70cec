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
        return QStringLiteral("Select patient_Id, Patient_Name, SCHEDULED_PROCEDURE_DATE, SCHEDULED_PROCEDURE_TIME, "
                              "Scheduled_procedure_desc, Modality ");
    }

private Q_SLOTS:
    void previewStatements_data()
    {
        QTest::addColumn<QString>("view");
        QTest::addColumn<bool>("base");
        QTest::addColumn<bool>("todayOnly");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QString>("expected");
        const QString order = QStringLiteral("Order by SCHEDULED_PROCEDURE_DATE, SCHEDULED_PROCEDURE_TIME Desc");
        QTest::newRow("today") << "VMWL_EE_DR01" << false << true << QDate(2026, 12, 6)
                               << head() + u"From  VMWL_EE_DR01 Where SCHEDULED_PROCEDURE_DATE  = 20261206 "_s + order;
        QTest::newRow("seven days, mid-month")
            << "VMWL_EE_DR01" << false << false << QDate(2026, 12, 15)
            << head() + u"From  VMWL_EE_DR01 Where SCHEDULED_PROCEDURE_DATE  >= 20261208 "_s + order;
        QTest::newRow("seven days at a month's start")
            << "V" << false << false << QDate(2026, 12, 3)
            << head() + u"From  V Where SCHEDULED_PROCEDURE_DATE  >= 20261126 "_s + order;
        QTest::newRow("seven days at a year's start")
            << "V" << false << false << QDate(2027, 1, 2)
            << head() + u"From  V Where SCHEDULED_PROCEDURE_DATE  >= 20261226 "_s + order;
        QTest::newRow("base view") << "ignored" << true << true << QDate(2026, 12, 6)
                                   << head() + u"From  VMWL Where SCHEDULED_PROCEDURE_DATE  = 20261206 "_s + order;
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
        for (const char *name :
             {"VMWL; Drop Table Tuser", "VMWL--", "VMWL EE", "a.b.c", ".VMWL", "[VMWL]", "", "#VMWL", "dbo.@VMWL"})
            QVERIFY2(!preview::isPlainObjectName(QString::fromUtf8(name)), name);
    }

    void listingOfThreeOrders()
    {
        db::Recordset orders({u"patient_Id"_s, u"Patient_Name"_s, u"SCHEDULED_PROCEDURE_DATE"_s,
                              u"SCHEDULED_PROCEDURE_TIME"_s, u"Scheduled_procedure_desc"_s, u"Modality"_s},
                             {{u"P1"_s, u"홍길동"_s, u"20261206"_s, u"153000"_s, u"흉부 정면"_s, u"CR"_s},
                              {u"P2"_s, QVariant(), u"20261206"_s, u"090000"_s, u"CHEST PA"_s, u"DX"_s},
                              {u"P3"_s, u"김민준"_s, u"20261207"_s, QVariant(), QVariant(), u"CT"_s}});
        QCOMPARE(preview::listing(orders),
                 QStringLiteral("   환자ID / 이름 / 처방일 / 처방시간 / 장비\r\n   검사명\r\n"
                                "\r\n1. P1 / 홍길동 / 20261206 / 153000 / CR\r\n       흉부 정면"
                                "\r\n2. P2 /  / 20261206 / 090000 / DX\r\n       CHEST PA"
                                "\r\n3. P3 / 김민준 / 20261207 /  / CT\r\n       "));
        db::Recordset none({u"patient_Id"_s}, {});
        QCOMPARE(preview::listing(none),
                 QStringLiteral("   환자ID / 이름 / 처방일 / 처방시간 / 장비\r\n   검사명\r\n"));
    }

    void previewOnTheDemoSite()
    {
        AppHarness app;
        app.login();
        app.act(QStringLiteral("click Command2")); // nothing named, base view not chosen
        QCOMPARE(app.text(QStringLiteral("Text8")), QString());
        QVERIFY(statements(app).filter(QStringLiteral("Select patient_Id")).isEmpty());

        app.act(QStringLiteral("click Check10")); // runs the preview of VMWL
        const QString today = app.text(QStringLiteral("Text8"));
        QVERIFY(
            today.startsWith(QStringLiteral("   환자ID / 이름 / 처방일 / 처방시간 / 장비\r\n   검사명\r\n\r\n1. ")));
        const int todays = today.count(QStringLiteral(" / 20261206 / "));
        QCOMPARE(todays, 12);

        app.act(QStringLiteral("click Check2"));
        QCOMPARE(value(app, QStringLiteral("Check1")), 0);
        app.act(QStringLiteral("click Command2"));
        const QString week = app.text(QStringLiteral("Text8"));
        QVERIFY(statements(app).last().contains(QStringLiteral(">= 20261129 ")));
        // Dates ascending, later times first within a date.
        QStringList keys;
        for (const QString &line : week.split(QStringLiteral("\r\n"))) {
            const QStringList parts = line.split(QStringLiteral(" / "));
            if (parts.size() == 5 && line.at(0).isDigit())
                keys.append(parts.at(2) + QString::number(999999 - parts.at(3).toInt()).rightJustified(6, u'0'));
        }
        QStringList sorted = keys;
        sorted.sort();
        QCOMPARE(keys, sorted);
        QVERIFY(keys.size() > todays && keys.first() >= QStringLiteral("20261129"));

        app.act(QStringLiteral("click Check1"));
        QCOMPARE(value(app, QStringLiteral("Check2")), 0);
    }
};

QTEST_MAIN(TestOrderPreview)
#include "test_order_preview.moc"

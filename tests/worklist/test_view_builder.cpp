#include "support/window_checks.h"

#include "worklist/order_preview.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace preview = worklist::preview;
using namespace checks;

// "DB 등록", the presets, "삭제" and "초기화" on a fresh demo site; a view
// made by "DB 등록" and clicked in the list gives back the fields it was made
// from; "처방조회" lists a view's orders.
class TestViewBuilder : public QObject
{
    Q_OBJECT

    struct RoundTrip
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
    void languagesOfTheKinds()
    {
        AppHarness app(AppHarness::LoggedIn);
        for (int kind = 0; kind < 5; ++kind) {
            app.act(u"pick Combo3 %1\ntype Text2 K%1\ntype Text3 CR\nclick Command6"_s.arg(kind));
        }
        auto first = [&](const QString &view, const QString &field) {
            return column(app, u"Select %1 From %2 Where patient_Id = '2026000123' Order by "
                               "SCHEDULED_PROCEDURE_DATE"_s.arg(field, view))
                .value(0);
        };
        QCOMPARE(first(u"VMWL_KK_K0"_s, u"Patient_Name"_s), u"홍길동"_s);
        QCOMPARE(first(u"VMWL_KE_K1"_s, u"Patient_Name"_s), u"홍길동"_s);
        QCOMPARE(first(u"VMWL_EK_K2"_s, u"Patient_Name"_s), u"HONG^GILDONG"_s);
        QCOMPARE(first(u"VMWL_EE_K3"_s, u"Patient_Name"_s), u"HONG^GILDONG"_s);
        QCOMPARE(first(u"VMWL_EG_K4"_s, u"Patient_Name"_s), u"HONG^GILDONG"_s);
        const QString korean = first(u"VMWL_KK_K0"_s, u"Scheduled_procedure_desc"_s);
        const QString english = first(u"VMWL_EE_K3"_s, u"Scheduled_procedure_desc"_s);
        QVERIFY(korean != english);
        QCOMPARE(first(u"VMWL_EK_K2"_s, u"Scheduled_procedure_desc"_s), korean);
        QVERIFY(english.size() <= 18); // cut by Check11 for EE
    }

    // Picking a kind offers the exam-name cut for the English exam names only;
    // typing a caption leaves the box as it was.
    void kindSwitchesTheCut_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("checked");
        QTest::newRow("KK") << "pick Combo3 0" << 0;
        QTest::newRow("KE") << "pick Combo3 1" << 1;
        QTest::newRow("EK") << "pick Combo3 2" << 0;
        QTest::newRow("EE") << "pick Combo3 3" << 1;
        QTest::newRow("EG") << "pick Combo3 4" << 0;
        QTest::newRow("typed") << "type Combo3 영문이름 / 검사명영문" << 0;
    }

    void kindSwitchesTheCut()
    {
        QFETCH(QString, action);
        QFETCH(int, checked);
        AppHarness app(AppHarness::LoggedIn);
        app.act(u"pick Combo3 0\n"_s + action); // cleared and disabled first
        QCOMPARE(value(app, u"Check11"_s), checked);
        QCOMPARE(enabled(app, u"Check11"_s), checked == 1);
    }

    void viewListNamesEveryVmwlObject()
    {
        AppHarness app(AppHarness::LoggedIn, demoPlus("DROP VIEW VMWL;\nCREATE TABLE VMWL_TEST(a);"));
        QCOMPARE(app.items(u"List2"_s), QStringList{u"VMWL_TEST"_s});
        QVERIFY(statements(app).contains(u"Select * From   Sys.Objects Where  Name like  'VMWL%'"_s));
    }

    void alterAnsweredNoChangesNothing()
    {
        AppHarness app(AppHarness::LoggedIn);
        app.act(u"type Text2 DR02\nclick Command6"_s);
        const QByteArray file = controlFile(app);
        const int statementsBefore = statements(app).size();
        app.act(u"type Text2 dr02\nanswer No\nclick Command6"_s);
        const QJsonObject question = app.messages().last().toObject();
        QCOMPARE(question.value(u"text"_s).toString(),
                 u"동일한 이름의 View 생성되어 있습니다.\r\n수정 하시겠습니까?"_s);
        QCOMPARE(question.value(u"buttons"_s).toString() + question.value(u"answer"_s).toString(), u"YesNoNo"_s);
        QCOMPARE(statements(app).size(), statementsBefore + 2); // the existence test and the list
        QCOMPARE(controlFile(app), file);
        QCOMPARE(app.commands().size(), 3);
        QCOMPARE(app.text(u"Text2"_s), u"dr02"_s);

        // The view is altered; the gateway that does not come back afterwards is told.
        app.gatewayProbe().answering = false;
        app.act(u"answer Yes\ntype Text3 CR\nclick Command6"_s);
        QCOMPARE(statements(app).filter(u"Alter View VMWL_EE_DR02(\r\n"_s).size(), 1);
        QCOMPARE(lastMessage(app), u"워크리스트 서비스가 시작되지 않았습니다."_s);
        // dr02 in its own letter case is a second entry.
        QVERIFY(controlFile(app).contains("DR02^^VMWL_EE_DR02^^^^||dr02^^VMWL_EE_DR02^^^^||"));
    }

    void fcrPresetRegistersTheKoreanNameForm()
    {
        AppHarness app(AppHarness::LoggedIn);
        app.act(u"click Check4"_s);
        QCOMPARE(QStringList({app.text(u"Combo3"_s), app.text(u"Text2"_s), app.text(u"Text5"_s), app.text(u"Combo2"_s),
                              app.text(u"Text3"_s), app.text(u"Text6"_s)}),
                 QStringList({u"한글이름 / 검사명한글"_s, u"FCR-CSL"_s, u"FCR-CSL"_s, u"\\ISO 2022 IR 149"_s, u"CR"_s,
                              u"CR"_s}));
        app.act(u"click Check8\ntype Text4 Che001\nclick Command6"_s);

        QVERIFY(statements(app)
                    .filter(u"Create View VMWL_KK_FCR1_1CSL"_s)
                    .value(0)
                    .contains(u"\r\n'=' + p.PATIENT_NAME AS patient_name, \r\n"_s));
        QVERIFY(controlFile(app).contains("\r\nFCR_XG5000=1\r\n"));
        QVERIFY(controlFile(app).contains("FCR-CSL^^VMWL_KK_FCR1_1CSL^^^^||"));
        QCOMPARE(value(app, u"Check4"_s) * 100 + value(app, u"Check8"_s) * 10 + value(app, u"Check3"_s), 10);
        QCOMPARE(lastMessage(app), u"완료되었습니다."_s);
        // No demo order has the code Che001.
        QCOMPARE(count(app, u"Select * From VMWL_KK_FCR1_1CSL"_s), 0);
    }

    void presetInterplay()
    {
        AppHarness app(AppHarness::LoggedIn);
        app.act(u"type Text4 KEEP\nclick Check4\nclick Check5"_s);
        QCOMPARE(value(app, u"Check4"_s), 0);
        QCOMPARE(app.text(u"Text2"_s) + app.text(u"Combo2"_s) + app.text(u"Text3"_s), u"QSSERVERISO_IR 192CR"_s);

        // FCR_XG5000 while AGFA is checked clears AGFA, and with it the fields.
        app.act(u"click Check8"_s);
        QCOMPARE(value(app, u"Check5"_s), 0);
        QCOMPARE(app.text(u"Text2"_s) + app.text(u"Text5"_s) + app.text(u"Combo2"_s), u"ISO_IR 100"_s);
        QCOMPARE(app.text(u"Text4"_s), u"KEEP"_s);

        // Checking AGFA clears FCR and FCR_XG5000.
        app.act(u"click Check4\nclick Check5"_s);
        QCOMPARE(value(app, u"Check8"_s) + value(app, u"Check4"_s), 0);

        // Clearing AGFA by hand with FCR clear applies the cleared preset.
        app.act(u"click Check3\nclick Check5"_s);
        QCOMPARE(app.text(u"Text2"_s), QString());
        QCOMPARE(value(app, u"Check3"_s), 0);
        QVERIFY(!enabled(app, u"Text5"_s));

        // "초기화" keeps the preset boxes.
        app.act(u"click Check4\nclick Check9\nclick Command8"_s);
        QCOMPARE(value(app, u"Check4"_s) * 10 + value(app, u"Check9"_s), 10);
        QCOMPARE(app.text(u"Text2"_s) + app.text(u"Combo3"_s) + app.text(u"Text14"_s), u"영문이름 / 검사명영문1"_s);
    }

    void deleteViewAndEntries()
    {
        AppHarness app(AppHarness::LoggedIn);
        app.act(u"type Text2 ct-7\nclick Command6"_s);
        QVERIFY(controlFile(app).contains("ct-7^^VMWL_EE_CT1_17^^^^||"));
        app.act(u"type Text2 CT-7\ntype Text4 x\nclick Command5"_s);
        QVERIFY(!app.form().database().objectExists(u"VMWL_EE_CT1_17"_s, 1));
        QVERIFY(!app.items(u"List2"_s).contains(u"VMWL_EE_CT1_17"_s));
        // The other devices keep their entries as they were.
        QVERIFY(controlFile(app).contains("=CT01^^VMWL_KK_CT01^^^^||DR01^^VMWL_EE_DR01^^^^||\r\n"));
        QCOMPARE(app.commands(), restart() + restart());
        QCOMPARE(app.text(u"Text2"_s) + app.text(u"Text4"_s), QString());
        QCOMPARE(statements(app).filter(u"Drop View"_s), QStringList{u"Drop View VMWL_EE_CT1_17"_s});
    }

    void deleteFallsBackToTheOlderName_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("older");
        QTest::addColumn<bool>("dropped");
        QTest::newRow("KK") << 0 << "VMWL_K_CT1_11" << true;
        QTest::newRow("EK") << 2 << "VMWL_E_CT1_11" << true;
        QTest::newRow("KE: no fallback") << 1 << "VMWL_K_CT1_11" << false;
        QTest::newRow("EE: no fallback") << 3 << "VMWL_E_CT1_11" << false;
    }

    void deleteFallsBackToTheOlderName()
    {
        QFETCH(int, kind);
        QFETCH(QString, older);
        QFETCH(bool, dropped);
        AppHarness app(QDate(2026, 12, 6), demoPlus("CREATE VIEW " + older.toLatin1() + " AS SELECT 1 AS x;"));
        QByteArray file = controlFile(app);
        file.replace("CustomAETitle=", QByteArray("CustomAETitle=ct-1^^" + older.toLatin1() + "^^^^||"));
        app.site().writeBytes(TestSite::kControlFile, file);
        app.login();
        app.act(u"pick Combo3 %1\ntype Text2 ct-1\ntype Text3 CR\nclick Command5"_s.arg(kind));
        QCOMPARE(!app.form().database().objectExists(older, 1), dropped);
        QCOMPARE(!controlFile(app).contains(older.toLatin1()), dropped);
        QCOMPARE(app.text(u"Text2"_s), dropped ? QString() : u"ct-1"_s);
        QCOMPARE(app.commands().isEmpty(), !dropped);
    }

    // Refused or failed registrations: nothing reaches the gateway.
    void registrationThatFailsChangesNothing_data()
    {
        QTest::addColumn<QString>("ae");
        QTest::addColumn<QString>("message"); // contained in the last one
        QTest::newRow("missing template") << "CT02"
                                          << "vmwl.sql";
        QTest::newRow("empty AE title") << ""
                                        << "AE Title 테이블명 입력 후 생성 하시기 바랍니다.";
    }

    void registrationThatFailsChangesNothing()
    {
        QFETCH(QString, ae);
        QFETCH(QString, message);
        AppHarness app(AppHarness::LoggedIn, [&](TestSite &site) { QFile::remove(site.file(u"vmwl.sql"_s)); });
        const QByteArray file = controlFile(app);
        app.act(u"pick Combo3 0\ntype Text3 cr\ntype Text2 "_s + ae + u"\nclick Command6"_s);
        QCOMPARE(app.messages().size(), 1);
        QVERIFY2(lastMessage(app).contains(message), qPrintable(lastMessage(app)));
        QCOMPARE(controlFile(app), file);
        QVERIFY(app.commands().isEmpty());
        QCOMPARE((app.text(u"Text2"_s) + app.text(u"Text3"_s)).toUpper(), ae + u"CR"_s);
    }

    void missingControlFileLeavesTheGatewayAlone()
    {
        AppHarness app(AppHarness::LoggedIn);
        QFile::remove(app.site().file(TestSite::kControlFile));
        app.act(u"type Text2 US01\nclick Command6"_s);
        QVERIFY(app.form().database().objectExists(u"VMWL_EE_US01"_s, 1));
        QCOMPARE(app.messages().size(), 2);
        QCOMPARE(app.messages().at(0).toObject().value(u"text"_s).toString(),
                 u"ZORadoDidServiceControl.ini 파일이 없어 View만 생성 되었습니다. "
                 "ZORadoDidServiceControl.exe 실행 후 직접 입력하십시오."_s);
        QCOMPARE(lastMessage(app), u"완료되었습니다."_s);

        // Deleting without a control file drops the view and says so.
        app.act(u"type Text2 US01\nclick Command5"_s);
        QVERIFY(!app.form().database().objectExists(u"VMWL_EE_US01"_s, 1));
        QCOMPARE(lastMessage(app), u"ZORadoDidServiceControl.ini 파일이 없습니다. 확인 후 실행하시기 바랍니다."_s);
        QVERIFY(app.commands().isEmpty());
    }

    // Text that could end a quoted value, add a statement or overflow a name is
    // refused before any statement is sent: the archive, the control file and
    // every field stay as they were, and the message names the field.
    void hostileFieldsSendNothing_data()
    {
        QTest::addColumn<QString>("actions");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("field");
        const QStringList titles{u"O'K"_s,
                                 u"'); DROP TABLE TUSER; SELECT ('"_s,
                                 u"X') OR ('1'='1"_s,
                                 QString(200, QLatin1Char('A')),
                                 u"CT\\01"_s,
                                 u"CT 1"_s,
                                 QString(17, QLatin1Char('B')),
                                 u"   "_s};
        for (const char *button : {"Command6", "Command5"}) {
            for (const QString &title : titles) {
                QTest::addRow("%s, AE title %s", button, qPrintable(title.left(20)))
                    << u"type Text2 "_s + title << QString::fromLatin1(button) << u"AE Title"_s;
            }
        }
        const QString cut = u"pick Combo3 3\ntype Text2 CT01\ntype Text3 CR\n"_s;
        QTest::newRow("DB 등록, cut length with a query")
            << cut + u"type Text15 18) + (SELECT top 1 user_password FROM Tuser WHERE user_key = 2"_s << "Command6"
            << "검사명자르기";
        QTest::newRow("DB 등록, cut start with a quote") << cut + u"type Text14 1'"_s << "Command6"
                                                         << "검사명자르기";
        QTest::newRow("DB 등록, negative cut start") << cut + u"type Text14 -1"_s << "Command6"
                                                     << "검사명자르기";
        QTest::newRow("처방조회, always true") << "type Text11 X') OR ('1'='1"
                                               << "Command2"
                                               << "View 이름";
        QTest::newRow("처방조회, second statement") << "type Text11 VMWL; DROP TABLE TUSER"
                                                    << "Command2"
                                                    << "View 이름";
    }

    void hostileFieldsSendNothing()
    {
        QFETCH(QString, actions);
        QFETCH(QString, button);
        QFETCH(QString, field);
        AppHarness app(AppHarness::LoggedIn);
        app.act(actions + u"\nfocus "_s + button); // leaving the field has effects of its own
        const auto archive = [&]() -> QByteArray {
            return app.site().readBytes(u"archive.db"_s) + app.site().readBytes(u"archive.db-wal"_s);
        };
        const QByteArray archiveBefore = archive();
        const QByteArray controlBefore = controlFile(app);
        const QStringList statementsBefore = statements(app);
        const QJsonValue controlsBefore = app.state().value(u"controls"_s);

        app.act(u"click "_s + button);

        QCOMPARE(app.messages().size(), 1);
        QVERIFY2(lastMessage(app).contains(field), qPrintable(lastMessage(app)));
        QCOMPARE(statements(app), statementsBefore);
        QCOMPARE(app.state().value(u"controls"_s), controlsBefore);
        QVERIFY(app.commands().isEmpty());
        QCOMPARE(controlFile(app), controlBefore);
        QCOMPARE(archive(), archiveBefore);
    }

    void roundTrip_data()
    {
        QTest::addColumn<RoundTrip>("c");
        QTest::newRow("KK, everything set") << RoundTrip{
            0, u"ct-1"_s, u"FCR-CSL"_s, u"cr"_s, u"cr,dx"_s, u"RG0101,RG0102"_s, false, 2, u"CT-1"_s, u"FCR-CSL"_s, 0};
        QTest::newRow("KE, codes excluded")
            << RoundTrip{1, u"US01"_s, u"-"_s, u""_s, u"US"_s, u"US0101"_s, true, 1, u"US01"_s, u"US01"_s, 0};
        QTest::newRow("EK, station AE empty")
            << RoundTrip{2, u"DX9"_s, u""_s, u"DX"_s, u""_s, u""_s, false, 3, u"DX9"_s, u""_s, 0};
        QTest::newRow("EE, lists with blanks") << RoundTrip{
            3, u"mr02"_s, u"-"_s, u"mr"_s, u"MR, CT"_s, u"MR01, MR02"_s, false, 0, u"MR02"_s, u"mr02"_s, 1};
        QTest::newRow("EG, pass-through modality")
            << RoundTrip{4, u"CR-A"_s, u"-"_s, u""_s, u"CR"_s, u""_s, false, 0, u"CR-A"_s, u"CR-A"_s, -1};
    }

    void roundTrip()
    {
        QFETCH(RoundTrip, c);
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

QTEST_MAIN(TestViewBuilder)
#include "test_view_builder.moc"

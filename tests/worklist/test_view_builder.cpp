#include "support/window_checks.h"

#include "worklist/control_file.h"
#include "worklist/gateway_control.h"
#include "worklist/order_preview.h"
#include "worklist/view_generator.h"
#include "worklist/view_kinds.h"
#include "worklist/view_reader.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace preview = worklist::preview;
namespace control = worklist::control;
namespace reader = worklist::reader;
using worklist::ViewFields;
using namespace checks;

// The texts of a view and of the gateway's device list: the statement made from
// the builder's fields, the device-list line, the fields and names read back.
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

    // The builder's fields as "field=value" settings over the window's defaults.
    static ViewFields fields(const QStringList &settings = {})
    {
        QHash<QString, QString> m;
        for (const QString &setting : settings)
            m.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
        ViewFields f;
        f.stationAe = m.value(u"stationAe"_s);
        f.deviceModality = m.value(u"deviceModality"_s);
        f.kindCaption = m.value(u"kind"_s, u"영문이름 / 검사명영문"_s);
        f.characterSet = m.value(u"charset"_s, u"ISO_IR 100"_s);
        f.codeMapping = m.value(u"mapping"_s).toInt();
        f.codeMappingText = m.value(u"mappingText"_s, u"#"_s);
        f.cutExamName = m.value(u"cut"_s).toInt();
        f.cutStart = m.value(u"cutStart"_s, u"1"_s);
        f.cutLength = u"18"_s;
        f.orderModalities = m.value(u"modalities"_s);
        f.orderCodes = m.value(u"codes"_s);
        f.excludeCodes = m.value(u"exclude"_s).toInt();
        return f;
    }

    static void row(const char *name, const QString &line, const QStringList &settings, const QString &expected)
    {
        QTest::newRow(name) << line << settings << expected;
    }

    struct Registering
    {
        QStringList lines;
        QString ae, view;
        bool fcr;
        QStringList expected;
    };

    struct Naming
    {
        QString caption; // "-": a name the tool does not make
        QString ae, name, title, readCaption;
        int cut;       // -1 left as it is
        QString older; // the name an older version gave the view
    };

    static QString orNone(const std::optional<QString> &v) { return v ? *v : u"-"_s; }

private Q_SLOTS:
    void languagesOfTheKinds()
    {
        AppHarness app(AppHarness::LoggedIn);
        for (int kind = 0; kind < 5; ++kind)
            app.act(u"pick Combo3 %1\ntype Text2 K%1\ntype Text3 CR\nclick Command6"_s.arg(kind));
        auto first = [&](const QString &view, const QString &field) {
            return column(app, u"Select %1 From %2 Where patient_Id = '2026000123' Order by "
                               "SCHEDULED_PROCEDURE_DATE"_s.arg(field, view))
                .value(0);
        };
        const QStringList views{u"VMWL_KK_K0"_s, u"VMWL_KE_K1"_s, u"VMWL_EK_K2"_s, u"VMWL_EE_K3"_s, u"VMWL_EG_K4"_s};
        for (const QString &view : views)
            QCOMPARE(first(view, u"Patient_Name"_s), view[5] == u'K' ? u"홍길동"_s : u"HONG^GILDONG"_s);
        const QString korean = first(u"VMWL_KK_K0"_s, u"Scheduled_procedure_desc"_s);
        const QString english = first(u"VMWL_EE_K3"_s, u"Scheduled_procedure_desc"_s);
        QVERIFY(korean != english);
        QCOMPARE(first(u"VMWL_EK_K2"_s, u"Scheduled_procedure_desc"_s), korean);
        QVERIFY(english.size() <= 18); // cut by Check11 for EE
    }

    // Picking a kind offers the exam-name cut for the English exam names only;
    // typing a caption, or the focus passing through the box, leaves the cut as
    // the operator set it.
    void kindSwitchesTheCut_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("checked");
        QTest::addColumn<bool>("offered");
        const QString cleared = u"pick Combo3 0\n"_s; // unchecked and disabled first
        QTest::newRow("KK") << cleared + u"pick Combo3 0"_s << 0 << false;
        QTest::newRow("KE") << cleared + u"pick Combo3 1"_s << 1 << true;
        QTest::newRow("EK") << cleared + u"pick Combo3 2"_s << 0 << false;
        QTest::newRow("EE") << cleared + u"pick Combo3 3"_s << 1 << true;
        QTest::newRow("EG") << cleared + u"pick Combo3 4"_s << 0 << false;
        QTest::newRow("EE picked again") << cleared + u"pick Combo3 3\nclick Check11\npick Combo3 3"_s << 1 << true;
        QTest::newRow("by the arrow key") << cleared + u"press Combo3 Down"_s << 1 << true;
        QTest::newRow("typed") << cleared + u"type Combo3 영문이름 / 검사명영문"_s << 0 << false;
        QTest::newRow("typed, left") << cleared + u"type Combo3 영문이름 / 검사명영문\npress Combo3 Tab"_s << 0
                                     << false;
        QTest::newRow("unchecked by hand, passed through")
            << u"click Check11\nfocus Text13\npress Text13 Tab\npress Combo3 Tab"_s << 0 << true;
        QTest::newRow("typed EG, left") << u"type Combo3 영문이름 / 검사명영문(기초자료)\nfocus Text4"_s << 1 << true;
    }

    void kindSwitchesTheCut()
    {
        QFETCH(QString, action);
        QFETCH(int, checked);
        QFETCH(bool, offered);
        AppHarness app(AppHarness::LoggedIn);
        app.act(action);
        QCOMPARE(value(app, u"Check11"_s), checked);
        QCOMPARE(enabled(app, u"Check11"_s), offered);
        // What the box shows is what the view gets.
        app.act(u"type Text2 DR03\nclick Command6"_s);
        QCOMPARE(int(statements(app).filter(u"Create View"_s).value(0).count(u"Substring("_s)), checked * 4);
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

        app.act(u"answer Yes\ntype Text3 CR\nclick Command6"_s);
        QCOMPARE(statements(app).filter(u"Alter View VMWL_EE_DR02(\r\n"_s).size(), 1);
        QCOMPARE(lastMessage(app), u"완료되었습니다."_s);
        // dr02 in its own letter case is a second entry.
        QVERIFY(controlFile(app).contains("DR02^^VMWL_EE_DR02^^^^||dr02^^VMWL_EE_DR02^^^^||"));
    }

    // Through the wire: the view list failing after the view is made still registers the device, and the
    // failure is told after the completion.
    void listFailureAfterCreateStillRegisters()
    {
        if (!TestSite::wireRun())
            QSKIP("the archive is opened directly in this run");
        AppHarness app(AppHarness::LoggedIn);
        app.site().setWireFaults("error-after-rows 1 Name like  'VMWL%'\n");
        app.act(u"type Text2 DR02\nclick Command6"_s);
        QVERIFY(controlFile(app).contains("DR02^^VMWL_EE_DR02^^^^||"));
        QCOMPARE(app.commands().size(), 3); // stopped, and started on the new entry
        QCOMPARE(app.messages().size(), 2);
        QCOMPARE(app.messages().first().toObject().value(u"text"_s).toString(), u"완료되었습니다."_s);
        QVERIFY2(lastMessage(app).contains(u"View 목록"_s), qPrintable(lastMessage(app)));
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

    // An AE title either registers whole (the view, the control file's entry,
    // the gateway restarted, "완료되었습니다.") and is deleted again whole, or is
    // refused before anything changes, with a message naming the fault; "삭제"
    // refuses it the same way and still empties the fields but the AE title.
    void aeTitles_data()
    {
        QTest::addColumn<QString>("ae");
        QTest::addColumn<QString>("refusal"); // in the message; empty: registered
        QTest::newRow("ASCII") << u"US01"_s << QString();
        QTest::newRow("hyphen") << u"ct-9"_s << QString();
        QTest::newRow("#") << u"CT#1"_s << QString();
        QTest::newRow("$") << u"CT$1"_s << QString();
        QTest::newRow("@") << u"CT@1"_s << QString();
        QTest::newRow("16 characters") << u"ABCDEFGHIJKLMNOP"_s << QString();
        QTest::newRow("17 characters") << u"ABCDEFGHIJKLMNOPQ"_s << u"17자"_s;
        QTest::newRow("200 characters") << QString(200, QLatin1Char('A')) << u"200자"_s;
        QTest::newRow("Hangul") << u"장비01"_s << u"'장'"_s;
        QTest::newRow("accented") << u"CAFÉ"_s << u"'É'"_s;
        QTest::newRow("inner blank") << u"CT 1"_s << u"가운데에 공백"_s;
        QTest::newRow("trailing blank") << u"CT01 "_s << u"끝에 공백"_s;
        QTest::newRow("leading blank") << u" CT01"_s << u"앞에 공백"_s;
        QTest::newRow("only blanks") << u"   "_s << u"공백뿐"_s;
        QTest::newRow("backslash") << u"CT\\01"_s << u"역슬래시"_s;
        QTest::newRow("dot") << u"CT.1"_s << u"'.'"_s;
        QTest::newRow("quote") << u"O'K"_s << u"'''"_s;
        QTest::newRow("statement") << u"X'); DROP TABLE T"_s << u"17자"_s;
        QTest::newRow("condition") << u"X') OR ('1'='1"_s << u"'''"_s;
        // The station AE title the view hands to devices: a DICOM AE title too.
        QTest::newRow("station, 17 characters") << u"US01|ABCDEFGHIJKLMNOPQ"_s << u"Station_AE: AE Title은"_s;
        QTest::newRow("station, backslash") << u"US01|A\\B"_s << u"Station_AE: AE Title에는 역슬래시"_s;
        QTest::newRow("station, Hangul") << u"US01|장비"_s << u"Station_AE: AE Title에는 영문"_s;
    }

    void aeTitles()
    {
        QFETCH(QString, ae);
        QFETCH(QString, refusal);
        const QString station = ae.section(u'|', 1);
        ae = ae.section(u'|', 0, 0);
        AppHarness app(AppHarness::LoggedIn);
        app.act(u"type Text2 "_s + ae + u"\ntype Text3 cr\ntype Text4 Che001\nfocus Command6"_s);
        if (!station.isEmpty())
            app.act(u"click Check3\ntype Text5 "_s + station + u"\nfocus Command6"_s);
        const QStringList before = traces(app);
        app.act(u"click Command6"_s);

        const QString view = u"VMWL_EE_"_s + ae.toUpper().replace(u'-', u"1_1"_s);
        if (refusal.isEmpty()) {
            QCOMPARE(lastMessage(app), u"완료되었습니다."_s);
            QVERIFY(app.form().database().objectExists(view, 1));
            QVERIFY(controlFile(app).contains((ae + u"^^"_s + view + u"^^^^||"_s).toLatin1()));
            QCOMPARE(app.commands(), restart());
            // Read back from the list, as the server would answer for it.
            app.act(u"pick List2 %1"_s.arg(app.items(u"List2"_s).indexOf(view)));
            QCOMPARE(app.text(u"Text4"_s), u"Che001"_s);
            // Deleted whole, altered first.
            app.act(u"type Text2 "_s + ae + u"\nanswer Yes\nclick Command6"_s);
            QCOMPARE(statements(app).filter(u"Alter View "_s + view + u"("_s).size(), 1);
            // The AE title in the other letter case finds it; the fields are emptied, the other devices'
            // entries stay as they were.
            app.act(
                u"type Text2 %1\ntype Text4 x\nclick Command5"_s.arg(ae == ae.toUpper() ? ae.toLower() : ae.toUpper()));
            QVERIFY(!app.form().database().objectExists(view, 1));
            QVERIFY(!app.items(u"List2"_s).contains(view));
            QCOMPARE(QString::fromLatin1(controlFile(app)), before.at(2));
            QCOMPARE(statements(app).filter(u"Drop View"_s), QStringList{u"Drop View "_s + view});
            QCOMPARE(app.text(u"Text2"_s) + app.text(u"Text4"_s), QString());
            QCOMPARE(app.commands(), restart() + restart() + restart());
            QCOMPARE(app.messages().size(), 3); // done, the question, done
            return;
        }
        QCOMPARE(app.messages().size(), 1);
        QVERIFY2(lastMessage(app).contains(refusal), qPrintable(lastMessage(app)));
        QCOMPARE(traces(app), before);
        QCOMPARE(app.text(u"Text2"_s) + app.text(u"Text3"_s) + app.text(u"Text4"_s), ae + u"crChe001"_s);
        if (!station.isEmpty())
            return; // "삭제" takes no station

        app.act(u"click Command5"_s);
        QCOMPARE(app.messages().size(), 2);
        QVERIFY2(lastMessage(app).contains(refusal), qPrintable(lastMessage(app)));
        QCOMPARE(traces(app), before);
        QCOMPARE(app.text(u"Text2"_s), ae);
        QCOMPARE(app.text(u"Text3"_s) + app.text(u"Text4"_s) + app.text(u"Text5"_s) + app.text(u"Text6"_s) +
                     app.text(u"Text9"_s) + app.text(u"Combo2"_s),
                 u"ISO_IR 100"_s);
    }

    // The control file is checked before an operation changes anything: a
    // character its code page cannot hold is named, and the file stays.
    void controlFileTakesWhatItsCodePageHolds()
    {
        TestSite site;
        const QString path = site.file(TestSite::kControlFile);
        const QByteArray before = site.readBytes(TestSite::kControlFile);
        const auto adding = [](const QString &line) {
            return [line](const QStringList &lines) { return lines + QStringList{line}; };
        };
        QCOMPARE(worklist::gateway::controlFileProblem(path, adding(u"Site=서울"_s)), std::nullopt);
        const std::optional<QString> problem = worklist::gateway::controlFileProblem(path, adding(u"Site=CAFÉ"_s));
        QVERIFY(problem && problem->contains(u"'É'"_s));
        QCOMPARE(site.readBytes(TestSite::kControlFile), before);
    }

    // After a restart the gateway is asked only where its control file names its
    // port, with its AE title when it names one. Registration, deletion and the
    // log level show their own outcome as always; a silence is told after it, in
    // a message of its own that names where it asked; the asking is bounded.
    void gatewayCheckOnlyHelps_data()
    {
        QTest::addColumn<QByteArray>("lines"); // in place of "Port=11112"
        QTest::addColumn<bool>("answering");
        QTest::addColumn<QString>("asked"); // host:port AE; 'line': the line refused, never asked; empty: never asked
        QTest::newRow("no Port= line") << QByteArray() << false << QString();
        QTest::newRow("a port the gateway refuses") << QByteArray("Port=ABC") << false << u"'Port=ABC'"_s;
        QTest::newRow("port answers") << QByteArray("Port=11112") << true << u"127.0.0.1:11112 KALDEN1"_s;
        QTest::newRow("port silent") << QByteArray("Port=11112") << false << u"127.0.0.1:11112 KALDEN1"_s;
        QTest::newRow("own address and AE title, silent")
            << QByteArray("Port=4104\r\nAETitle=WLGW\r\nBind=127.0.0.2") << false << u"127.0.0.2:4104 WLGW"_s;
    }

    void gatewayCheckOnlyHelps()
    {
        QFETCH(QByteArray, lines);
        QFETCH(bool, answering);
        QFETCH(QString, asked);
        AppHarness app(QDate(2026, 12, 6), [&](TestSite &site) {
            site.writeBytes(TestSite::kControlFile,
                            site.readBytes(TestSite::kControlFile).replace("Port=11112", lines));
        });
        app.login();
        app.gatewayProbe().answering = answering;
        const bool warned = !asked.isEmpty() && !answering;
        const auto shownSince = [&](qsizetype from) {
            QStringList texts;
            for (qsizetype i = from; i < app.messages().size(); ++i)
                texts.append(app.messages().at(i).toObject().value(u"text"_s).toString());
            return texts;
        };
        // The operation's own messages, then the warning when the gateway was silent.
        const auto told = [&](const QStringList &shown, const QStringList &own) {
            if (shown.mid(0, own.size()) != own || shown.size() != own.size() + (warned ? 1 : 0))
                return false;
            if (asked.startsWith(u'\''))
                return shown.last().contains(asked) && shown.last().contains(u"받아들이지 않아"_s);
            return !warned || (shown.last().contains(asked.section(u' ', 0, 0)) &&
                               shown.last().contains(asked.section(u' ', 1)) && shown.last().contains(u"응답"_s));
        };
        app.act(u"type Text2 GW01\nclick Command6"_s);
        QVERIFY2(told(shownSince(0), {u"완료되었습니다."_s}), qPrintable(shownSince(0).join(u" / "_s)));
        qsizetype shown = app.messages().size();
        app.act(u"type Text2 GW01\nclick Command5"_s);
        QVERIFY2(told(shownSince(shown), {}), qPrintable(shownSince(shown).join(u" / "_s)));
        QVERIFY(!app.form().database().objectExists(u"VMWL_EE_GW01"_s, 1));
        shown = app.messages().size();
        app.act(u"click Option2"_s);
        QCOMPARE(app.text(u"Label3"_s), u"설정 완료"_s);
        QVERIFY2(told(shownSince(shown), {}), qPrintable(shownSince(shown).join(u" / "_s)));
        QCOMPARE(app.commands(), restart() + restart() + restart());

        const QList<platform::GatewayAddress> questions = app.gatewayProbe().asked;
        for (const platform::GatewayAddress &a : questions)
            QCOMPARE(u"%1:%2 %3"_s.arg(a.host).arg(a.port).arg(a.aeTitle), asked);
        QCOMPARE(questions.isEmpty(), asked.isEmpty() || asked.startsWith(u'\''));
        if (answering)
            QCOMPARE(questions.size(), 3);
        int waited = 0;
        for (const QJsonValue &pause : app.pauses())
            waited += pause.toObject().value(u"ms"_s).toInt();
        QVERIFY2(waited <= 3 * (worklist::gateway::kStartPauseMs + worklist::gateway::kEchoWaitMs),
                 qPrintable(QString::number(waited)));
        QVERIFY(questions.size() <= 3 * worklist::gateway::kEchoTries);
    }

    // Text that could end a quoted value or add a statement is refused before
    // any statement is sent: the archive, the control file and every field stay
    // as they were, and the message names the field. What a statement takes as
    // typed is sent as typed where the statement it makes is valid: blanks around
    // the numbers of the cut, around a view name.
    void fieldsSentOrRefused_data()
    {
        QTest::addColumn<QString>("actions"); // the last one clicks
        QTest::addColumn<QString>("refusal"); // in the one message; empty: taken
        QTest::addColumn<QString>("sent");    // in a statement sent, when taken
        const auto row = [](const char *name, const QString &actions, const char *refusal, const QString &sent = {}) {
            QTest::newRow(name) << actions << QString::fromUtf8(refusal) << sent;
        };
        const QString cut = u"pick Combo3 3\ntype Text2 CT01\ntype Text3 CR\n"_s;
        row("DB 등록, cut length with a query",
            cut + u"type Text15 18) + (SELECT top 1 user_password FROM Tuser WHERE user_key = 2\nclick Command6"_s,
            "검사명자르기");
        row("DB 등록, cut start with a quote", cut + u"type Text14 1'\nclick Command6"_s, "검사명자르기");
        row("DB 등록, negative cut start", cut + u"type Text14 -1\nclick Command6"_s,
            "검사명자르기의 시작 위치에 '-' 문자");
        row("DB 등록, cut length past the server's int", cut + u"type Text15 99999999999\nclick Command6"_s,
            "검사명자르기의 길이는 9자리까지");
        row("처방조회, always true", u"type Text11 X') OR ('1'='1\nclick Command2"_s,
            "View 이름이 올바르지 않습니다: X') OR ('1'='1\n''' 문자");
        row("처방조회, second statement", u"type Text11 VMWL; DROP TABLE TUSER\nclick Command2"_s, "';' 문자");
        row("cut length with a blank before", cut + u"type Text15  18\nclick Command6"_s, "",
            u"Substring(VUR_TCOMMON.F_HANCONVERT(a.ORDER_NAME,1), 1,  18) AS scheduled_procedure_desc,"_s);
        row("cut start with blanks around", cut + u"type Text14  1 \nclick Command6"_s, "",
            u"Substring(VUR_TCOMMON.F_HANCONVERT(a.ORDER_NAME,1),  1 , 18) AS REQUESTED_CODE_MEANING "_s);
        row("view name with a trailing blank", u"type Text11 VMWL \nclick Command2"_s, "", u"From  VMWL  Where"_s);
        row("view name with blanks around", u"type Text11  VMWL \nclick Command2"_s, "", u"From   VMWL  Where"_s);
    }

    void fieldsSentOrRefused()
    {
        QFETCH(QString, actions);
        QFETCH(QString, refusal);
        QFETCH(QString, sent);
        AppHarness app(AppHarness::LoggedIn);
        QStringList lines = actions.split(u'\n');
        const QString click = lines.takeLast();
        app.act(lines.join(u'\n') + u"\nfocus "_s + click.section(u' ', 1)); // leaving the field has effects of its own
        const QStringList before = traces(app);
        const QJsonValue controlsBefore = app.state().value(u"controls"_s);

        app.act(click);

        if (refusal.isEmpty()) {
            QVERIFY2(!statements(app).filter(sent).isEmpty(), qPrintable(statements(app).join(u"\n"_s).right(2000)));
            for (const QJsonValue &m : app.messages())
                QCOMPARE(m.toObject().value(u"text"_s).toString(), u"완료되었습니다."_s);
            return;
        }
        QCOMPARE(app.messages().size(), 1);
        QVERIFY2(lastMessage(app).contains(refusal), qPrintable(lastMessage(app)));
        QCOMPARE(app.state().value(u"controls"_s), controlsBefore);
        QCOMPARE(traces(app), before);
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
        // The code line is longer than one row of SP_HELPTEXT.
        QStringList codes;
        for (int i = 1; i <= 30; ++i)
            codes << u"CT%1"_s.arg(i, 4, 10, QLatin1Char('0'));
        QTest::newRow("KE, 30 codes over two rows")
            << RoundTrip{1, u"CT30"_s, u"-"_s, u"CT"_s, u"CT"_s, codes.join(u','), false, 0, u"CT30"_s, u"CT30"_s, 0};
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

        // Registered again as read back, the view keeps every code it had.
        const auto codeLines = [&] {
            QStringList rows;
            for (db::Recordset r = app.form().database().open(u"SP_HELPTEXT "_s + name); !r.eof(); r.moveNext())
                rows << r.text(0);
            return worklist::reader::definitionLines(rows).filter(u"Order_Code"_s);
        };
        const QStringList before = codeLines();
        QCOMPARE(before.size(), c.codes.isEmpty() ? 0 : 1);
        app.act(u"answer Yes\nclick Command6"_s);
        QCOMPARE(lastMessage(app), u"완료되었습니다."_s);
        QCOMPARE(codeLines(), before);
    }

    void baseView()
    {
        AppHarness app(AppHarness::LoggedIn);
        app.act(u"type Text10 X\ntype Text5 keep\npick List2 %1"_s.arg(app.items(u"List2"_s).indexOf(u"VMWL"_s)));
        QCOMPARE(lastMessage(app), u"해당 데이터는 수정 할 수 없습니다."_s);
        QCOMPARE(app.text(u"Text10"_s), QString());
        QCOMPARE(app.text(u"Text11"_s), u"VMWL"_s);
        QCOMPARE(app.text(u"Text5"_s), QString());
        QVERIFY(app.text(u"Text8"_s).contains(u"\r\n1. "_s));
    }

    // A definition that cannot be read (here a view dropped since the list was loaded) leaves the builder as
    // it was: the clicked view's name beside emptied fields would let "DB 등록" alter it without its filters.
    void failedDefinitionReadChangesNothing()
    {
        AppHarness app(AppHarness::LoggedIn);
        app.act(u"type Text2 KEEP\nfocus Text6\ntype Text6 CT\ntype Text3 CT\ntype Text4 Che001,Che002\n"
                "click Command6\ntype Text2 GONE\nclick Command6"_s);
        app.form().database().executeSql(u"Drop View VMWL_EE_GONE"_s);
        const QStringList fields{u"Text2"_s, u"Text3"_s, u"Text4"_s,  u"Text5"_s,
                                 u"Text6"_s, u"Text8"_s, u"Text10"_s, u"Text11"_s};
        const auto shown = [&] {
            QStringList values;
            for (const QString &field : fields)
                values << app.text(field);
            return values;
        };
        app.act(u"pick List2 %1"_s.arg(app.items(u"List2"_s).indexOf(u"VMWL_EE_KEEP"_s)));
        const QStringList before = shown();
        QVERIFY(!app.text(u"Text3"_s).isEmpty());
        app.act(u"pick List2 %1"_s.arg(app.items(u"List2"_s).indexOf(u"VMWL_EE_GONE"_s)));
        QVERIFY(lastMessage(app).contains(u"VMWL_EE_GONE"_s));
        QCOMPARE(shown(), before);
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

    void markerLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("settings");
        QTest::addColumn<QString>("expected");
        const QString station = u" 'AETITLE' AS scheduled_station_aetitle, "_s;
        row("station AE empty: template line", station, {}, station);
        row("station AE", station, {u"stationAe=FCR-CSL"_s}, u" 'FCR-CSL' AS scheduled_station_aetitle, "_s);
        row("station AE with a quote doubled", station, {u"stationAe=O'K"_s},
            u" 'O''K' AS scheduled_station_aetitle, "_s);
        row("station AE marker in other case is no marker", u" 'aetitle' AS scheduled_station_aetitle, "_s,
            {u"stationAe=X"_s}, u" 'aetitle' AS scheduled_station_aetitle, "_s);
        const QString modality = u" a.ORDER_MODALITY AS modality, "_s;
        row("device modality empty", modality, {}, modality);
        row("device modality", modality, {u"deviceModality=DX"_s}, u" 'DX' AS modality, "_s);
        const QString both = u" 'AETITLE' + a.ORDER_MODALITY AS x, "_s;
        row("station line first: both markers", both, {u"deviceModality=DX"_s}, both);
        row("station line first, station set", both, {u"stationAe=S1"_s, u"deviceModality=DX"_s},
            u" 'S1' AS scheduled_station_aetitle, "_s);

        const QString patient = u"/* Patient Identification*/ p.PATIENT_NAME AS patient_name, "_s;
        const QString koreanForm = u"'=' + p.PATIENT_NAME AS patient_name, "_s;
        row("KK with \\ISO 2022 IR 149", patient, {u"kind=한글이름 / 검사명한글"_s, u"charset=\\ISO 2022 IR 149"_s},
            koreanForm);
        row("KE with \\ISO 2022 IR 149", patient, {u"kind=한글이름 / 검사명영문"_s, u"charset=\\ISO 2022 IR 149"_s},
            koreanForm);
        row("EK with \\ISO 2022 IR 149", patient, {u"kind=영문이름 / 검사명한글"_s, u"charset=\\ISO 2022 IR 149"_s},
            patient);
        row("KK with ISO_IR 100", patient, {u"kind=한글이름 / 검사명한글"_s}, patient);
        row("KK with ISO 2022 IR 149, no backslash", patient,
            {u"kind=한글이름 / 검사명한글"_s, u"charset=ISO 2022 IR 149"_s}, patient);

        const QString code = u" a.ORDER_CODE AS order_code, a.ORDER_CODE AS c2, "_s;
        row("code mapping off", code, {}, code);
        row("code mapping, every occurrence", code, {u"mapping=1"_s, u"mappingText=X"_s},
            u" Replace(a.ORDER_CODE + 'X', '8X' , 'X8') AS order_code, Replace(a.ORDER_CODE + 'X', '8X' , 'X8') AS "_s
            u"c2, "_s);
        row("code mapping text with a quote", u"a.ORDER_CODE"_s, {u"mapping=1"_s, u"mappingText='"_s},
            u"Replace(a.ORDER_CODE + '''', '8''' , '''8')"_s);

        const QString charset = u" /* scheduled Procedure Step*/'ISO_IR 100' AS specific_character_set, "_s;
        row("character set always", charset, {u"charset=\\ISO 2022 IR 149"_s},
            u" /* scheduled Procedure Step*/'\\ISO 2022 IR 149' AS specific_character_set, "_s);
        row("empty character set", charset, {u"charset="_s},
            u" /* scheduled Procedure Step*/'' AS specific_character_set, "_s);

        const QString cut = u"Substring(VUR_TCOMMON.F_HANCONVERT(a.ORDER_NAME,1), "_s;
        row("cut off", u" a.ORDER_NAME AS scheduled_procedure_desc,"_s, {},
            u" a.ORDER_NAME AS scheduled_procedure_desc,"_s);
        row("cut: scheduled desc", u" a.ORDER_NAME AS scheduled_procedure_desc,"_s, {u"cut=1"_s},
            cut + u"1, 18) AS scheduled_procedure_desc,"_s);
        row("cut: line's own case does not matter", u" a.order_name as Requested_Procedure_Desc,"_s,
            {u"cut=1"_s, u"cutStart=3"_s}, cut + u"3, 18) AS requested_procedure_desc,"_s);
        row("cut: scheduled code meaning", u" x AS scheduled_code_meaning,"_s, {u"cut=1"_s},
            cut + u"1, 18) AS SCHEDULED_CODE_MEANING,"_s);
        row("cut: last column has no comma", u" x AS REQUESTED_CODE_MEANING "_s, {u"cut=1"_s},
            cut + u"1, 18) AS REQUESTED_CODE_MEANING "_s);
        row("plain line", u" p.PATIENT_ID AS patient_id,"_s, {u"cut=1"_s, u"stationAe=X"_s},
            u" p.PATIENT_ID AS patient_id,"_s);
    }

    void markerLines()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, settings);
        QFETCH(QString, expected);
        QCOMPARE(worklist::generateLine(line, fields(settings)), expected);
    }

    // The whole statement of a small template: header, lines, filters, each ended by CR LF.
    void viewStatements_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("settings");
        QTest::addColumn<QString>("expected"); // what follows the template's lines
        const QString head = u"Create View VMWL_KK_CT1_11(\r\n a,\r\n) AS\r\nWHERE 1 = 1\r\n"_s;
        row("no filters", u""_s, {}, head);
        row("modalities", u""_s, {u"modalities=CR,RF"_s}, head + u"And a.Order_Modality IN ('CR','RF') \r\n"_s);
        row("codes with a blank kept", u""_s, {u"codes=Che001, Che002"_s},
            head + u"And a.Order_Code IN ('Che001',' Che002') \r\n"_s);
        row("codes excluded", u""_s, {u"codes=Che001,Che002"_s, u"exclude=1"_s},
            head + u"And a.Order_Code NOT IN ('Che001','Che002') \r\n"_s);
        row("exclude without codes", u""_s, {u"exclude=1"_s}, head);
        row("both, modality first", u""_s, {u"modalities=CT"_s, u"codes=A1"_s},
            head + u"And a.Order_Modality IN ('CT') \r\nAnd a.Order_Code IN ('A1') \r\n"_s);
        row("quote in a code", u""_s, {u"codes=O'1"_s}, head + u"And a.Order_Code IN ('O''1') \r\n"_s);
    }

    void viewStatements()
    {
        QFETCH(QStringList, settings);
        QFETCH(QString, expected);
        const QString header = worklist::viewHeader(false, u"VMWL_KK_CT1_11"_s);
        QCOMPARE(worklist::generateView(header, {u" a,"_s, u") AS"_s, u"WHERE 1 = 1"_s}, fields(settings)), expected);
    }

    void registering_data()
    {
        QTest::addColumn<Registering>("r");
        const auto row = [](const char *name, const QStringList &lines, const QString &ae, const QString &view,
                            bool fcr, const QStringList &expected) {
            QTest::newRow(name) << Registering{lines, ae, view, fcr, expected};
        };
        row("empty list", {u"[S]"_s, u"CustomAETitle="_s, u"X=1"_s}, u"CT01"_s, u"VMWL_KK_CT01"_s, false,
            {u"[S]"_s, u"CustomAETitle=CT01^^VMWL_KK_CT01^^^^||"_s, u"X=1"_s});
        row("appended after the others", {u"CustomAETitle=DR01^^VMWL_EE_DR01^^^^||"_s}, u"CT01"_s, u"VMWL_KK_CT01"_s,
            false, {u"CustomAETitle=DR01^^VMWL_EE_DR01^^^^||CT01^^VMWL_KK_CT01^^^^||"_s});
        row("listed first: unchanged even for another view", {u"CustomAETitle=CT01^^VMWL_EE_CT01^^^^||"_s}, u"CT01"_s,
            u"VMWL_KK_CT01"_s, false, {u"CustomAETitle=CT01^^VMWL_EE_CT01^^^^||"_s});
        row("listed after ||", {u"customaetitle=A^^V^^^^||CT01^^V2^^^^||"_s}, u"CT01"_s, u"V3"_s, false,
            {u"customaetitle=A^^V^^^^||CT01^^V2^^^^||"_s});
        row("letter case counts", {u"CustomAETitle=CT01^^V^^^^||"_s}, u"ct01"_s, u"VMWL_KK_CT01"_s, false,
            {u"CustomAETitle=CT01^^V^^^^||ct01^^VMWL_KK_CT01^^^^||"_s});
        row("prefix title", {u"CustomAETitle=CT01^^V^^^^||"_s}, u"CT0"_s, u"VMWL_KK_CT0"_s, false,
            {u"CustomAETitle=CT01^^V^^^^||CT0^^VMWL_KK_CT0^^^^||"_s});
        row("FCR flag set", {u"FCR_XG5000=0"_s, u"CustomAETitle="_s}, u"A"_s, u"V"_s, true,
            {u"FCR_XG5000=1"_s, u"CustomAETitle=A^^V^^^^||"_s});
        row("FCR flag kept without the box", {u"FCR_XG5000=0"_s}, u"A"_s, u"V"_s, false, {u"FCR_XG5000=0"_s});
        row("FCR flag never cleared", {u"fcr_xg5000=1"_s}, u"A"_s, u"V"_s, true, {u"fcr_xg5000=1"_s});
        row("no device-list line", {u"A=1"_s, u"B=2"_s}, u"CT01"_s, u"V"_s, false, {u"A=1"_s, u"B=2"_s});
    }

    void registering()
    {
        QFETCH(Registering, r);
        QCOMPARE(control::registerDevice(r.lines, r.ae, r.view, r.fcr), r.expected);
    }

    void removing_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("ae");
        QTest::addColumn<QString>("view");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const QString &line, const QString &ae, const QString &view,
                            const QString &expected) { QTest::newRow(name) << line << ae << view << expected; };
        row("both names, others kept as they were",
            u"CustomAETitle=dr01^^VMWL_EE_DR01^^^^||CT01^^VMWL_EE_CT01^^^^||CT01^^VMWL_E_CT01^^^^||Mr-1^^VMWL_KK_MR1_"_s
            u"11^^^^||"_s,
            u"CT01"_s, u"VMWL_EE_CT01"_s, u"CustomAETitle=dr01^^VMWL_EE_DR01^^^^||Mr-1^^VMWL_KK_MR1_11^^^^||"_s);
        row("letter case of title and view ignored", u"CustomAETitle=ct01^^vmwl_ee_ct01^^^^||X^^Y^^^^||"_s, u"CT01"_s,
            u"VMWL_EE_CT01"_s, u"CustomAETitle=X^^Y^^^^||"_s);
        row("only the older name listed: kept", u"CustomAETitle=CT01^^VMWL_K_CT01^^^^||"_s, u"CT01"_s,
            u"VMWL_KK_CT01"_s, u"CustomAETitle=CT01^^VMWL_K_CT01^^^^||"_s);
        row("only the new name listed", u"CustomAETitle=CT01^^VMWL_KK_CT01^^^^||X^^Y^^^^||"_s, u"CT01"_s,
            u"VMWL_KK_CT01"_s, u"CustomAETitle=X^^Y^^^^||"_s);
        row("not listed: unchanged", u"CustomAETitle=DR01^^VMWL_EE_DR01^^^^||"_s, u"CT01"_s, u"VMWL_EE_CT01"_s,
            u"CustomAETitle=DR01^^VMWL_EE_DR01^^^^||"_s);
        row("longer title kept", u"CustomAETitle=XCT01^^VMWL_EE_CT01^^^^||"_s, u"CT01"_s, u"VMWL_EE_CT01"_s,
            u"CustomAETitle=XCT01^^VMWL_EE_CT01^^^^||"_s);
        row("text after the last entry kept", u"CustomAETitle=CT01^^V^^^^||tail"_s, u"CT01"_s, u"V"_s,
            u"CustomAETitle=tail"_s);
    }

    void removing()
    {
        QFETCH(QString, line);
        QFETCH(QString, ae);
        QFETCH(QString, view);
        QFETCH(QString, expected);
        const QStringList result =
            control::removeDevice({u"[S]"_s, line, u"FCR_XG5000=1"_s}, ae, view, control::olderViewName(view));
        QCOMPARE(result, (QStringList{u"[S]"_s, expected, u"FCR_XG5000=1"_s}));
    }

    void names_data()
    {
        QTest::addColumn<Naming>("n");
        const QString kk = u"한글이름 / 검사명한글"_s, ke = u"한글이름 / 검사명영문"_s, ek = u"영문이름 / 검사명한글"_s,
                      ee = u"영문이름 / 검사명영문"_s, eg = u"영문이름 / 검사명영문(기초자료)"_s;
        const auto row = [](const char *n, const QString &caption, const QString &ae, const QString &name,
                            const QString &title, const QString &read, int cut, const QString &older) {
            QTest::newRow(n) << Naming{caption, ae, name, title, read, cut, older};
        };
        row("KK with dash", kk, u"ct-1"_s, u"VMWL_KK_CT1_11"_s, u"CT-1"_s, kk, 0, u"VMWL_K_CT1_11"_s);
        row("KE, two dashes", ke, u"a-b-c"_s, u"VMWL_KE_A1_1B1_1C"_s, u"A-B-C"_s, ke, 0, u"VMWL_K_A1_1B1_1C"_s);
        row("EK, blank kept", ek, u"CT 1"_s, u"VMWL_EK_CT 1"_s, u"CT 1"_s, ek, 0, u"VMWL_E_CT 1"_s);
        row("EE", ee, u"DR01"_s, u"VMWL_EE_DR01"_s, u"DR01"_s, ee, 1, u"VMWL_E_DR01"_s);
        row("EG", eg, u"ct-1"_s, u"VMWL_EG_CT1_11"_s, u"CT-1"_s, eg, -1, u"VMWL_EG_CT1_11"_s);
        row("EE with a blank after is EG", ee + u" "_s, u"DX1"_s, u"VMWL_EG_DX1"_s, u"DX1"_s, eg, -1, u"VMWL_EG_DX1"_s);
        row("typed text is EG", u"anything"_s, u"DX1"_s, u"VMWL_EG_DX1"_s, u"DX1"_s, eg, -1, u"VMWL_EG_DX1"_s);
        row("empty caption is EG", u""_s, u"DX1"_s, u"VMWL_EG_DX1"_s, u"DX1"_s, eg, -1, u"VMWL_EG_DX1"_s);
        row("one-letter K", u"-"_s, u""_s, u"VMWL_K_CR01"_s, u"CR01"_s, kk, 0, u"VMWL_K_CR01"_s);
        row("one-letter E", u"-"_s, u""_s, u"VMWL_E_CR01"_s, u"CR01"_s, ek, 0, u"VMWL_E_CR01"_s);
        row("marker order over the whole name", u"-"_s, u""_s, u"VMWL_EE_A_K_B"_s, u"A_K_B"_s, kk, 0,
            u"VMWL_E_A_K_B"_s);
        row("base view", u"-"_s, u""_s, u"VMWL"_s, u""_s, eg, -1, u"VMWL"_s);
        row("a table named like a view", u"-"_s, u""_s, u"VMWL_TEST"_s, u"T"_s, eg, -1, u"VMWL_TEST"_s);
    }

    void names()
    {
        QFETCH(Naming, n);
        if (n.caption != QLatin1String("-"))
            QCOMPARE(worklist::viewName(worklist::kindFromCaption(n.caption), n.ae), n.name);
        QCOMPARE(reader::titleOf(n.name), n.title);
        const reader::KindReading kind = reader::kindOf(n.name);
        QCOMPARE(kind.caption, n.readCaption);
        QCOMPARE(kind.cut ? int(*kind.cut) : -1, n.cut);
        QCOMPARE(control::olderViewName(n.name), n.older);
    }

    void values_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("quoted");
        QTest::addColumn<QString>("list");
        const auto row = [](const char *name, const QString &line, const QString &quoted, const QString &list) {
            QTest::newRow(name) << line << quoted << list;
        };
        row("station", u" 'CT01' AS scheduled_station_aetitle, "_s, u"CT01"_s, u"-"_s);
        row("character set", u" /* scheduled Procedure Step*/'\\ISO 2022 IR 149' AS specific_character_set, "_s,
            u"\\ISO 2022 IR 149"_s, u"-"_s);
        row("list", u"And a.Order_Code NOT IN ('Che001','Che002') "_s, u"Che001"_s, u"Che001,Che002"_s);
        row("list keeps blanks", u"And a.Order_Code IN ('Che001',' Che002') "_s, u"Che001"_s, u"Che001, Che002"_s);
        row("blank outside the quotes kept", u"IN ('A', 'B')"_s, u"A"_s, u"A, B"_s);
        row("doubled quote", u" 'O''K' AS scheduled_station_aetitle,"_s, u"O'K"_s, u"-"_s);
        row("doubled quote in a list", u"IN ('O''1','B')"_s, u"O'1"_s, u"O'1,B"_s);
        row("parenthesis inside a quoted item", u"IN ('A)','B')"_s, u"A)"_s, u"A),B"_s);
        row("one quote only", u" 'CT01 AS scheduled_station_aetitle"_s, u"-"_s, u"-"_s);
        row("no quote", u" x AS modality,"_s, u"-"_s, u"-"_s);
        row(") before the first quote", u"IN () 'A'"_s, u"A"_s, u"-"_s);
        row("no closing parenthesis", u"IN ('A','B'"_s, u"A"_s, u"-"_s);
        row("empty value", u" '' AS specific_character_set,"_s, u""_s, u"-"_s);
    }

    void values()
    {
        QFETCH(QString, line);
        QFETCH(QString, quoted);
        QFETCH(QString, list);
        QCOMPARE(orNone(reader::quotedValue(line)), quoted);
        QCOMPARE(orNone(reader::listValue(line)), list);
    }

    void definitions_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("read"); // station|device|modalities|codes|exclude|character set, "-" for none
        QTest::newRow("template lines give nothing")
            << QStringList{u" 'AETITLE' AS scheduled_station_aetitle, "_s, u" a.ORDER_MODALITY AS modality, "_s,
                           u" 'aetitle' as Scheduled_Station_AETitle,"_s, u" A.Order_Modality AS MODALITY,"_s}
            << "-|-|-|-|-|-";
        QTest::newRow("not made by the tool")
            << QStringList{u"CREATE VIEW dbo.VMWL_OTHER AS"_s, u"SELECT PATIENT_ID, PATIENT_NAME FROM TPATIENT"_s,
                           u"WHERE PATIENT_ID <> ''"_s}
            << "-|-|-|-|-|-";
        QTest::newRow("broken line keeps the earlier value")
            << QStringList{u"And a.Order_Modality IN ('CT') "_s, u"And a.Order_Modality IN ('MR' "_s,
                           u" 'DX' AS modality,"_s, u" 'CR AS modality,"_s}
            << "-|DX|CT|-|-|-";
    }

    void definitions()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, read);
        const reader::DefinitionReading r = reader::readDefinition(lines);
        const QString exclude = r.excludeCodes ? QString::number(int(*r.excludeCodes)) : u"-"_s;
        QCOMPARE(QStringList({orNone(r.stationAe), orNone(r.deviceModality), orNone(r.orderModalities),
                              orNone(r.orderCodes), exclude, orNone(r.characterSet)})
                     .join(u'|'),
                 read);
    }
};

QTEST_MAIN(TestViewBuilder)
#include "test_view_builder.moc"

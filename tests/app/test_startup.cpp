#include "support/window_checks.h"

#include "app/access_code.h"
#include "app/qt_message_boxes.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

using Prepare = std::function<void(TestSite &)>;
Q_DECLARE_METATYPE(Prepare)

// The access code, the loading of the main window and the ways out; the tool as
// a black box: a script of operator actions in, what the windows show out; and
// the window's own behaviour: hover hints, the Enter path through the builder's
// fields, the lists taking the focus, the station AE following the AE title.
class TestStartup : public QObject
{
    Q_OBJECT

    // The logged-in window of the test that asks for it; the startup tests make their own.
    std::unique_ptr<AppHarness> m_window;
    AppHarness &window()
    {
        if (!m_window)
            m_window = std::make_unique<AppHarness>(AppHarness::LoggedIn);
        return *m_window;
    }
    QString hint() { return window().text(u"Label3"_s); }
    QString focus() { return window().state().value(u"focus"_s).toString(); }

    struct Run
    {
        int exitCode;
        QByteArray errors;
        QJsonObject state;
    };

    // The tool run on the site with the script; what it shows is written beside the site's files.
    Run run(const TestSite &site, const QString &script, const QStringList &extra = {})
    {
        QProcess tool;
        tool.start(QStringLiteral(KZ_TOOL),
                   QStringList{u"--app-dir"_s, site.dir(), u"--drive-root"_s, site.file(u"drives"_s),
                               u"--record-commands"_s, u"--today"_s, u"2026-12-06"_s, u"--automate"_s, script,
                               u"--state"_s, site.file(u"state.json"_s)} +
                       extra);
        if (!tool.waitForFinished(60000))
            return {-1, "timed out", {}};
        return {tool.exitCode(), tool.readAllStandardError(),
                QJsonDocument::fromJson(site.readBytes(u"state.json"_s)).object()};
    }

    Run runLines(const TestSite &site, const QByteArray &lines)
    {
        site.writeBytes(u"script.txt"_s, lines);
        return run(site, site.file(u"script.txt"_s));
    }

private Q_SLOTS:
    void cleanup() { m_window.reset(); }

    // The day's code opens the main window, loaded; anything else is refused
    // and the operator may try again.
    void login_data()
    {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        const QDate today(2026, 12, 6);
        QTest::newRow("2026-12-06") << today << u"79738793"_s << true;
        QTest::newRow("2000-01-01") << QDate(2000, 1, 1) << u"79999898"_s << true;
        QTest::newRow("2019-09-16") << QDate(2019, 9, 16) << u"79809083"_s << true;
        QTest::newRow("empty") << today << QString() << false;
        QTest::newRow("extra blank") << today << u"79738793 "_s << false;
        QTest::newRow("yesterday's code") << today << app::accessCode(QDate(2026, 12, 5)) << false;
        QTest::newRow("the date itself") << today << u"20261206"_s << false;
    }

    void login()
    {
        QFETCH(QDate, day);
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        AppHarness app(day);
        app.act(u"login "_s + typed);
        QCOMPARE(app.form().isVisible(), accepted);
        QCOMPARE(app.loginDialog().isVisible(), !accepted);
        if (accepted) {
            QCOMPARE(app.state().value(u"focus"_s).toString(), u"Text2"_s);
            QVERIFY(app.messages().isEmpty());
            const QStringList charsets = app.items(u"Combo2"_s);
            QCOMPARE(charsets.size(), 26);
            QCOMPARE(charsets.mid(0, 4),
                     (QStringList{u"ISO_IR 100"_s, u"ISO 2022 IR 149"_s, u"\\ISO 2022 IR 149"_s, u"ISO_IR 192"_s}));
            QCOMPARE(app.text(u"Combo2"_s), u"ISO_IR 100"_s);
            QCOMPARE(app.control(u"Combo2"_s).value(u"index"_s).toInt(), -1);
            QCOMPARE(app.items(u"Combo3"_s),
                     (QStringList{u"한글이름 / 검사명한글"_s, u"한글이름 / 검사명영문"_s, u"영문이름 / 검사명한글"_s,
                                  u"영문이름 / 검사명영문"_s, u"영문이름 / 검사명영문(기초자료)"_s}));
            QCOMPARE(app.text(u"Combo3"_s), u"영문이름 / 검사명영문"_s);
            QCOMPARE(app.text(u"Combo1"_s), u"복사 대상 계정 선택"_s);
            for (const char *name : {"Command1", "Command3", "Command5", "Command6"})
                QVERIFY(checks::enabled(app, QLatin1String(name)));
            return;
        }
        QCOMPARE(app.messages().size(), 1);
        QCOMPARE(checks::lastMessage(app), u"암호가 잘못되었습니다. 다시 시도하십시오"_s);
        QCOMPARE(app.messages().at(0).toObject().value(u"title"_s).toString(), u"로그인"_s);
        QCOMPARE(app.state().value(u"focus"_s).toString(), u"txtPassword"_s);
        QCOMPARE(app.loginDialog().ui().txtPassword->selectedText(), typed);
        QVERIFY(checks::statements(app).isEmpty());

        app.login();
        QVERIFY(app.form().isVisible());
        QVERIFY(!app.loginDialog().isVisible());
    }

    // What the site holds at login: the one message, if any, whether the tool
    // ends, the log option read from the control file, the log folder found.
    void startsOnASite_data()
    {
        QTest::addColumn<Prepare>("prepare");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("ended");
        QTest::addColumn<int>("option"); // armed with this option on; 0 not armed
        QTest::addColumn<QString>("logFolder");
        const auto row = [](const char *name, const Prepare &prepare, const QString &message, bool ended, int option,
                            const QString &logFolder) {
            QTest::newRow(name) << prepare << message << ended << option << logFolder;
        };
        const QString control = TestSite::kControlFile;
        const auto controlFiles = [control](const QByteArray &first, const QByteArray &second) -> Prepare {
            return [=](TestSite &site) {
                QFile::remove(site.file(control));
                if (!first.isEmpty())
                    site.writeBytes(u"drives/c/Brevan/QoRVA_Clinic_MWLScp/ZORadoDidServiceControl.ini"_s,
                                    "A=1\r\n" + first + "\r\n");
                if (!second.isEmpty())
                    site.writeBytes(control, "B=1\r\n" + second + "\r\n");
            };
        };
        const auto logFolders = [](bool rudivuv, bool brevan) -> Prepare {
            return [=](TestSite &site) {
                QDir drives(site.file(u"drives/c"_s));
                if (!rudivuv)
                    QDir(drives.filePath(u"RUDIVUV/Log"_s)).removeRecursively();
                if (brevan)
                    drives.mkpath(u"Brevan/Log"_s);
            };
        };
        row("no DB.ini", [](TestSite &site) { QFile::remove(site.file(u"DB.ini"_s)); }, u"DB 연결 실패"_s, true, 0, {});
        row("no control file", controlFiles({}, {}),
            u"ZORadoDidServiceControl.ini 파일이 없습니다. 확인 후 실행하시기 바랍니다."_s, false, 0, {});
        row("account table unreadable", checks::demoPlus("DROP TABLE Tuser;"), u"Tuser"_s, false, 1, {});
        row("control file in the second place only", controlFiles({}, "LogLevel=4"), {}, false, 2, {});
        row("control files in both: the first wins", controlFiles("LogLevel=4", "LogLevel=1"), {}, false, 2, {});
        row("control file in the first place only", controlFiles("LogLevel=3", {}), {}, false, 1, {});
        row("first log folder present", logFolders(true, false), {}, false, 1, u"C:\\RUDIVUV\\Log\\"_s);
        row("neither log folder", logFolders(false, false), {}, false, 1, u"C:\\Brevan\\Log\\"_s);
        row("only the second log folder", logFolders(false, true), {}, false, 1, u"C:\\Brevan\\Log\\"_s);
    }

    void startsOnASite()
    {
        QFETCH(Prepare, prepare);
        QFETCH(QString, message);
        QFETCH(bool, ended);
        QFETCH(int, option);
        QFETCH(QString, logFolder);
        AppHarness app(AppHarness::LoggedIn, prepare);
        QCOMPARE(app.messages().size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty())
            QVERIFY2(checks::lastMessage(app).contains(message), qPrintable(checks::lastMessage(app)));
        QCOMPARE(app.ended(), ended);
        QCOMPARE(app.form().database().isOpen(), !ended);
        QCOMPARE(app.form().logOptionArmed(), option > 0);
        if (option > 0)
            QCOMPARE(checks::value(app, u"Option%1"_s.arg(option)), 1);
        if (!logFolder.isEmpty())
            QCOMPARE(app.text(u"Text12"_s), logFolder);
        if (ended)
            QVERIFY(app.items(u"Combo2"_s).isEmpty() && app.items(u"List1"_s).isEmpty() &&
                    !checks::enabled(app, u"Command6"_s));
        else
            QCOMPARE(app.items(u"List2"_s), QStringList{u"VMWL"_s});
        QVERIFY(app.commands().isEmpty()); // reading never restarts the gateway
    }

    // Cancel at the login and the exit button end the tool without a statement,
    // a gateway command or a change to the control file.
    void waysOut_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("exit");
        QTest::newRow("cancel") << QString() << u"cancel"_s;
        QTest::newRow("exit button") << u"login 79738793\nclick Option2"_s << u"click Com_End"_s;
    }

    void waysOut()
    {
        QFETCH(QString, before);
        QFETCH(QString, exit);
        AppHarness app;
        app.act(before);
        const QStringList commands = app.commands();
        const QStringList statements = checks::statements(app);
        const QByteArray control = checks::controlFile(app);
        app.act(exit);
        QVERIFY(app.ended());
        QCOMPARE(app.commands(), commands);
        QCOMPARE(checks::statements(app), statements);
        QCOMPARE(checks::controlFile(app), control);
        QVERIFY(!app.form().database().isOpen());
        QCOMPARE(QFile::exists(app.site().file(u"archive.db"_s)), !before.isEmpty());
    }

    void windowScript()
    {
        TestSite site;
        const QString png = site.file(u"main.png"_s);
        const Run r = run(site, TestSite::testData(u"automation/window.txt"_s), {u"--screenshot"_s, png});
        QCOMPARE(r.exitCode, 0);
        const QJsonArray snapshots = r.state.value(u"snapshots"_s).toArray();
        QCOMPARE(snapshots.size(), 2);

        const QJsonObject first = snapshots.at(0).toObject();
        const QJsonObject controls = first.value(u"controls"_s).toObject();
        QCOMPARE(first.value(u"focus"_s).toString(), u"List1"_s);
        QCOMPARE(controls.value(u"List1"_s).toObject().value(u"selected"_s).toArray(), (QJsonArray{0, 2}));
        QVERIFY(!controls.value(u"Command10"_s).toObject().value(u"visible"_s).toBool());
        QCOMPARE(first.value(u"ended"_s).toBool(), false);

        const QJsonObject last = r.state.value(u"final"_s).toObject();
        QCOMPARE(last.value(u"ended"_s).toBool(), true);
        QCOMPARE(last.value(u"commands"_s).toArray(),
                 (QJsonArray{u"taskkill /F /IM QXGateWayService.exe /T"_s, u"taskkill /F /IM ZORadoDidService.exe /T"_s,
                             u"net start KALDEN1"_s, u"taskkill /F /IM QXGateWayService.exe /T"_s,
                             u"taskkill /F /IM ZORadoDidService.exe /T"_s, u"net start KALDEN1"_s}));
        QVERIFY(last.value(u"statements"_s).toArray().size() >= 3);
        QVERIFY(last.value(u"messages"_s).toArray().isEmpty());
        QVERIFY(site.readBytes(TestSite::kControlFile).contains("\r\nLogLevel=0\r\n"));
        // Recorded, never started: a site's gateway keeps running.
        QVERIFY(!QFile::exists(site.file(u"gateway-commands.log"_s)));
        QVERIFY(QImage(png).width() >= 719);
    }

    void keyboardScript()
    {
        TestSite site;
        const Run r = run(site, TestSite::testData(u"automation/keyboard.txt"_s));
        QCOMPARE(r.exitCode, 0);
        const QJsonArray snapshots = r.state.value(u"snapshots"_s).toArray();
        QCOMPARE(snapshots.size(), 3);
        // Typed key by key and left with Tab: the text as typed, nothing completed.
        const QJsonObject typed = snapshots.at(0).toObject();
        QCOMPARE(typed[u"controls"_s][u"Combo2"_s][u"text"_s].toString(), u"ISO_IR 13"_s);
        QCOMPARE(typed.value(u"focus"_s).toString(), u"Combo3"_s);

        // Enter on the focused button registers the view with the typed character set.
        const QJsonObject registered = snapshots.at(1).toObject();
        QString create;
        for (const QJsonValue &s : registered.value(u"statements"_s).toArray()) {
            if (s.toString().contains(QLatin1String("VMWL_EE_CT13")) &&
                s.toString().startsWith(QLatin1String("Create")))
                create = s.toString();
        }
        QVERIFY2(create.contains(QLatin1String("'ISO_IR 13' AS")), qPrintable(create));
        QVERIFY(!create.contains(QLatin1String("ISO_IR 138")));
        QCOMPARE(registered.value(u"messages"_s).toArray().last()[u"text"_s].toString(), u"완료되었습니다."_s);
        // End in the view list reads its last view back (the list has no order of its own).
        const QJsonObject final = r.state[u"final"_s].toObject();
        const QJsonArray views = final[u"controls"_s][u"List2"_s][u"items"_s].toArray();
        QVERIFY(views.contains(u"VMWL_EE_CT13"_s));
        QCOMPARE(final[u"controls"_s][u"Text11"_s][u"text"_s].toString(), views.last().toString());
    }

    void unknownControlNamesTheLine()
    {
        const Run r = runLines(TestSite(), "login 79738793\n\n# a comment\nclick Command99\ndump\n");
        QVERIFY(r.exitCode != 0);
        QVERIFY2(r.errors.contains(":4:") && r.errors.contains("Command99"), r.errors.constData());
        QVERIFY(r.state.contains(u"final"_s));
    }

    void messageAnswersAreRecorded()
    {
        TestSite site;
        QFile::remove(site.file(u"DB.ini"_s));
        const Run r = runLines(site, "login 11111111\nlogin 79738793\nclick Command6\n");
        QCOMPARE(r.exitCode, 0);
        const QJsonObject last = r.state.value(u"final"_s).toObject();
        const QJsonArray messages = last.value(u"messages"_s).toArray();
        QCOMPARE(messages.size(), 2);
        QCOMPARE(messages.at(1).toObject(), (QJsonObject{{u"text"_s, u"DB 연결 실패"_s},
                                                         {u"title"_s, u"KALDEN-Z 설정 Tool"_s},
                                                         {u"buttons"_s, u"OK"_s},
                                                         {u"answer"_s, u"OK"_s}}));
        QCOMPARE(last.value(u"ended"_s).toBool(), true);
    }

    void hints_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("expected");
        const auto rows = [](const QString &hint, std::initializer_list<const char *> controls) {
            for (const char *control : controls)
                QTest::newRow(control) << QString::fromLatin1(control) << hint;
        };
        rows(u"기본 ISO_IR 100 설정 \r\nFCR 경우 한글 설정 및 Character_set : '\\ISO 2022 IR 149', 일부 FCR 장비는 "
             "Station Ae : FCR-CSL, Modality : CR 입력 필요"_s,
             {"Label2"});
        rows(u"장비에서 Worklist 요청 시 SCHEDULED_STATION_AETITLE 값이 있을 경우 사용"_s, {"Label4", "Text5"});
        rows(u"장비 Ae Title 입력\r\nAe Title 모를경우 Worklist Log 강화 후 확인 가능"_s, {"Label7", "Text2"});
        rows(u"PACS처방은 CR, 장비는 DX 요청     : DX <- CR\r\n"
             "PACS처방은 CR, 장비도 CR 요청     :      <- CR\r\n"
             "PACS처방은 CR,RF, 장비는 DX 요청 : DX <- CR,RF\r\n"
             "장비는 모든 처방을 받고 CR,RF 만 받고 싶을경우:    <- CR,RF\r\n"_s,
             {"Label8", "Text3", "Text6"});
        rows(u"특정 장비에서 Che001 사용자 코드만 필요한 경우 Che001 입력\r\n두개 이상일경우 ,로 구분 Che001, Che002"_s,
             {"Label9", "Text4"});
        rows(u"장비 Worklist에서 한글 표시 여부 설정"_s, {"Label13"});
    }

    void hints()
    {
        QFETCH(QString, control);
        QFETCH(QString, expected);
        window().act(u"click Check3\nhover "_s + control); // Check3 lets the station AE take the mouse
        QCOMPARE(hint(), expected);
        // Controls without a hint leave it; the bare window clears it.
        for (const char *other : {"Command6", "Check4", "Combo2", "List2", "Label6", "Label10", "Text8"}) {
            window().act(u"hover "_s + QLatin1String(other));
            QCOMPARE(hint(), expected);
        }
        window().act(u"hover Form1"_s);
        QCOMPARE(hint(), QString());
    }

    // Enter moves along the builder's fields; in a combo box it does nothing at
    // all: no item is added or picked, and the text stays exactly as typed.
    void enterKey_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("to");
        QTest::newRow("AE title") << u"Text2"_s << QString() << u"Text3"_s;
        QTest::newRow("station AE") << u"Text5"_s << QString() << u"Text6"_s;
        QTest::newRow("device modality") << u"Text6"_s << QString() << u"Text3"_s;
        QTest::newRow("order modalities") << u"Text3"_s << QString() << u"Text4"_s;
        QTest::newRow("user codes") << u"Text4"_s << QString() << u"Command6"_s;
        QTest::newRow("account, other case") << u"Combo1"_s << u"2 | PACSADM | PACS관리자| 500"_s << u"Combo1"_s;
        QTest::newRow("charset, other case") << u"Combo2"_s << u"iso_ir 100"_s << u"Combo2"_s;
        QTest::newRow("charset, new text") << u"Combo2"_s << u"ISO_IR 13"_s << u"Combo2"_s;
        QTest::newRow("kind caption") << u"Combo3"_s << u"영문이름 / 검사명영문(기초자료)"_s << u"Combo3"_s;
    }

    void enterKey()
    {
        QFETCH(QString, from);
        QFETCH(QString, typed);
        QFETCH(QString, to);
        window().act(u"click Check3"_s); // so that the station AE can take the focus
        if (!typed.isEmpty())
            window().act(u"type %1 %2"_s.arg(from, typed));
        const QStringList items = window().items(from);
        const QJsonObject cut = window().control(u"Check11"_s);
        const qsizetype statements = window().state().value(u"statements"_s).toArray().size();
        window().act(u"press %1 Enter"_s.arg(from));
        QCOMPARE(focus(), to);
        QVERIFY(window().messages().isEmpty());
        QCOMPARE(window().items(from), items);
        if (!typed.isEmpty())
            QCOMPARE(window().text(from), typed);
        QCOMPARE(window().control(u"Check11"_s), cut);
        QCOMPARE(window().state().value(u"statements"_s).toArray().size(), statements);
    }

    // The focus arriving in or leaving a list or combo box, by Tab, Shift+Tab,
    // from code or by a click elsewhere, makes no choice; nor do a typed text that
    // matches an item, a right press or a drag: no field or check box changes, no
    // statement runs, no item becomes current or marked. A click on an item of
    // List2, the highlighted one too, and keys that move its current item are a
    // choice: that view is read back. Every line of the action but the last
    // prepares; "Combo1 #N" stands for the text of Combo1's item N.
    void listFocusAndKeys_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("action");
        // The view read back, counted from the end if negative; none for no choice at all.
        QTest::addColumn<int>("readBack");
        const int none = std::numeric_limits<int>::min();
        QTest::newRow("List2 by Tab") << u"List2"_s << u"press Command6 Tab"_s << none;
        QTest::newRow("List2 by Shift+Tab") << u"List2"_s << u"press Command7 Shift+Tab"_s << none;
        QTest::newRow("List2 from code") << u"List2"_s << u"focus List2"_s << none;
        QTest::newRow("List3 by Tab") << u"List3"_s << u"press Text8 Tab"_s << none;
        QTest::newRow("List3 by Shift+Tab") << u"List3"_s << u"press Command3 Shift+Tab"_s << none;
        QTest::newRow("List1 by Tab") << u"List1"_s << u"press Combo1 Tab"_s << none;
        QTest::newRow("List1 by Shift+Tab") << u"List1"_s << u"press Command8 Shift+Tab"_s << none;
        QTest::newRow("List4 by Tab") << u"List4"_s << u"press Command14 Tab"_s << none;
        QTest::newRow("List4 by Shift+Tab") << u"List4"_s << u"press Check5 Shift+Tab"_s << none;
        QTest::newRow("Down") << u"List2"_s << u"focus List2\npress List2 Down"_s << 0;
        QTest::newRow("End") << u"List2"_s << u"focus List2\npress List2 End"_s << -1;
        QTest::newRow("End, Home") << u"List2"_s << u"focus List2\npress List2 End\npress List2 Home"_s << 0;
        QTest::newRow("End, Up") << u"List2"_s << u"focus List2\npress List2 End\npress List2 Up"_s << -2;
        QTest::newRow("a letter") << u"List2"_s << u"focus List2\npress List2 v"_s << 0;
        QTest::newRow("List2 highlighted, clicked again")
            << u"List2"_s << u"pick List2 1\ntype Text2 EDITED\npick List2 1"_s << 1;
        QTest::newRow("List2 right press") << u"List2"_s << u"pick List2 1\nrclick List2 2"_s << none;
        QTest::newRow("List2 right press, nothing highlighted") << u"List2"_s << u"rclick List2 2"_s << none;
        QTest::newRow("List2 drag") << u"List2"_s << u"pick List2 1\ndrag List2 1 2"_s << none;
        QTest::newRow("List3 drag") << u"List3"_s << u"drag List3 0 1"_s << none;
        QTest::newRow("List1 right press") << u"List1"_s << u"rclick List1 1"_s << none;
        QTest::newRow("List1 drag") << u"List1"_s << u"pick List1 0\ndrag List1 1 3"_s << none;
        const QString ee = u"type Combo3 영문이름 / 검사명영문\n"_s;
        QTest::newRow("Combo3 typed, left by Tab") << u"Combo3"_s << ee + u"press Combo3 Tab"_s << none;
        QTest::newRow("Combo3 typed, left by Shift+Tab") << u"Combo3"_s << ee + u"press Combo3 Shift+Tab"_s << none;
        QTest::newRow("Combo3 typed, a click elsewhere") << u"Combo3"_s << ee + u"dblclick Text8"_s << none;
        QTest::newRow("Combo3 typed, left from code") << u"Combo3"_s << ee + u"focus Text4"_s << none;
        QTest::newRow("Combo3 passed through by Tab")
            << u"Combo3"_s << ee + u"focus Text13\npress Text13 Tab\npress Combo3 Tab"_s << none;
        const QString account = u"type Combo1 Combo1 #3\n"_s;
        QTest::newRow("Combo1 typed, left by Tab") << u"Combo1"_s << account + u"press Combo1 Tab"_s << none;
        QTest::newRow("Combo1 typed, left by Shift+Tab")
            << u"Combo1"_s << account + u"press Combo1 Shift+Tab"_s << none;
        QTest::newRow("Combo1 typed, a click elsewhere") << u"Combo1"_s << account + u"dblclick Text8"_s << none;
    }

    void listFocusAndKeys()
    {
        QFETCH(QString, list);
        QFETCH(QString, action);
        QFETCH(int, readBack);
        // Every list filled: List2 with two more views, List3 with the scanned
        // entries, List4 with the account's groups; the fields unlike any view's.
        window().act(u"type Text2 CT1\nclick Command6\ntype Text2 CT2\nclick Command6\nclick Command7\npick Combo1 10\n"
                     "type Text2 CT9\ntype Text3 CR\npick Combo3 0"_s);
        const QStringList views = window().items(u"List2"_s);
        QVERIFY(views.size() >= 3 && !window().items(list).isEmpty());
        QStringList lines = action.replace(u"Combo1 #3"_s, window().items(u"Combo1"_s).value(3)).split(u'\n');
        const QString last = lines.takeLast();
        window().act(lines.join(u'\n'));
        const QJsonObject before = window().state();
        window().act(last);
        const QJsonObject after = window().state();
        if (list.startsWith(u"List"_s))
            QCOMPARE(after.value(u"focus"_s).toString(), list);
        if (readBack != std::numeric_limits<int>::min()) {
            const QString expected = views.at(readBack < 0 ? views.size() + readBack : readBack);
            QCOMPARE(window().text(u"Text11"_s), expected);
            QCOMPARE(window().control(u"List2"_s).value(u"selected"_s).toArray(),
                     QJsonArray{int(views.indexOf(expected))});
            if (expected != QLatin1String("VMWL")) {
                const auto asked = [&](const QJsonObject &state) {
                    return state.value(u"statements"_s)
                        .toArray()
                        .toVariantList()
                        .count(QVariant(u"SP_HELPTEXT "_s + expected));
                };
                QCOMPARE(asked(after), asked(before) + 1);
                QCOMPARE(window().text(u"Text2"_s), window().text(u"Text10"_s));
            }
            return;
        }
        QCOMPARE(after.value(u"statements"_s), before.value(u"statements"_s));
        QCOMPARE(after.value(u"messages"_s), before.value(u"messages"_s));
        QCOMPARE(after.value(u"controls"_s), before.value(u"controls"_s));
    }

    // A refused statement: one short Korean sentence naming the operation and
    // the view; the server's text and the statement only under the details.
    void failedStatementIsToldShortly()
    {
        window().act(u"type Text11 VMWL_NOPE\nclick Command2"_s);
        const QJsonObject shown = window().messages().last().toObject();
        const QString text = shown.value(u"text"_s).toString();
        QVERIFY2(text.startsWith(u"처방조회: VMWL_NOPE "_s), qPrintable(text));
        QVERIFY(!text.contains(QLatin1String("Select")) && !text.contains(QLatin1Char('\n')));
        const QString detail = shown.value(u"detail"_s).toString();
        const QString statement = window().state().value(u"statements"_s).toArray().last().toString();
        QVERIFY(detail.contains(statement) && detail.contains(QLatin1String("VMWL_NOPE")));
    }

    void messageBoxesSpeakKorean()
    {
        QVERIFY(installKoreanTranslation(*QCoreApplication::instance()));
        const QString title = QString::fromUtf16(kAppTitle);
        const auto question = QtMessageBoxes::make(u"?"_s, title, platform::MessageButtons::YesNo, {});
        QVERIFY(question->button(QMessageBox::Yes)->text().startsWith(u"예"_s));
        QVERIFY(question->button(QMessageBox::No)->text().startsWith(u"아니요"_s));
        const auto failure = QtMessageBoxes::make(u"!"_s, title, platform::MessageButtons::Ok, u"server\n\nSelect 1"_s);
        QVERIFY(failure->button(QMessageBox::Ok)->text().startsWith(u"확인"_s));
        QCOMPARE(failure->detailedText(), u"server\n\nSelect 1"_s);
        // The short text makes no narrow box that would cut the title.
        QVERIFY(failure->sizeHint().width() > QFontMetrics(failure->font()).horizontalAdvance(title) + 100);
    }

    // The station AE copies the AE title when that is left, even over what was
    // typed; only while Check3 is on can it be typed into or show its hint.
    void stationAe()
    {
        window().act(u"type Text2 ct-1"_s);
        QCOMPARE(window().text(u"Text5"_s), QString());
        window().act(u"focus Text4"_s);
        QCOMPARE(window().text(u"Text5"_s), u"ct-1"_s);
        QVERIFY(!checks::enabled(window(), u"Text5"_s));
        window().act(u"focus Text5\nhover Label8\nhover Text5"_s);
        QVERIFY(focus() != u"Text5"_s);
        QVERIFY(hint().startsWith(u"PACS처방은"_s));

        window().act(u"click Check3\ntype Text5 FCR-CSL\nfocus Text2\nclick Check9"_s);
        QCOMPARE(window().text(u"Text5"_s), u"ct-1"_s);
        window().act(u"click Check3"_s);
        QVERIFY(!checks::enabled(window(), u"Text5"_s));
    }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"

#include "support/test_site.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

using namespace Qt::StringLiterals;

// The tool as a black box: a script of operator actions in, what the windows
// show out.
class TestAutomationCli : public QObject
{
    Q_OBJECT

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
        QVERIFY(site.readBytes(u"drives/c/RUDIVUV/RUDIVUV_MWLScp/ZORadoDidServiceControl.ini"_s)
                    .contains("\r\nLogLevel=0\r\n"));
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
        // End in the view list reads the new view back.
        QCOMPARE(r.state[u"final"_s][u"controls"_s][u"Text11"_s][u"text"_s].toString(), u"VMWL_EE_CT13"_s);
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
};

QTEST_GUILESS_MAIN(TestAutomationCli)
#include "test_automation_cli.moc"

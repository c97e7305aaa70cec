#include "support/test_site.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
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

    Run run(const TestSite &site, const QString &script, const QStringList &extra = {})
    {
        QTemporaryDir out;
        const QString state = out.filePath(QStringLiteral("state.json"));
        QProcess tool;
        tool.setProgram(QStringLiteral(KZ_TOOL));
        tool.setArguments(QStringList{u"--app-dir"_s, site.dir(), u"--today"_s, u"2026-12-06"_s, u"--automate"_s,
                                      script, u"--state"_s, state} +
                          extra);
        tool.start();
        if (!tool.waitForFinished(60000))
            return {-1, "timed out", {}};
        QFile f(state);
        f.open(QIODevice::ReadOnly);
        return {tool.exitCode(), tool.readAllStandardError(), QJsonDocument::fromJson(f.readAll()).object()};
    }

    Run runLines(const TestSite &site, const QByteArray &lines)
    {
        QTemporaryDir dir;
        QFile f(dir.filePath(QStringLiteral("script.txt")));
        f.open(QIODevice::WriteOnly);
        f.write(lines);
        f.close();
        return run(site, f.fileName());
    }

private Q_SLOTS:
    void windowScript()
    {
        TestSite site;
        QTemporaryDir shots;
        const QString png = shots.filePath(QStringLiteral("main.png"));
        const Run r = run(site, TestSite::testData(QStringLiteral("automation/window.txt")), {u"--screenshot"_s, png});
        QCOMPARE(r.exitCode, 0);
        const QJsonArray snapshots = r.state.value(QStringLiteral("snapshots")).toArray();
        QCOMPARE(snapshots.size(), 2);

        const QJsonObject first = snapshots.at(0).toObject();
        const QJsonObject controls = first.value(QStringLiteral("controls")).toObject();
        QCOMPARE(first.value(QStringLiteral("focus")).toString(), QStringLiteral("List1"));
        QCOMPARE(controls.value(QStringLiteral("Text5")).toObject().value(QStringLiteral("text")).toString(),
                 QStringLiteral("ct-1"));
        QVERIFY(controls.value(QStringLiteral("Label3"))
                    .toObject()
                    .value(QStringLiteral("caption"))
                    .toString()
                    .startsWith(QStringLiteral("장비 Ae Title 입력\r\n")));
        QCOMPARE(controls.value(QStringLiteral("List1")).toObject().value(QStringLiteral("selected")).toArray(),
                 (QJsonArray{0, 2}));
        QCOMPARE(controls.value(QStringLiteral("List4")).toObject().value(QStringLiteral("items")).toArray().size(), 3);
        QCOMPARE(controls.value(QStringLiteral("Option1")).toObject().value(QStringLiteral("value")).toInt(), 1);
        QVERIFY(!controls.value(QStringLiteral("Command10")).toObject().value(QStringLiteral("visible")).toBool());
        QCOMPARE(first.value(QStringLiteral("ended")).toBool(), false);

        const QJsonObject last = r.state.value(QStringLiteral("final")).toObject();
        QCOMPARE(last.value(QStringLiteral("ended")).toBool(), true);
        QCOMPARE(last.value(QStringLiteral("commands")).toArray(),
                 (QJsonArray{u"taskkill /F /IM QXGateWayService.exe /T"_s, u"taskkill /F /IM ZORadoDidService.exe /T"_s,
                             u"net start KALDEN1"_s, u"taskkill /F /IM QXGateWayService.exe /T"_s,
                             u"taskkill /F /IM ZORadoDidService.exe /T"_s, u"net start KALDEN1"_s}));
        QVERIFY(last.value(QStringLiteral("statements")).toArray().size() >= 3);
        QVERIFY(last.value(QStringLiteral("messages")).toArray().isEmpty());
        QVERIFY(site.readBytes(QStringLiteral("drives/c/RUDIVUV/RUDIVUV_MWLScp/ZORadoDidServiceControl.ini"))
                    .contains("\r\nLogLevel=0\r\n"));
        // The site's stand-ins for taskkill and net recorded each call.
        QTRY_COMPARE_WITH_TIMEOUT(site.readBytes(QStringLiteral("gateway-commands.log")).count('\n'), 6, 10000);
        QVERIFY(QImage(png).width() >= 719);
    }

    void keyboardScript()
    {
        TestSite site;
        const Run r = run(site, TestSite::testData(QStringLiteral("automation/keyboard.txt")));
        QCOMPARE(r.exitCode, 0);
        const QJsonArray snapshots = r.state.value(QStringLiteral("snapshots")).toArray();
        QCOMPARE(snapshots.size(), 3);
        auto control = [](const QJsonValue &snapshot, const char *name) {
            return snapshot[QStringLiteral("controls")][QLatin1String(name)].toObject();
        };

        // Typed key by key and left with Tab: the text as typed, the list as loaded.
        const QJsonObject typed = snapshots.at(0).toObject();
        QCOMPARE(control(typed, "Combo2").value(QStringLiteral("text")).toString(), QStringLiteral("ISO_IR 13"));
        QCOMPARE(control(typed, "Combo2").value(QStringLiteral("items")).toArray().size(), 26);
        QCOMPARE(control(typed, "Combo3").value(QStringLiteral("items")).toArray().size(), 5);
        QCOMPARE(typed.value(QStringLiteral("focus")).toString(), QStringLiteral("Combo3"));

        // Enter on the focused button registers the view with the typed character set.
        const QJsonObject registered = snapshots.at(1).toObject();
        QString create;
        for (const QJsonValue &s : registered.value(QStringLiteral("statements")).toArray()) {
            if (s.toString().contains(QLatin1String("VMWL_EE_CT13")) &&
                s.toString().startsWith(QLatin1String("Create")))
                create = s.toString();
        }
        QVERIFY2(create.contains(QLatin1String("'ISO_IR 13' AS")), qPrintable(create));
        QVERIFY(!create.contains(QLatin1String("ISO_IR 138")));
        QCOMPARE(registered.value(QStringLiteral("messages")).toArray().last()[QStringLiteral("text")].toString(),
                 QStringLiteral("완료되었습니다."));

        // Tab into the view list chooses nothing.
        const QJsonObject tabbed = snapshots.at(2).toObject();
        QCOMPARE(tabbed.value(QStringLiteral("focus")).toString(), QStringLiteral("List2"));
        QCOMPARE(tabbed.value(QStringLiteral("controls")), registered.value(QStringLiteral("controls")));
        QCOMPARE(tabbed.value(QStringLiteral("statements")), registered.value(QStringLiteral("statements")));

        // End moves to the last view, which is read back.
        const QJsonObject last = r.state.value(QStringLiteral("final")).toObject();
        const QJsonArray views = control(last, "List2").value(QStringLiteral("items")).toArray();
        const QString view = views.last().toString();
        QCOMPARE(view, QStringLiteral("VMWL_EE_CT13"));
        QCOMPARE(control(last, "Text11").value(QStringLiteral("text")).toString(), view);
        QVERIFY(last.value(QStringLiteral("statements"))
                    .toArray()
                    .contains(QJsonValue(QStringLiteral("SP_HELPTEXT ") + view)));
        QCOMPARE(control(last, "Combo2").value(QStringLiteral("text")).toString(), QStringLiteral("ISO_IR 13"));
    }

    void unknownControlNamesTheLine()
    {
        const Run r = runLines(TestSite(), "login 79738793\n\n# a comment\nclick Command99\ndump\n");
        QVERIFY(r.exitCode != 0);
        QVERIFY2(r.errors.contains(":4:") && r.errors.contains("Command99"), r.errors.constData());
        QVERIFY(r.state.contains(QStringLiteral("final")));
    }

    void messageAnswersAreRecorded()
    {
        TestSite site;
        QFile::remove(site.file(QStringLiteral("DB.ini")));
        const Run r = runLines(site, "login 11111111\nlogin 79738793\nclick Command6\n");
        QCOMPARE(r.exitCode, 0);
        const QJsonObject last = r.state.value(QStringLiteral("final")).toObject();
        const QJsonArray messages = last.value(QStringLiteral("messages")).toArray();
        QCOMPARE(messages.size(), 2);
        QCOMPARE(messages.at(1).toObject(), (QJsonObject{{u"text"_s, u"DB 연결 실패"_s},
                                                         {u"title"_s, u"KALDEN-Z 설정 Tool"_s},
                                                         {u"buttons"_s, u"OK"_s},
                                                         {u"answer"_s, u"OK"_s}}));
        QCOMPARE(last.value(QStringLiteral("ended")).toBool(), true);
    }
};

QTEST_GUILESS_MAIN(TestAutomationCli)
#include "test_automation_cli.moc"

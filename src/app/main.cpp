#include "app_style.h"
#include "automation.h"
#include "devicequery/device_check.h"
#include "form1.h"
#include "frmlogin.h"
#include "qt_message_boxes.h"

#include "echo/echo_probe.h"
#include "platform/paths.h"
#include "platform/services.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>

#include <cstdio>
#include <memory>

namespace {

bool wantsOption(int argc, char *argv[], const char *option)
{
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], option) == 0)
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    if (wantsOption(argc, argv, "--ask-as")) { // no window: runs where there is no display too
        QCoreApplication core(argc, argv);
        return devicequery::askCommand(QCoreApplication::arguments());
    }
    const bool automate = wantsOption(argc, argv, "--automate");
    if (automate && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    installKoreanFontFallbacks();
    QApplication app(argc, argv);
    installKoreanTranslation(app);
    QApplication::setApplicationName(QStringLiteral("kalden-config"));
    QApplication::setStyle(new AppStyle);
    QApplication::setQuitOnLastWindowClosed(false);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("KALDEN-Z 설정 Tool"));
    parser.addHelpOption();
    const QCommandLineOption appDirOption(QStringLiteral("app-dir"),
                                          QStringLiteral("The application folder (DB.ini, templates, TUSERSETTING)."),
                                          QStringLiteral("DIR"));
    const QCommandLineOption driveRootOption(
        QStringLiteral("drive-root"),
        QStringLiteral("The folder that stands for the Windows drives (default: <app dir>/drives)."),
        QStringLiteral("DIR"));
    const QCommandLineOption todayOption(QStringLiteral("today"), QStringLiteral("Fixes the clock's date."),
                                         QStringLiteral("YYYY-MM-DD"));
    const QCommandLineOption automateOption(
        QStringLiteral("automate"), QStringLiteral("Runs the operator actions of SCRIPT without a visible window."),
        QStringLiteral("SCRIPT"));
    const QCommandLineOption stateOption(QStringLiteral("state"),
                                         QStringLiteral("Where automation writes what the windows show."),
                                         QStringLiteral("OUT.json"));
    const QCommandLineOption realPauseOption(
        QStringLiteral("real-pause"),
        QStringLiteral("With --automate: waits the gateway's one-second pause (for a site with a running gateway)."));
    const QCommandLineOption screenshotOption(
        QStringLiteral("screenshot"),
        QStringLiteral("With --automate: saves the main window as PNG when the script ends."), QStringLiteral("FILE"));
    const QCommandLineOption recordCommandsOption(
        QStringLiteral("record-commands"),
        QStringLiteral(
            "Records the gateway's commands without starting them (tests: a site's gateway keeps running)."));
    parser.addOptions({appDirOption, driveRootOption, todayOption, automateOption, stateOption, screenshotOption,
                       realPauseOption, recordCommandsOption});
    parser.process(app);

    const QString appDir = parser.isSet(appDirOption) ? QDir(parser.value(appDirOption)).absolutePath()
                                                      : QCoreApplication::applicationDirPath();
    const QString driveRoot =
        parser.isSet(driveRootOption) ? QDir(parser.value(driveRootOption)).absolutePath() : QString();
    std::optional<QDate> today;
    if (parser.isSet(todayOption)) {
        today = QDate::fromString(parser.value(todayOption), Qt::ISODate);
        if (!today->isValid()) {
            std::fprintf(stderr, "--today takes a date as YYYY-MM-DD\n");
            return 2;
        }
    }
    if (automate && !parser.isSet(stateOption)) {
        std::fprintf(stderr, "--automate needs --state OUT.json\n");
        return 2;
    }

    platform::Paths paths(appDir, driveRoot);
    platform::SystemCommandLauncher systemCommands(appDir);
    platform::RecordingCommandLauncher recordedCommands;
    platform::CommandLauncher &commands = parser.isSet(recordCommandsOption)
                                              ? static_cast<platform::CommandLauncher &>(recordedCommands)
                                              : systemCommands;
    platform::SystemClock clock(today);
    platform::ThreadPause threadPause;
    app::RecordingPause recordingPause(commands, parser.isSet(realPauseOption));
    QtMessageBoxes qtMessages;
    app::ScriptedMessageBoxes scriptedMessages;
    app::AutomationState state{&commands, &scriptedMessages, &recordingPause, false};
    echo::DicomEchoProbe echoProbe;
    app::AssumedGatewayProbe assumedProbe;

    std::unique_ptr<Form1> form;
    std::unique_ptr<frmLogin> login;
    auto endProgram = [&] {
        state.ended = true;
        if (login)
            login->hide();
        if (form)
            form->hide();
        QCoreApplication::exit(0);
    };
    AppContext context{paths,
                       commands,
                       automate ? static_cast<platform::Pause &>(recordingPause) : threadPause,
                       clock,
                       automate ? static_cast<platform::MessageBoxes &>(scriptedMessages) : qtMessages,
                       endProgram,
                       automate && !parser.isSet(realPauseOption) ? static_cast<platform::GatewayProbe &>(assumedProbe)
                                                                  : echoProbe};
    form = std::make_unique<Form1>(context);
    login = std::make_unique<frmLogin>(context, *form);
    login->show();

    if (automate) {
        return app::runAutomation(parser.value(automateOption), parser.value(stateOption),
                                  parser.value(screenshotOption), *login, *form, scriptedMessages, state);
    }
    return QApplication::exec();
}

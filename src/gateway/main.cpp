// The worklist gateway of a site: answers the modality worklist queries of its
// devices from the archive's worklist views and logs what they asked.
//
//   ZORadoDidService [--app-dir DIR] [--drive-root DIR]
//
// DB.ini in the application folder names the archive; the control file is
// found where the site-configuration tool looks for it. The process writes its
// id to <app dir>/ZORadoDidService.pid, by which the site's stop command ends it.

#include "gateway_config.h"
#include "gateway_log.h"
#include "worklist_scp.h"

#include "db/db_session.h"
#include "platform/error.h"
#include "platform/paths.h"
#include "platform/text_file.h"
#include "worklist/gateway_control.h"

#include "dcmtk/oflog/oflog.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QThread>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption appDirOption(QStringLiteral("app-dir"), QStringLiteral("The site's application folder."),
                                          QStringLiteral("DIR"));
    const QCommandLineOption driveRootOption(QStringLiteral("drive-root"),
                                             QStringLiteral("Where C:\\ paths lie (default <app dir>/drives)."),
                                             QStringLiteral("DIR"));
    parser.addHelpOption();
    parser.addOptions({appDirOption, driveRootOption});
    parser.process(app);

    const QString appDir = parser.isSet(appDirOption) ? QDir(parser.value(appDirOption)).absolutePath()
                                                      : QCoreApplication::applicationDirPath();
    const platform::Paths paths(
        appDir, parser.isSet(driveRootOption) ? QDir(parser.value(driveRootOption)).absolutePath() : QString());
    OFLog::configure(OFLogger::WARN_LOG_LEVEL);

    // The control file is read once, whole, at start.
    std::optional<gateway::Config> config;
    QString problem;
    const QString controlFile = worklist::gateway::findControlFile(paths);
    if (controlFile.isEmpty()) {
        problem = QStringLiteral("ZORadoDidServiceControl.ini not found: serving no device");
    } else {
        try {
            config = gateway::parseControlFile(platform::readLines(controlFile));
        } catch (const platform::Error &e) {
            problem = e.text() + QStringLiteral(": serving no device");
        }
    }
    gateway::GatewayLog log(paths.resolve(config ? config->logFolder : gateway::Config().logFolder),
                            config ? config->logLevel : 0);
    if (!problem.isEmpty())
        log.error(problem);
    if (config && log.summary())
        log.write(
            QStringLiteral("ZORadoDidService started, LogLevel=%1, port %2").arg(config->logLevel).arg(config->port));

    db::DbSession archive;
    if (!archive.connect(appDir, QDate::currentDate()))
        log.error(QStringLiteral("Archive not reachable: ") + archive.lastError());

    // The site's start command names this process in the pid file as it starts
    // it, so that a stop issued meanwhile finds it; started by hand, it names
    // itself.
    const QString pidPath = QDir(appDir).filePath(QStringLiteral("ZORadoDidService.pid"));
    const QByteArray myPid = QByteArray::number(QCoreApplication::applicationPid());
    auto stillWanted = [&] {
        QFile f(pidPath);
        return f.open(QIODevice::ReadOnly) && f.readAll().trimmed() == myPid;
    };
    if (!QFile::exists(pidPath)) {
        QFile pid(pidPath);
        if (pid.open(QIODevice::WriteOnly | QIODevice::Truncate))
            pid.write(myPid + "\n");
    }

    gateway::WorklistScp scp(config, archive, log);
    // The gateway being stopped may still hold the port for a moment; a gateway
    // that has been stopped meanwhile (its pid file gone) does not wait on.
    OFCondition cond = EC_IllegalCall;
    for (int attempt = 0; attempt < 40; ++attempt) {
        cond = scp.openListenPort();
        if (cond.good() || !stillWanted())
            break;
        QThread::msleep(250);
    }
    if (cond.good() && !stillWanted())
        return 0;
    if (cond.bad()) {
        log.error(QStringLiteral("Cannot listen on port %1: %2")
                      .arg(config ? config->port : 104)
                      .arg(QLatin1String(cond.text())));
        std::fprintf(stderr, "cannot listen: %s\n", cond.text());
        return 1;
    }
    cond = scp.acceptAssociations();
    return cond.good() ? 0 : 1;
}

// The worklist gateway of a site: answers the modality worklist queries of its
// devices from the archive's worklist views and logs what they asked.
//
//   ZORadoDidService [--app-dir DIR] [--drive-root DIR]
//
// DB.ini in the application folder names the archive; the control file is
// found where the site-configuration tool looks for it. The process writes its
// id to <app dir>/ZORadoDidService.pid, by which the site's stop command ends it.

#include "archive_service.h"
#include "gateway_log.h"
#include "worklist_scp.h"

#include "platform/error.h"
#include "platform/paths.h"
#include "platform/text_file.h"
#include "worklist/gateway_control.h"

#include "dcmtk/oflog/oflog.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
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

    // The control file is read once, whole, at start. What cannot be read as
    // written is logged; a gateway that cannot know its port or devices does
    // not start.
    const worklist::gateway::Config config = worklist::gateway::readControlFile(paths);
    const QStringList &problems = config.problems;
    gateway::GatewayLog log(paths.resolve(config.logFolder), config.logLevel);
    auto stop = [&](const QString &why) {
        for (const QString &problem : problems)
            log.error(problem);
        log.error(QStringLiteral("ZORadoDidService not started: ") + why);
        std::fprintf(stderr, "ZORadoDidService not started: %s\n", why.toLocal8Bit().constData());
        return 2;
    };
    if (config.fatal)
        return stop(QStringLiteral("configuration error"));
    for (const QString &problem : problems)
        log.error(problem);

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
        QSaveFile pid(pidPath); // whole or not at all: a stop may read it meanwhile
        if (pid.open(QIODevice::WriteOnly) && pid.write(myPid + "\n") > 0)
            pid.commit();
    }

    gateway::ArchiveService archive(appDir, log);
    const gateway::GatewayContext context{config, archive, log};
    gateway::WorklistPool pool(context);
    // The gateway being stopped may still hold the port for a moment; a gateway
    // that has been stopped meanwhile (its pid file gone) does not wait on.
    QString problem;
    OFCondition cond = EC_IllegalCall;
    for (int attempt = 0; attempt < 20; ++attempt) {
        cond = pool.open(problem);
        if (cond.good() || !stillWanted())
            break;
        QThread::msleep(250);
    }
    if (cond.good() && !stillWanted())
        return 0;
    if (cond.bad())
        return stop(QStringLiteral("cannot listen on port %1: %2").arg(config.port).arg(problem));
    if (log.summary())
        log.write(QStringLiteral("ZORadoDidService started, LogLevel=%1, port %2%3, at most %4 devices at once")
                      .arg(config.logLevel)
                      .arg(config.port)
                      .arg(config.bind.isEmpty() ? QString() : QStringLiteral(" on ") + config.bind)
                      .arg(config.maxAssociations));
    cond = pool.listen();
    return cond.good() ? 0 : 1;
}

// Measures the log scan and the order lookup over generated gateway logs,
// beside `LC_ALL=C grep -F -c` with the same markers over the same files.
//
//   kz_log_bench [--size MB] [--files N] [--dir DIR] [--keep] [--lf-only]
// --block KB: how much the reader reads at a time.
//   kz_log_bench --logs DIR           (the logs kept by an earlier --keep run)
//
// --lf-only: the lines end in LF alone, as in a log whose line ends a tool
// rewrote; to the log tools each file is then one long line.
//   kz_log_bench --write-demo DIR     (the demo site's log set)

#include "log_corpus.h"

#include "gatewaylog/log_files.h"
#include "gatewaylog/log_scanner.h"
#include "gatewaylog/order_lookup.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <optional>
#include <sys/resource.h>

static double seconds(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e9;
}

// Processor time of this process so far, user and system, all threads.
static double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

static double grepSeconds(const QStringList &markers, const QStringList &files)
{
    QStringList args{QStringLiteral("-F"), QStringLiteral("-c")};
    for (const QString &m : markers)
        args << QStringLiteral("-e") << m;
    args << files;
    QProcess grep;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    grep.setProcessEnvironment(env);
    // Not /dev/null: GNU grep stops at the first match when nobody reads its output.
    QElapsedTimer t;
    t.start();
    grep.start(QStringLiteral("grep"), args);
    if (!grep.waitForFinished(-1) || grep.exitStatus() != QProcess::NormalExit || grep.exitCode() > 1)
        std::fprintf(stderr, "grep failed: %s\n", grep.readAllStandardError().constData());
    const double s = seconds(t);
    grep.readAllStandardOutput();
    return s;
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args.at(1) == QLatin1String("--write-demo")) {
        bench::writeDemoLogs(args.at(2));
        return 0;
    }
    qint64 sizeMb = 1024;
    int fileCount = 8;
    QString dirPath;
    bool keep = false;
    bool lfOnly = false;
    QString logsPath;
    qint64 blockKb = gatewaylog::MarkedLineReader::kBlockSize / 1024;
    for (int i = 1; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--size") && i + 1 < args.size())
            sizeMb = args.at(++i).toLongLong();
        else if (args.at(i) == QLatin1String("--files") && i + 1 < args.size())
            fileCount = args.at(++i).toInt();
        else if (args.at(i) == QLatin1String("--dir") && i + 1 < args.size())
            dirPath = args.at(++i);
        else if (args.at(i) == QLatin1String("--keep"))
            keep = true;
        else if (args.at(i) == QLatin1String("--lf-only"))
            lfOnly = true;
        else if (args.at(i) == QLatin1String("--block") && i + 1 < args.size())
            blockKb = args.at(++i).toLongLong();
        else if (args.at(i) == QLatin1String("--logs") && i + 1 < args.size())
            logsPath = args.at(++i);
        else {
            // An option it does not know (--help among them) runs nothing: a run writes a gigabyte.
            std::fprintf(stderr,
                         "usage: kz_log_bench [--size MB] [--files N] [--dir DIR] [--keep] [--lf-only] [--block KB]\n"
                         "       kz_log_bench --logs DIR\n       kz_log_bench --write-demo DIR\n");
            return args.at(i) == QLatin1String("--help") ? 0 : 2;
        }
    }
    // Logs it writes go to a folder of their own, removed after unless kept; a folder it is given is only read.
    std::optional<QTemporaryDir> temp;
    if (logsPath.isEmpty()) {
        temp.emplace(dirPath.isEmpty() ? QDir::tempPath() + QStringLiteral("/kz-logs-XXXXXX")
                                       : dirPath + QStringLiteral("/kz-logs-XXXXXX"));
        temp->setAutoRemove(!keep);
    }
    const QString folder = temp ? temp->path() : logsPath;

    QStringList paths;
    if (logsPath.isEmpty()) {
        const qint64 total = sizeMb * 1024 * 1024;
        std::printf("writing %lld MB of gateway logs in %d files%s under %s\n", static_cast<long long>(sizeMb),
                    fileCount, lfOnly ? ", lines ended by LF only" : "", qPrintable(folder));
        paths = bench::writeLargeLogs(folder, total, total / fileCount + 1,
                                      lfOnly ? QByteArrayLiteral("\n") : QByteArrayLiteral("\r\n"));
    } else {
        const QDir dir(folder);
        for (const QString &name : dir.entryList({QStringLiteral("*.log")}, QDir::Files, QDir::Name))
            paths << dir.filePath(name);
        std::printf("reading the %lld log files under %s\n", static_cast<long long>(paths.size()), qPrintable(folder));
    }
    qint64 bytes = 0;
    QStringList names;
    for (const QString &p : paths) {
        bytes += QFileInfo(p).size();
        names << QFileInfo(p).fileName();
    }
    const double mb = double(bytes) / (1024.0 * 1024.0);

    // The scan, as " 워크리스트   로그확인" runs it.
    QElapsedTimer t;
    double cpu = cpuSeconds();
    t.start();
    gatewaylog::Scanner scanner;
    gatewaylog::MarkedLineReader scanReader(gatewaylog::Scanner::markers(), false, blockKb * 1024);
    gatewaylog::readLogs(folder, names, scanReader, [&](QByteArrayView l, bool a, quint32 f) { scanner.feed(l, a, f); },
                         {});
    const double scanS = seconds(t);
    const double scanCpu = cpuSeconds() - cpu;

    // The lookup of one device's orders.
    cpu = cpuSeconds();
    t.start();
    gatewaylog::OrderLookup lookup(QStringLiteral("DEV07"), QStringLiteral("VMWL_EE_DEV07"));
    gatewaylog::MarkedLineReader lookupReader = lookup.reader(blockKb * 1024);
    gatewaylog::readLogs(folder, names, lookupReader,
                         [&](QByteArrayView l, bool a, quint32 f) { lookup.feed(l, a, f); }, {});
    const double lookupS = seconds(t);
    const double lookupCpu = cpuSeconds() - cpu;

    QStringList scanMarkers;
    for (const QByteArray &m : gatewaylog::Scanner::markers())
        scanMarkers << QString::fromLatin1(m);
    QStringList lookupMarkers;
    for (const QByteArray &m : lookup.markers())
        lookupMarkers << QString::fromLatin1(m);
    const double grepScanS = grepSeconds(scanMarkers, paths);
    const double grepLookupS = grepSeconds(lookupMarkers, paths);

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    qsizetype longest = 0;
    for (const QString &e : scanner.entries())
        longest = qMax(longest, e.size());
    std::printf("logs:    %.0f MB, %lld entries found (the longest %lld characters%s), lookup listed %lld lines\n", mb,
                static_cast<long long>(scanner.entries().size()), static_cast<long long>(longest),
                scanner.cut() ? ", lines cut" : "", static_cast<long long>(lookup.text().count(QLatin1Char('\n'))));
    // What was found, to compare one build's results with another's.
    QCryptographicHash digest(QCryptographicHash::Sha1);
    for (const QString &e : scanner.entries())
        digest.addData((e + scanner.lastDay(e).toString(Qt::ISODate) + QLatin1Char('\n')).toUtf8());
    digest.addData(lookup.text().toUtf8());
    std::printf("results: %s\n", digest.result().toHex().left(16).constData());
    std::printf("scan:    %7.1f MB/s  (%.2f s, processor %.2f s)   grep -F -c, same markers: %7.1f MB/s  (%.2f s)   "
                "ratio %.2f\n",
                mb / scanS, scanS, scanCpu, mb / grepScanS, grepScanS, grepScanS / scanS);
    std::printf("lookup:  %7.1f MB/s  (%.2f s, processor %.2f s)   grep -F -c, same markers: %7.1f MB/s  (%.2f s)   "
                "ratio %.2f\n",
                mb / lookupS, lookupS, lookupCpu, mb / grepLookupS, grepLookupS, grepLookupS / lookupS);
    std::printf("peak memory of this process (writing, scan, lookup): %.1f MB\n", double(usage.ru_maxrss) / 1024.0);
    return 0;
}

// Any control file through the device registration, its removal and the
// log-level rewrite, as the tool reads and writes it: every line a rewrite does
// not own comes out byte for byte, or the file is not written at all.
#include "fuzz_support.h"

#include "gatewaylog/log_level.h"
#include "platform/text_file.h"
#include "worklist/control_file.h"

#include <functional>

namespace {

// The lines of the file as the tool writes it, or nothing when a character
// cannot be written in the code page (the tool then leaves the file alone).
std::optional<QList<QByteArray>> written(const QStringList &lines)
{
    const QString content = platform::joinCrLf(lines) + QStringLiteral("\r\n");
    const std::optional<QByteArray> bytes = platform::toAnsiExact(content);
    if (!bytes)
        return std::nullopt;
    return platform::splitLines(*bytes);
}

void checkKept(const QList<QByteArray> &before, const QStringList &in, const QStringList &out,
               const std::function<bool(const QString &)> &owned, const char *rewrite)
{
    fuzzsupport::check(out.size() == in.size(), rewrite, QStringLiteral("a line added or lost"));
    const auto after = written(out);
    if (!after || in.isEmpty()) // an empty file is written as one empty line
        return;
    fuzzsupport::check(after->size() == before.size(), rewrite, QStringLiteral("the written file has other lines"));
    for (qsizetype i = 0; i < before.size(); ++i) {
        if (!owned(in.at(i)))
            fuzzsupport::check(after->at(i) == before.at(i), rewrite, QString::fromLatin1(before.at(i).toHex(' ')));
    }
}

QString field(FuzzedDataProvider &in)
{
    // Titles and view names come from single-line fields.
    QString s = platform::fromAnsi(fuzzsupport::bytes(in, 24));
    s.remove(QLatin1Char('\r'));
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace worklist::control;
    FuzzedDataProvider in(data, size);
    const quint8 flags = in.ConsumeIntegral<quint8>();
    const QString ae = field(in);
    const QString view = field(in);
    const QList<QByteArray> before = platform::splitLines(fuzzsupport::rest(in));
    QStringList lines;
    for (const QByteArray &line : before)
        lines.append(platform::fromAnsi(line));

    const QStringList registered = registerDevice(lines, ae, view, flags & 1);
    checkKept(
        before, lines, registered, [](const QString &l) { return isDeviceListLine(l) || isFcrFlagLine(l); },
        "registering a device changed a line it does not own");
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (isDeviceListLine(lines.at(i)))
            fuzzsupport::check(registered.at(i).startsWith(lines.at(i)), "registering changed the registered devices",
                               lines.at(i));
    }

    const QStringList removed = removeDevice(lines, ae, view, olderViewName(view));
    checkKept(before, lines, removed, isDeviceListLine, "removing a device changed a line it does not own");

    const auto level = flags & 2 ? gatewaylog::LogOption::Detailed : gatewaylog::LogOption::None;
    const auto rewrite = gatewaylog::rewriteLevels(lines, level, flags & 4);
    checkKept(before, lines, rewrite.lines, gatewaylog::isLevelLine, "the log level changed a line it does not own");
    return 0;
}

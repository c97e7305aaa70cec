// Any log bytes, any block size, any line ends, any line bound, over one to
// four files, from memory or from disk: the streaming reader hands over
// exactly the lines the plain line-by-line reference does (a line past the
// bound as its head), and the scanner fed from it lists the same entries as
// when it is fed every line and finds the markers itself.
#include "fuzz_support.h"

#include "gatewaylog/log_scanner.h"
#include "support/marked_lines_reference.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using testsupport::SeenLine;
    FuzzedDataProvider in(data, size);
    const qint64 block =
        in.ConsumeBool() ? in.ConsumeIntegralInRange<qint64>(1, 16) : in.ConsumeIntegralInRange<qint64>(1, 4096);
    // Small bounds cut lines of any input; the usual one cuts none of these.
    const qint64 bound =
        in.ConsumeBool() ? in.ConsumeIntegralInRange<qint64>(1, 64) : gatewaylog::MarkedLineReader::kLineBound;
    const bool scannerMarkers = in.ConsumeBool();
    // Files on disk are read by positional reads, on threads for blocks of 1 KiB and more.
    const auto source = in.ConsumeBool() ? testsupport::Source::Disk : testsupport::Source::Memory;
    QList<QByteArray> markers;
    if (scannerMarkers && bound == gatewaylog::MarkedLineReader::kLineBound) {
        markers = gatewaylog::Scanner::markers();
    } else {
        const int n = in.ConsumeIntegralInRange(0, 4);
        for (int i = 0; i < n; ++i)
            markers.append(fuzzsupport::bytes(in, 6));
    }
    QList<QByteArray> files;
    const int fileCount = in.ConsumeIntegralInRange(1, 4);
    for (int f = 1; f < fileCount; ++f)
        files.append(fuzzsupport::bytes(in, 4096));
    files.append(fuzzsupport::rest(in));

    QList<SeenLine> marked;
    for (const bool everyLine : {false, true}) {
        const QList<SeenLine> expected = testsupport::referenceLines(files, markers, everyLine, bound);
        const QList<SeenLine> actual = testsupport::streamedLines(files, markers, everyLine, block, bound, source);
        if (!everyLine)
            marked = actual;
        if (actual != expected) {
            QString detail = QStringLiteral("block %1, line bound %5, every line %2: %3 lines, the reference %4")
                                 .arg(block)
                                 .arg(everyLine)
                                 .arg(actual.size())
                                 .arg(expected.size())
                                 .arg(bound);
            const auto show = [](const QList<SeenLine> &lines, qsizetype i) {
                return i < lines.size() ? QStringLiteral("%1 %2 [%3]")
                                              .arg(lines[i].adjacent)
                                              .arg(lines[i].found)
                                              .arg(QString::fromLatin1(lines[i].line.toHex(' ')))
                                        : QStringLiteral("none");
            };
            qsizetype i = 0;
            while (i < actual.size() && i < expected.size() && actual[i] == expected[i])
                ++i;
            detail += QStringLiteral("\nfirst difference at %1:\n  read %2\n  reference %3")
                          .arg(i)
                          .arg(show(actual, i), show(expected, i));
            fuzzsupport::fail("the reader and the reference disagree", detail);
        }
    }

    if (scannerMarkers && bound == gatewaylog::MarkedLineReader::kLineBound) {
        gatewaylog::Scanner fromMarked;
        for (const SeenLine &s : marked)
            fromMarked.feed(s.line, s.adjacent, s.found);
        gatewaylog::Scanner plain;
        for (const SeenLine &s : testsupport::referenceLines(files, {}, true))
            plain.feed(s.line, s.adjacent);
        fuzzsupport::check(fromMarked.entries() == plain.entries(), "the scanner lists other entries from marked lines",
                           plain.entries().join(QStringLiteral("\n")));
    }
    return 0;
}

// Any entry through the inspector, and any log through the order lookup for
// any device and view: nothing crashes, and the lookup fed only the lines its
// reader hands over, in blocks of any size, finds what it finds when fed every
// line.
#include "fuzz_support.h"

#include "gatewaylog/log_entry.h"
#include "gatewaylog/order_lookup.h"
#include "support/marked_lines_reference.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const int how = in.ConsumeIntegral<uint8_t>();
    const qint64 block = in.ConsumeIntegralInRange<qint64>(1, 2048);
    const QString ae = platform::fromAnsi(fuzzsupport::bytes(in, 16));
    const QString view = platform::fromAnsi(fuzzsupport::bytes(in, 16));
    const QByteArray raw = fuzzsupport::rest(in);

    const gatewaylog::Inspection inspection = gatewaylog::inspect(fuzzsupport::text(raw, how));
    fuzzsupport::check(inspection.text.startsWith(QStringLiteral("장비 Ae Title : ")),
                       "an inspection without its title");

    const QList<QByteArray> log{raw};
    gatewaylog::OrderLookup everyLine(ae, view);
    for (const auto &s : testsupport::referenceLines(log, everyLine.markers(), true))
        everyLine.feed(s.line, s.adjacent, s.found);
    if (!everyLine.needsEveryLine()) {
        gatewaylog::OrderLookup marked(ae, view);
        for (const auto &s : testsupport::streamedLines(log, marked.reader(block)))
            marked.feed(s.line, s.adjacent, s.found);
        fuzzsupport::check(marked.text() == everyLine.text(), "the lookup finds other orders from marked lines",
                           everyLine.text());
    }
    return 0;
}

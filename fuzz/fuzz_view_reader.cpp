// Any view definition through the reader: every line is tested, nothing
// crashes; a value written between quotes with its quotes doubled, alone or as
// a list, is read back as it was written.
#include "fuzz_support.h"

#include "db/sql_text.h"
#include "worklist/view_reader.h"

#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace worklist::reader;
    FuzzedDataProvider in(data, size);
    const int how = in.ConsumeIntegral<uint8_t>();
    const QString first = fuzzsupport::text(fuzzsupport::bytes(in, 64), how);
    const QString second = fuzzsupport::text(fuzzsupport::bytes(in, 64), how);
    const QString definition = fuzzsupport::text(fuzzsupport::rest(in), how);

    const DefinitionReading r = readDefinition(definition.split(QStringLiteral("\r\n")));
    fuzzsupport::check(r.orderCodes.has_value() == r.excludeCodes.has_value(), "order codes read without their sense",
                       definition);
    for (const auto &field : {r.stationAe, r.deviceModality, r.characterSet})
        fuzzsupport::check(!field || *field == field->trimmed(), "a value read with its blanks", definition);
    titleOf(definition);
    kindOf(definition);

    const QString line = QStringLiteral(" '") + db::quoted(first) + QStringLiteral("' AS scheduled_station_aetitle,");
    fuzzsupport::check(quotedValue(line) == first, "a quoted value read back otherwise", line);
    const QString list = QStringLiteral(" AND a.ORDER_MODALITY IN ('") + db::quoted(first) + QStringLiteral("','") +
                         db::quoted(second) + QStringLiteral("')");
    fuzzsupport::check(listValue(list) == first + QLatin1Char(',') + second, "a list read back otherwise", list);
    return 0;
}

// Any data set bytes as a device's worklist query: DCMTK reads what it can,
// the gateway takes its matching keys and builds the statement. Whatever the
// values hold, the statement outside its quoted values is the gateway's own
// text; the values go back to a device in its character set with every
// component and group delimiter in place.
#include "fuzz_support.h"

#include "db/embedded/tsql_lexer.h"
#include "gateway/dicom_text.h"
#include "gateway/query_keys.h"
#include "gateway/worklist_query.h"
#include "platform/error.h"

#include <QRegularExpression>

#include "dcmtk/config/osconfig.h"

#include "dcmtk/dcmdata/dcdatset.h"
#include "dcmtk/dcmdata/dcdeftag.h"
#include "dcmtk/dcmdata/dcistrmb.h"
#include "dcmtk/dcmdata/dcitem.h"
#include "dcmtk/oflog/oflog.h"

namespace {

// The statement with every quoted value emptied, as the server reads it.
QString skeleton(const QString &sql)
{
    QString s;
    try {
        for (const auto &token : db::tsql::tokenize(sql))
            s += token.kind == db::tsql::Token::Kind::String ? QStringLiteral("''") : token.text;
    } catch (const platform::Error &) {
        fuzzsupport::fail("a statement with an open quote", sql);
    }
    return s;
}

void checkStatement(const gateway::WorklistKeys &keys)
{
    static const QRegularExpression shape(
        QStringLiteral("^SELECT \\* FROM VMWL WHERE \\(1 = 1\\)"
                       "( AND (modality|scheduled_station_aetitle|patient_id|patient_name) (= ''|LIKE '' ESCAPE '')"
                       "| AND SCHEDULED_PROCEDURE_DATE (=|>=|<=) '')*$"));
    const QString sql = gateway::worklistSql(QStringLiteral("VMWL"), keys);
    fuzzsupport::check(shape.match(skeleton(sql)).hasMatch(), "statement text outside the quoted values", sql);
}

void checkEncoding(const QString &value, const QString &characterSet)
{
    for (const bool personName : {false, true}) {
        const QByteArray bytes = gateway::encodeValue(value, characterSet, personName);
        fuzzsupport::check(bytes.count('^') == value.count(QLatin1Char('^')) &&
                               bytes.count('=') == value.count(QLatin1Char('=')) &&
                               bytes.count('\\') == value.count(QLatin1Char('\\')),
                           "a value encoded with other delimiters", value);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool quiet = [] {
        OFLog::configure(OFLogger::FATAL_LOG_LEVEL);
        return true;
    }();
    (void)quiet;
    if (size < 1)
        return 0;
    const E_TransferSyntax syntax = data[0] & 1 ? EXS_LittleEndianExplicit : EXS_LittleEndianImplicit;
    DcmInputBufferStream stream;
    stream.setBuffer(data + 1, offile_off_t(size - 1));
    stream.setEos();
    DcmDataset query;
    query.transferInit();
    // The network layer hands the gateway only a data set it could read whole.
    const bool whole = query.read(stream, syntax, EGL_noChange, 64 * 1024).good();
    query.transferEnd();

    gateway::DeviceQuery asked;
    if (whole)
        asked = gateway::readQuery(query);
    const gateway::WorklistKeys &keys = asked.keys;
    checkStatement(keys);

    // What the archive sends back is any text; it goes out in the device's set.
    FuzzedDataProvider in(data, size);
    in.ConsumeIntegral<uint8_t>();
    const QString value = fuzzsupport::text(fuzzsupport::rest(in), data[0] >> 1);
    for (const QString &cs : {asked.characterSet, QStringLiteral("\\ISO 2022 IR 149"), QStringLiteral("ISO_IR 192"),
                              QStringLiteral("ISO_IR 100"), QString()}) {
        checkEncoding(keys.patientName, cs);
        checkEncoding(value, cs);
    }
    return 0;
}

#include "order_lookup.h"

#include "log_format.h"
#include "log_scanner.h"
#include "marked_lines.h"

#include "platform/codepage.h"

namespace gatewaylog {

// The title is looked for as this gateway writes it and as it stands, which
// is how a gateway that escapes nothing writes it.
OrderLookup::OrderLookup(const QString &aeTitle, QString viewName)
    : m_calling(QStringLiteral("Calling AP Title: ") + aeTitle),
      m_escapedCalling(QStringLiteral("Calling AP Title: ") + format::escape(aeTitle)), m_view(std::move(viewName))
{
}

QList<QByteArray> OrderLookup::markers() const
{
    // A text the code page cannot write is never looked for as the code page
    // writes it ("?" would stand for any character): the gateway logs such a
    // title escaped, and serves no view whose name holds one.
    const auto exact = [](const QString &text) { return platform::toAnsiExact(text).value_or(QByteArray()); };
    return {exact(m_calling),
            exact(m_view),
            kPatientIdMarker,
            kResponseMarker,
            kEndMarker,
            kSuccessMarker,
            m_escapedCalling == m_calling ? QByteArray() : platform::toAnsi(m_escapedCalling)};
}

namespace {
enum : quint32 { Calling = 1, View = 2, PatientId = 4, Response = 8, End = 16, Success = 32, EscapedCalling = 64 };
}

MarkedLineReader OrderLookup::reader(qint64 blockSize, qint64 lineBound) const
{
    // Only the device's own associations name its view and list its orders:
    // those markers need looking for only from its calling line to its end.
    return MarkedLineReader(markers(), needsEveryLine(), blockSize, lineBound,
                            {Calling | EscapedCalling, End, View | PatientId | Response | Success});
}

void OrderLookup::feed(QByteArrayView raw, bool adjacent, quint32 found)
{
    if (!(m_skip && adjacent)) {
        if (found & (Calling | EscapedCalling))
            m_tally = 0;
        // Without a view name every non-empty line counts as naming it.
        const bool namesView = m_view.isEmpty() ? !raw.isEmpty() : (found & View) != 0;
        if (namesView && m_tally >= 0)
            ++m_tally;
        if (m_tally == 2 && (found & PatientId)) {
            const QString line = platform::fromAnsi(raw.toByteArray());
            // The columns count as the archive's value stands, before the log's escapes.
            m_text += QStringLiteral("    환자 번호 : ") + format::trimBlanks(format::unescape(line.mid(39)).left(35)) +
                      QStringLiteral("\r\n");
        }
        // "(Success)" anywhere in the line, also past the head of a cut one.
        if (m_tally == 2 && (found & Response) && (found & Success)) {
            const bool cut = found & MarkedLineReader::kCut;
            const QString line = platform::fromAnsiCut(raw.toByteArray(), cut);
            m_text += line.left(23) + line.mid(52) + (cut ? QString::fromUtf16(kCutMark) : QString()) +
                      QStringLiteral("\r\n\r\n");
            m_cut = m_cut || cut;
        }
    }
    m_skip = false;
    if (found & End) {
        m_tally = -1;
        m_skip = true;
    }
}

QString OrderLookup::helpText()
{
    return QStringLiteral("로그가 아래와 같으면 장비는 2건만 조회됨\r\n3 (Success) <- 2건만 조회 됨\r\n"
                          "환자 번호: [12345678]\r\n환자 번호: [98765432]\r\n<2019-09-16 14:49:19> : 3 (Success)");
}

} // namespace gatewaylog

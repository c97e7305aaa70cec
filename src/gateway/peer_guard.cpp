#include "peer_guard.h"

#include <QList>

#include <algorithm>

namespace gateway {

namespace {

constexpr quint32 kUndefined = 0xffffffffu;

// The explicit VRs whose length takes four bytes after two reserved ones.
bool longForm(const char vr[2])
{
    static const char *const kLong[] = {"OB", "OD", "OF", "OL", "OV", "OW", "SQ", "SV", "UC", "UN", "UR", "UT", "UV"};
    for (const char *v : kLong) {
        if (vr[0] == v[0] && vr[1] == v[1])
            return true;
    }
    return false;
}

struct Reader
{
    const QByteArray &bytes;

    bool has(qsizetype pos, qsizetype n) const { return pos >= 0 && n >= 0 && pos <= bytes.size() - n; }
    quint16 u16(qsizetype pos, bool big) const
    {
        const auto a = uchar(bytes.at(pos)), b = uchar(bytes.at(pos + 1));
        return big ? quint16(a << 8 | b) : quint16(b << 8 | a);
    }
    quint32 u32(qsizetype pos, bool big) const
    {
        const quint32 lo = u16(pos, big), hi = u16(pos + 2, big);
        return big ? (lo << 16 | hi) : (hi << 16 | lo);
    }
};

} // namespace

QString identifierProblem(const QByteArray &bytes, Encoding encoding,
                          const std::function<bool(quint16, quint16)> &isSequence, int maxDepth)
{
    if (bytes.size() > kMaxIdentifierBytes)
        return QStringLiteral("identifier of more than %1 bytes").arg(kMaxIdentifierBytes);
    const Reader r{bytes};
    // A data set or an item (its attributes follow), or a sequence (its items
    // follow); `end` is where it stops, or -1 until its delimiter. Inside an
    // explicit "UN" of undefined length the encoding is implicit little endian.
    struct Frame
    {
        bool sequence;
        qsizetype end;
        bool implicitLe;
    };
    QList<Frame> frames{{false, bytes.size(), !encoding.explicitVr}};
    int depth = 0;
    qsizetype pos = 0;
    const QString broken = QStringLiteral("identifier not well formed at byte %1");
    for (;;) {
        const Frame f = frames.last();
        if (f.end >= 0 && pos == f.end) {
            frames.removeLast();
            if (frames.isEmpty())
                return QString();
            if (f.sequence)
                --depth;
            continue;
        }
        if ((f.end >= 0 && pos > f.end) || !r.has(pos, 8))
            return broken.arg(pos);
        const bool big = encoding.bigEndian && !f.implicitLe;
        const bool explicitVr = encoding.explicitVr && !f.implicitLe;
        const quint16 group = r.u16(pos, big);
        const quint16 element = r.u16(pos + 2, big);
        const bool delimiterTag = group == 0xfffe;
        if (f.sequence) {
            if (delimiterTag && element == 0xe0dd && f.end < 0) {
                frames.removeLast();
                --depth;
                pos += 8;
                continue;
            }
            if (!delimiterTag || element != 0xe000)
                return broken.arg(pos);
            const quint32 length = r.u32(pos + 4, big);
            pos += 8;
            if (length == kUndefined) {
                frames.append({false, -1, f.implicitLe});
            } else {
                const qsizetype end = pos + qsizetype(length);
                if (end > (f.end >= 0 ? f.end : bytes.size()))
                    return broken.arg(pos - 8);
                frames.append({false, end, f.implicitLe});
            }
            continue;
        }
        if (delimiterTag) {
            if (element == 0xe00d && f.end < 0 && frames.size() > 1) {
                frames.removeLast();
                pos += 8;
                continue;
            }
            return broken.arg(pos);
        }
        char vr[2] = {0, 0};
        quint32 length = 0;
        qsizetype header = 8;
        if (explicitVr) {
            vr[0] = bytes.at(pos + 4);
            vr[1] = bytes.at(pos + 5);
            if (longForm(vr)) {
                if (!r.has(pos, 12))
                    return broken.arg(pos);
                length = r.u32(pos + 8, big);
                header = 12;
            } else {
                length = r.u16(pos + 6, big);
            }
        } else {
            length = r.u32(pos + 4, big);
        }
        const bool sequence = length == kUndefined || (explicitVr && vr[0] == 'S' && vr[1] == 'Q') ||
                              (group != 0 && isSequence && isSequence(group, element));
        if (!sequence) {
            pos += header + qsizetype(length);
            if (pos > (f.end >= 0 ? f.end : bytes.size()))
                return broken.arg(pos - header - qsizetype(length));
            continue;
        }
        if (++depth > maxDepth)
            return QStringLiteral("sequences nested more than %1 deep").arg(maxDepth);
        pos += header;
        const bool implicitInside = f.implicitLe || (explicitVr && vr[0] == 'U' && vr[1] == 'N');
        if (length == kUndefined) {
            frames.append({true, -1, implicitInside});
        } else {
            const qsizetype end = pos + qsizetype(length);
            if (end > (f.end >= 0 ? f.end : bytes.size()))
                return broken.arg(pos - header);
            frames.append({true, end, implicitInside});
        }
    }
}

bool commandHasDataSet(const QByteArray &command)
{
    const Reader r{command};
    qsizetype pos = 0;
    while (r.has(pos, 8)) {
        const quint16 group = r.u16(pos, false);
        const quint16 element = r.u16(pos + 2, false);
        const quint32 length = r.u32(pos + 4, false);
        if (group == 0x0000 && element == 0x0800)
            return !(length == 2 && r.has(pos + 8, 2) && r.u16(pos + 8, false) == 0x0101);
        if (length == kUndefined || !r.has(pos + 8, qsizetype(length)))
            return true;
        pos += 8 + qsizetype(length);
    }
    return true;
}

void PduPhases::feed(const char *data, std::size_t size)
{
    std::size_t i = 0;
    while (i < size) {
        if (m_headerRead < 6) {
            if (m_headerRead == 0)
                pduStarts();
            m_header[m_headerRead++] = uchar(data[i++]);
            if (m_headerRead == 6) {
                m_pduType = m_header[0];
                m_pduLeft = quint32(m_header[2]) << 24 | quint32(m_header[3]) << 16 | quint32(m_header[4]) << 8 |
                            quint32(m_header[5]);
                if (m_pduLeft == 0)
                    pduEnds();
            }
            continue;
        }
        if (m_pduType != 0x04) {
            // Not a P-DATA-TF: only its end counts.
            const std::size_t n = std::min<std::size_t>(m_pduLeft, size - i);
            i += n;
            m_pduLeft -= quint32(n);
            if (m_pduLeft == 0)
                pduEnds();
            continue;
        }
        if (m_pdvHeaderRead < 6) {
            m_pdvHeader[m_pdvHeaderRead++] = uchar(data[i++]);
            --m_pduLeft;
            if (m_pdvHeaderRead == 6) {
                const quint32 length = quint32(m_pdvHeader[0]) << 24 | quint32(m_pdvHeader[1]) << 16 |
                                       quint32(m_pdvHeader[2]) << 8 | quint32(m_pdvHeader[3]);
                m_pdvLeft = length >= 2 ? length - 2 : 0;
                m_command = m_pdvHeader[5] & 0x01;
                m_last = m_pdvHeader[5] & 0x02;
                if (m_pdvLeft == 0)
                    pdvEnds();
            }
            if (m_pduLeft == 0)
                pduEnds();
            continue;
        }
        const std::size_t n = std::min<std::size_t>({std::size_t(m_pdvLeft), std::size_t(m_pduLeft), size - i});
        if (m_command && m_commandBytes.size() < kMaxIdentifierBytes)
            m_commandBytes.append(data + i, qsizetype(std::min<std::size_t>(n, kMaxIdentifierBytes)));
        i += n;
        m_pdvLeft -= quint32(n);
        m_pduLeft -= quint32(n);
        if (m_pdvLeft == 0)
            pdvEnds();
        if (m_pduLeft == 0)
            pduEnds();
    }
}

void PduPhases::pduStarts()
{
    if (m_phase == Phase::Between) {
        m_phase = Phase::Message;
        ++m_begun;
    }
}

void PduPhases::pdvEnds()
{
    m_pdvHeaderRead = 0;
    if (!m_last)
        return;
    if (m_command) {
        m_refused = m_commandBytes.size() >= kMaxIdentifierBytes
                        ? QStringLiteral("command of more than %1 bytes").arg(kMaxIdentifierBytes)
                        : identifierProblem(m_commandBytes, {false, false}, nullptr, 0);
        m_dataExpected = commandHasDataSet(m_commandBytes);
        m_commandBytes.clear();
        if (!m_dataExpected)
            m_phase = Phase::Between;
    } else {
        m_dataExpected = false;
        m_phase = Phase::Between;
    }
}

void PduPhases::pduEnds()
{
    m_headerRead = 0;
    m_pdvHeaderRead = 0;
    m_pdvLeft = 0;
    // An association request, a release or an abort is a whole message in one PDU.
    if (m_pduType != 0x04)
        m_phase = Phase::Between;
}

} // namespace gateway

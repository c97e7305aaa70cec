#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>

// What a peer sends, checked before DCMTK reads it: a query's identifier for
// its size and nesting, and the upper-layer stream for where each association
// request and message begins and ends.
namespace gateway {

// The most a worklist query's identifier may hold: a query names a few dozen
// attributes in at most a few levels of sequences.
inline constexpr qsizetype kMaxIdentifierBytes = 64 * 1024;
inline constexpr int kMaxIdentifierDepth = 8;

struct Encoding
{
    bool explicitVr = true;
    bool bigEndian = false;
};

// Why an identifier's bytes may not be handed to the parser, or an empty text
// when they may: more than kMaxIdentifierBytes, sequences nested deeper than
// kMaxIdentifierDepth, or a structure that does not hold together (lengths past
// their end, items outside a sequence). Walks the bytes without recursion.
// `isSequence` says whether an attribute is a sequence when the encoding does
// not say so (implicit VR).
QString identifierProblem(const QByteArray &bytes, Encoding encoding,
                          const std::function<bool(quint16 group, quint16 element)> &isSequence,
                          int maxDepth = kMaxIdentifierDepth);

// Follows the upper-layer stream a peer sends, byte by byte: the association
// request, then messages, each a command and its data set when the command
// says one follows. Tells which phase the stream is in, so that each phase can
// be given a deadline however slowly its bytes come.
class PduPhases final
{
public:
    enum class Phase { Request, Between, Message };

    void feed(const char *data, std::size_t size);
    Phase phase() const { return m_phase; }
    // How many messages have begun so far.
    quint64 messagesBegun() const { return m_begun; }
    // Why the last command may not be read (a command holds no sequences and
    // is small); empty while it may.
    const QString &refused() const { return m_refused; }

private:
    void pduStarts();
    void pduByte(uchar byte);
    void pduEnds();
    void pdvEnds();

    Phase m_phase = Phase::Request;
    quint64 m_begun = 0;
    // The PDU header being read, then the PDU's body.
    uchar m_header[6] = {};
    int m_headerRead = 0;
    quint32 m_pduLeft = 0;
    uchar m_pduType = 0;
    // Inside a P-DATA-TF: the PDV header being read, then its fragment.
    uchar m_pdvHeader[6] = {};
    int m_pdvHeaderRead = 0;
    quint32 m_pdvLeft = 0;
    bool m_command = false;
    bool m_last = false;
    bool m_dataExpected = false;
    QByteArray m_commandBytes;
    QString m_refused;
};

// Whether a command set (implicit VR little endian) says that a data set
// follows it: its (0000,0800) is anything but 0101H. A command that cannot be
// read is taken to have one, so that its message ends only with data.
bool commandHasDataSet(const QByteArray &command);

} // namespace gateway

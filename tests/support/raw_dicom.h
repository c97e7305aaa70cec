#pragma once

#include <QByteArray>

// DICOM's upper layer and data sets written byte by byte, as a peer that
// follows no toolkit sends them.
namespace rawdicom {

inline QByteArray le16(quint16 v)
{
    return QByteArray(1, char(v & 0xff)) + char(v >> 8);
}
inline QByteArray le32(quint32 v)
{
    return le16(quint16(v & 0xffff)) + le16(quint16(v >> 16));
}
inline QByteArray tag(quint16 group, quint16 element)
{
    return le16(group) + le16(element);
}

// An attribute in explicit VR little endian, or implicit when `vr` is empty.
inline QByteArray attribute(quint16 group, quint16 element, const char *vr, const QByteArray &value)
{
    const QByteArray v(vr);
    if (v.isEmpty())
        return tag(group, element) + le32(quint32(value.size())) + value;
    if (v == "SQ" || v == "UN" || v == "OB")
        return tag(group, element) + v + QByteArray(2, 0) + le32(quint32(value.size())) + value;
    return tag(group, element) + v + le16(quint16(value.size())) + value;
}

// The procedure step sequence nested `depth` deep, each level an item holding
// the next; with undefined lengths (delimited) or defined ones.
inline QByteArray nested(int depth, const char *vr, bool delimited)
{
    QByteArray inner = attribute(0x0008, 0x0060, QByteArray(vr).isEmpty() ? "" : "CS", "CT");
    for (int i = 0; i < depth; ++i) {
        const QByteArray item =
            delimited ? QByteArray(tag(0xfffe, 0xe000) + le32(0xffffffff) + inner + tag(0xfffe, 0xe00d) + le32(0))
                      : QByteArray(tag(0xfffe, 0xe000) + le32(quint32(inner.size())) + inner);
        if (!delimited) {
            inner = attribute(0x0040, 0x0100, vr, item);
            continue;
        }
        const QByteArray head =
            QByteArray(vr).isEmpty()
                ? QByteArray(tag(0x0040, 0x0100) + le32(0xffffffff))
                : QByteArray(tag(0x0040, 0x0100) + QByteArray(vr) + QByteArray(2, 0) + le32(0xffffffff));
        inner = head + item + tag(0xfffe, 0xe0dd) + le32(0);
    }
    return attribute(0x0010, 0x0020, QByteArray(vr).isEmpty() ? "" : "LO", "ID01") + inner;
}

// One PDU of the upper layer: type, reserved byte, 32-bit big-endian length.
inline QByteArray pdu(char type, const QByteArray &body)
{
    QByteArray b(1, type);
    b += char(0);
    const quint32 n = quint32(body.size());
    for (int shift = 24; shift >= 0; shift -= 8)
        b += char((n >> shift) & 0xff);
    return b + body;
}

// A P-DATA-TF with one PDV: its control header says command or data, last or not.
inline QByteArray pdv(bool command, bool last, const QByteArray &fragment)
{
    QByteArray item;
    const quint32 n = quint32(fragment.size() + 2);
    for (int shift = 24; shift >= 0; shift -= 8)
        item += char((n >> shift) & 0xff);
    item += char(1);
    item += char((command ? 1 : 0) | (last ? 2 : 0));
    return pdu(0x04, item + fragment);
}

inline QByteArray command(quint16 dataSetType)
{
    return attribute(0x0000, 0x0100, "", le16(0x0020)) + attribute(0x0000, 0x0800, "", le16(dataSetType));
}

// An AE title as the 16 bytes of an association request.
inline QByteArray aeTitle(const QByteArray &title)
{
    return title.leftJustified(16, ' ', true);
}

// An A-ASSOCIATE-RQ proposing Modality Worklist find in implicit VR little endian.
inline QByteArray associateRq(const QByteArray &calling, const QByteArray &called = "KALDEN1")
{
    const auto item = [](char type, const QByteArray &body) -> QByteArray {
        return QByteArray(1, type) + char(0) + char(body.size() >> 8) + char(body.size() & 0xff) + body;
    };
    const QByteArray context = item(0x10, "1.2.840.10008.3.1.1.1");
    const QByteArray presentation = item(0x20, QByteArray("\x01\0\0\0", 4) + item(0x30, "1.2.840.10008.5.1.4.31") +
                                                   item(0x40, "1.2.840.10008.1.2"));
    const QByteArray user = item(0x50, item(0x51, QByteArray("\0\0\x40\0", 4)));
    return pdu(0x01, QByteArray("\0\x01\0\0", 4) + aeTitle(called) + aeTitle(calling) + QByteArray(32, 0) + context +
                         presentation + user);
}

// A C-FIND-RQ on Modality Worklist with its identifier: the command's PDU, then the data set's.
inline QByteArray findRq(const QByteArray &identifier)
{
    const QByteArray uid("1.2.840.10008.5.1.4.31");
    const QByteArray rest = attribute(0x0000, 0x0002, "", uid) + attribute(0x0000, 0x0100, "", le16(0x0020)) +
                            attribute(0x0000, 0x0110, "", le16(1)) + attribute(0x0000, 0x0700, "", le16(0)) +
                            attribute(0x0000, 0x0800, "", le16(0x0102));
    const QByteArray commandSet = attribute(0x0000, 0x0000, "", le32(quint32(rest.size()))) + rest;
    // In PDUs of at most 16 KB, as the gateway's association allows.
    QByteArray stream = pdv(true, true, commandSet);
    for (qsizetype at = 0; at < identifier.size() || at == 0; at += 16000)
        stream += pdv(false, at + 16000 >= identifier.size(), identifier.mid(at, 16000));
    return stream;
}

// The status of a C-FIND-RSP in a P-DATA-TF PDU; -1 when it holds none.
inline int findStatus(const QByteArray &pdu)
{
    const qsizetype at = pdu.indexOf(QByteArray("\0\0\0\x09\x02\0\0\0", 8));
    if (pdu.isEmpty() || pdu.at(0) != 0x04 || at < 0 || at + 10 > pdu.size())
        return -1;
    return uchar(pdu.at(at + 8)) | uchar(pdu.at(at + 9)) << 8;
}

} // namespace rawdicom

#include "marked_lines.h"

#include "platform/bytes.h"
#include "platform/error.h"

#include <QFileDevice>
#include <QIODevice>

#include <algorithm>
#include <cstring>
#include <vector>

namespace gatewaylog {

// The last line handed over was the last line of its file.
static constexpr qint64 kLeadsIntoNextFile = -2;

struct MarkedLineReader::Impl
{
    std::vector<QByteArray> markers;
    bool everyLine = false;
    qint64 blockSize = 0;
    std::vector<char> buffer;
    // Where the line after the last one handed over begins, as an offset in
    // the file being read; -1 when that line is not in this file. At the start
    // of a file it is 0 when the last line handed over ended the file before.
    qint64 afterLast = -1;

    // The line data[start, end); usable: where the whole lines in data end.
    void handOver(const char *data, qint64 offset, qint64 start, qint64 end, qint64 usable, quint32 found,
                  const LineHandler &onLine)
    {
        onLine(QByteArrayView(data + start, end - start), offset + start == afterLast, found);
        qint64 next = end; // the file's last line, without a line end
        if (end < usable) {
            next = end + 1;
            if (next < usable && data[next] == '\n')
                ++next;
        }
        afterLast = offset + next;
    }
};

MarkedLineReader::MarkedLineReader(const QList<QByteArray> &markers, bool everyLine, qint64 blockSize)
    : m_impl(std::make_unique<Impl>())
{
    m_impl->everyLine = everyLine;
    m_impl->blockSize = qMax<qint64>(blockSize, 1);
    // A line never holds a CR, so a marker with one is never found, like an
    // empty one.
    for (const QByteArray &m : markers)
        m_impl->markers.push_back(m.contains('\r') ? QByteArray() : m);
}

MarkedLineReader::~MarkedLineReader() = default;

// The last CR in data[from, size), or nullptr.
static const char *lastCr(const char *data, qint64 from, qint64 size)
{
    for (qint64 i = size - 1; i >= from; --i) {
        if (data[i] == '\r')
            return data + i;
    }
    return nullptr;
}

void MarkedLineReader::read(QIODevice &file, const LineHandler &onLine, const Progress &progress)
{
    Impl &d = *m_impl;
    // A line handed over at the very end of the file before leads into this one.
    const qint64 carried = d.afterLast;
    d.afterLast = carried == kLeadsIntoNextFile ? 0 : -1;
    // One buffer for all the files: the unfinished line at the end of a block
    // moves to the front and the next block is read behind it.
    std::vector<char> &buffer = d.buffer;
    qint64 held = 0;   // bytes in the buffer
    qint64 offset = 0; // file offset of buffer[0]
    qint64 readTotal = 0;
    std::vector<std::pair<qint64, int>> hits; // position, marker

    for (;;) {
        if (held + d.blockSize > qint64(buffer.size()))
            buffer.resize(static_cast<size_t>(held + d.blockSize));
        // What was held back holds no CR but perhaps its last byte, so only
        // from there on can a line end be new: a long line read in many
        // blocks is searched once, not once a block.
        const qint64 fresh = qMax<qint64>(held - 1, 0);
        const qint64 got = file.read(buffer.data() + held, d.blockSize);
        if (got < 0)
            throw platform::Error(QStringLiteral("로그 파일을 읽을 수 없습니다: %1").arg(file.errorString()));
        const bool atEnd = got == 0;
        readTotal += got;
        held += got;
        const char *data = buffer.data();
        const qint64 size = held;

        // Only whole lines are searched; the rest waits for the next block.
        qint64 usable = size;
        if (!atEnd) {
            const char *cr = lastCr(data, fresh, size);
            if (!cr || cr == data + size - 1) {
                // A CR at the very end may be followed by the LF of its line end.
                cr = cr ? lastCr(data, fresh, size - 1) : nullptr;
                if (!cr) {
                    if (progress)
                        progress(readTotal);
                    continue;
                }
            }
            usable = cr - data + 1;
            if (data[usable] == '\n')
                ++usable;
        }

        if (d.everyLine) {
            for (qint64 start = 0; start < usable;) {
                const void *cr = std::memchr(data + start, '\r', static_cast<size_t>(usable - start));
                const qint64 end = cr ? static_cast<const char *>(cr) - data : usable;
                quint32 found = 0;
                for (size_t i = 0; i < d.markers.size(); ++i) {
                    const QByteArray &m = d.markers[i];
                    if (!m.isEmpty() && platform::findBytes(data + start, static_cast<size_t>(end - start),
                                                            m.constData(), static_cast<size_t>(m.size())))
                        found |= 1u << i;
                }
                d.handOver(data, offset, start, end, usable, found, onLine);
                start = d.afterLast - offset;
                if (end >= usable)
                    break;
            }
        } else {
            hits.clear();
            for (size_t i = 0; i < d.markers.size(); ++i) {
                const QByteArray &marker = d.markers[i];
                if (marker.isEmpty())
                    continue;
                for (const char *from = data;;) {
                    const char *hit = platform::findBytes(from, static_cast<size_t>(data + usable - from),
                                                          marker.constData(), static_cast<size_t>(marker.size()));
                    if (!hit)
                        break;
                    // A marker that starts with a LF may match across a CR LF,
                    // the end of a line, not in it.
                    if (!(*hit == '\n' && hit > data && hit[-1] == '\r'))
                        hits.emplace_back(hit - data, int(i));
                    from = hit + 1;
                }
            }
            std::sort(hits.begin(), hits.end());
            for (size_t h = 0; h < hits.size();) {
                const qint64 hit = hits[h].first;
                qint64 start = hit;
                while (start > 0 && data[start - 1] != '\r' &&
                       !(data[start - 1] == '\n' && start >= 2 && data[start - 2] == '\r'))
                    --start;
                const void *cr = std::memchr(data + hit, '\r', static_cast<size_t>(usable - hit));
                const qint64 end = cr ? static_cast<const char *>(cr) - data : usable;
                quint32 found = 0;
                for (; h < hits.size() && hits[h].first < end; ++h)
                    found |= 1u << hits[h].second; // every marker of the line
                d.handOver(data, offset, start, end, usable, found, onLine);
            }
        }
        if (progress)
            progress(readTotal);
        if (atEnd)
            break;
        std::memmove(buffer.data(), buffer.data() + usable, static_cast<size_t>(held - usable));
        held -= usable;
        offset += usable;
    }
    if (readTotal == 0)
        d.afterLast = carried; // an empty file leaves the lines before it as they were
    else
        d.afterLast = d.afterLast == readTotal ? kLeadsIntoNextFile : -1;
}

} // namespace gatewaylog

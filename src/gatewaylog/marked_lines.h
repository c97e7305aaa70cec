#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <functional>
#include <memory>

class QIODevice;

namespace gatewaylog {

// Markers a reader needs only inside regions of lines: from a line that holds
// one of `opens` to the first line from there on that holds one of `closes`,
// both included (bits of the markers). The `inner` markers are looked for only
// where such a region may be open: elsewhere a line that holds only them is
// not handed over, and their bits are not set. Where the reading cannot yet
// know (the start of a block), they are looked for, so a reader must not
// depend on them outside its regions.
struct MarkerRegions
{
    quint32 opens = 0, closes = 0, inner = 0;
};

// Streams the gateway's log files and hands over, raw, the lines that hold one
// of a few ASCII markers. The file is read in blocks, each read and searched
// for all the markers in one pass by one of as many threads as the machine has
// cores (up to a few), and the lines are handed over on the caller's thread in
// file order, the ones that run from one block into the next joined there;
// only the lines that hold a marker are looked at one by one. Memory stays
// bounded whatever the files hold, a file without any line end included.
//
// A line ends at CR LF or at a lone CR. For each line handed over, `adjacent`
// tells whether it directly follows the line handed over before it (also
// across the end of one file and the start of the next), which is all the
// readers need to know about the lines in between; `found` has bit i set when
// the line holds marker i anywhere, and kCut when the line is longer than the
// line bound: then only its first lineBound bytes are handed over.
class MarkedLineReader final
{
public:
    static constexpr qint64 kBlockSize = 256 * 1024; // searched while still in the processor's cache
    // No line the gateway writes comes near it.
    static constexpr qint64 kLineBound = 64 * 1024;
    static constexpr quint32 kCut = 1u << 31;

    using Regions = MarkerRegions;

    using LineHandler = std::function<void(QByteArrayView line, bool adjacent, quint32 found)>;
    using Progress = std::function<void(qint64 bytes)>;

    // everyLine: hand over every line, marked or not. An empty marker, or one
    // that holds a CR, is never found. At most 31 markers.
    // blockSize: how much is read at a time; lineBound: the longest line
    // handed over whole (tests use small ones of both). Regions do not apply
    // when every line is handed over.
    MarkedLineReader(const QList<QByteArray> &markers, bool everyLine, qint64 blockSize = kBlockSize,
                     qint64 lineBound = kLineBound, Regions regions = {});
    MarkedLineReader(MarkedLineReader &&) noexcept;
    ~MarkedLineReader();

    // Reads one file to the end it has now and returns how many bytes that
    // was. progress is told the bytes read after each block. Throws
    // platform::Error when the file cannot be read; what onLine throws ends
    // the reading and goes on to the caller. A file on disk is read by
    // positional reads, several blocks at once; any other device must allow
    // seeking.
    qint64 read(QIODevice &file, const LineHandler &onLine, const Progress &progress = {});

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace gatewaylog

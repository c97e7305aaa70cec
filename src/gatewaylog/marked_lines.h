#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <functional>
#include <memory>

class QIODevice;

namespace gatewaylog {

// Streams the gateway's log files and hands over, raw, the lines that hold one
// of a few ASCII markers. The blocks read are searched for each marker as a
// whole, so the lines between hits are never looked at one by one, and the
// memory used does not grow with the files.
//
// A line ends at CR LF or at a lone CR. For each line handed over, `adjacent`
// tells whether it directly follows the line handed over before it (also
// across the end of one file and the start of the next), which is all the
// readers need to know about the lines in between; `found` has bit i set when
// the line holds marker i.
class MarkedLineReader final
{
public:
    static constexpr qint64 kBlockSize = 4 * 1024 * 1024;

    using LineHandler = std::function<void(QByteArrayView line, bool adjacent, quint32 found)>;
    using Progress = std::function<void(qint64 bytes)>;

    // everyLine: hand over every line, marked or not. An empty marker, or one
    // that holds a CR, is never found. At most 32 markers.
    // blockSize: how much is read at a time (tests use small blocks).
    MarkedLineReader(const QList<QByteArray> &markers, bool everyLine, qint64 blockSize = kBlockSize);
    ~MarkedLineReader();

    // Reads one file to the end it has now. progress is told the bytes read
    // after each block. Throws platform::Error when the file cannot be read.
    void read(QIODevice &file, const LineHandler &onLine, const Progress &progress = {});

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace gatewaylog

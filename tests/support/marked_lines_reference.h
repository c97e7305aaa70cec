#pragma once

#include "gatewaylog/marked_lines.h"
#include "platform/text_file.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QList>
#include <QTemporaryDir>

#include <stdexcept>

// The streaming marked-line reader, and the plain reference it must agree
// with: split every file into lines, number them across files, hand over the
// marked ones, a line longer than the bound as its head with the markers of
// the whole line. The reader's tests and its fuzzer both compare the two.
namespace testsupport {

struct SeenLine
{
    QByteArray line;
    bool adjacent;
    quint32 found;
    bool operator==(const SeenLine &o) const = default;
};

inline QList<SeenLine> referenceLines(const QList<QByteArray> &files, const QList<QByteArray> &markers, bool everyLine,
                                      qint64 lineBound = gatewaylog::MarkedLineReader::kLineBound)
{
    QList<SeenLine> seen;
    qint64 number = 0;
    qint64 last = -2;
    for (const QByteArray &file : files) {
        for (const QByteArray &line : platform::splitLines(file)) {
            quint32 found = 0;
            for (int i = 0; i < markers.size(); ++i) {
                if (!markers[i].isEmpty() && line.contains(markers[i]))
                    found |= 1u << i;
            }
            if (found || everyLine) {
                if (line.size() > lineBound)
                    seen.append({line.left(lineBound), number == last + 1, found | gatewaylog::MarkedLineReader::kCut});
                else
                    seen.append({line, number == last + 1, found});
                last = number;
            }
            ++number;
        }
    }
    return seen;
}

// Where the streamed files are read from: memory, read by seeking, or files
// on disk, read by positional reads on several threads at once.
enum class Source { Memory, Disk };

inline QList<SeenLine> streamedLines(const QList<QByteArray> &files, gatewaylog::MarkedLineReader &&reader,
                                     Source source = Source::Memory)
{
    QList<SeenLine> seen;
    const auto onLine = [&](QByteArrayView line, bool adjacent, quint32 found) {
        seen.append({line.toByteArray(), adjacent, found});
    };
    QTemporaryDir dir;
    for (QByteArray bytes : files) {
        qint64 read = 0;
        if (source == Source::Memory) {
            QBuffer device(&bytes);
            device.open(QIODevice::ReadOnly);
            read = reader.read(device, onLine);
        } else {
            QFile file(dir.filePath(QStringLiteral("log")));
            if (!file.open(QIODevice::ReadWrite | QIODevice::Truncate) || file.write(bytes) != bytes.size() ||
                !file.seek(0))
                throw std::runtime_error("cannot write a log file for the reader");
            read = reader.read(file, onLine);
        }
        if (read != bytes.size())
            throw std::runtime_error("the reader says it read another size than the file's");
    }
    return seen;
}

inline QList<SeenLine> streamedLines(const QList<QByteArray> &files, const QList<QByteArray> &markers, bool everyLine,
                                     qint64 block, qint64 lineBound = gatewaylog::MarkedLineReader::kLineBound,
                                     Source source = Source::Memory)
{
    return streamedLines(files, gatewaylog::MarkedLineReader(markers, everyLine, block, lineBound), source);
}

} // namespace testsupport

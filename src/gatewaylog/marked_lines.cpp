#include "marked_lines.h"

#include "literal_search.h"

#include "platform/error.h"

#include <QFile>
#include <QIODevice>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <limits>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#endif

namespace gatewaylog {

namespace {

// The last line handed over was the last line of its file.
constexpr qint64 kLeadsIntoNextFile = -2;
// How much of the first block chooses the bytes the markers are looked for by.
constexpr qint64 kSample = 64 * 1024;
constexpr qint64 kThreadedBlock = 1024;

struct Line
{
    qint64 start;               // in the block's stretch
    qint64 length;              // at most the line bound
    qint64 fileStart, fileNext; // where it and the line after it begin in the file
    quint32 found;
};

// One stretch of a file, [offset, offset + size), read with the byte before it
// and a few after it, and searched by one thread while others read and search
// the next: the lines that begin and end in it, and the markers of the parts it
// holds of the line that comes in from the stretch before (its head) and of the
// one that goes on into the next (its tail). A stretch without a CR is all head.
struct Block
{
    std::unique_ptr<char[]> bytes; // the byte before the stretch, the stretch, the bytes after it
    qint64 capacity = 0;
    qint64 offset = 0;
    qint64 size = 0;
    qint64 ahead = 0;  // bytes read after the stretch
    bool last = false; // the file ends in the stretch or right after it
    qint64 skip = 0;   // 1 when the stretch begins with the LF of a CR LF
    qint64 firstCr = -1;
    qint64 linesFrom = 0, tailFrom = 0; // where its first and last lines begin (possibly just past it)
    quint32 headFound = 0, tailFound = 0;
    std::vector<Line> lines;
    std::vector<std::pair<qint64, int>> hits;

    const char *data() const { return bytes.get() + 1; }
    void reserve(qint64 n)
    {
        if (n > capacity) {
            bytes.reset(new char[size_t(n)]);
            capacity = n;
        }
    }
};

// The position after the last CR in data[from, to), or from when it holds none.
qint64 afterLastCr(const char *data, qint64 from, qint64 to)
{
    qint64 i = to;
    if constexpr (std::endian::native == std::endian::little) {
        // Eight bytes at a time: a byte's top bit is set in `cr` where the byte is a CR.
        constexpr quint64 crs = 0x0d0d0d0d0d0d0d0dull, low7 = 0x7f7f7f7f7f7f7f7full;
        for (; i - from >= 8; i -= 8) {
            quint64 x;
            std::memcpy(&x, data + i - 8, 8);
            x ^= crs;
            const quint64 cr = ~(((x & low7) + low7) | x | low7);
            if (cr)
                return i - 8 + (63 - std::countl_zero(cr)) / 8 + 1;
        }
    }
    while (i > from && data[i - 1] != '\r')
        --i;
    return i;
}

// A marker that starts with a LF may match across a CR LF, the end of a line,
// not in it (data[h - 1] is readable).
bool inLine(const char *data, qint64 h)
{
    return !(data[h] == '\n' && data[h - 1] == '\r');
}

platform::Error unreadable(const QString &why)
{
    return platform::Error(QStringLiteral("로그 파일을 읽을 수 없습니다: %1").arg(why));
}

// Reads stretches of one file by their place in it: a file on disk by
// positional reads, which threads make at once (Windows lets one read of a
// handle run at a time, but never moves the others' place); any other device
// one at a time, by seeking.
class Source
{
public:
    explicit Source(QIODevice &device) : m_device(device)
    {
        if (auto *file = qobject_cast<QFile *>(&device))
            m_fd = file->handle();
    }

    // Up to size bytes from offset at on; fewer only at the end of the file.
    qint64 readAt(char *into, qint64 at, qint64 size)
    {
        qint64 done = 0;
#ifdef Q_OS_UNIX
        if (m_fd >= 0) {
            while (done < size) {
                const ssize_t n = ::pread(m_fd, into + done, size_t(size - done), off_t(at + done));
                if (n < 0 && errno == EINTR)
                    continue;
                if (n < 0)
                    throw unreadable(qt_error_string(errno));
                if (n == 0)
                    break;
                done += n;
            }
            return done;
        }
#elif defined(Q_OS_WIN)
        const auto handle = m_fd >= 0 ? reinterpret_cast<HANDLE>(_get_osfhandle(m_fd)) : INVALID_HANDLE_VALUE;
        if (handle != INVALID_HANDLE_VALUE) {
            while (done < size) {
                OVERLAPPED place{};
                const quint64 from = quint64(at + done);
                place.Offset = DWORD(from);
                place.OffsetHigh = DWORD(from >> 32);
                DWORD n = 0;
                if (!ReadFile(handle, into + done, DWORD(qMin<qint64>(size - done, 1 << 30)), &n, &place)) {
                    const DWORD code = GetLastError();
                    if (code == ERROR_HANDLE_EOF)
                        break;
                    throw unreadable(qt_error_string(int(code)));
                }
                if (n == 0)
                    break;
                done += n;
            }
            return done;
        }
#endif
        std::lock_guard lock(m_lock);
        if (at >= m_device.size())
            return 0;
        if (!m_device.seek(at))
            throw unreadable(m_device.errorString());
        while (done < size) {
            const qint64 n = m_device.read(into + done, size - done);
            if (n < 0)
                throw unreadable(m_device.errorString());
            if (n == 0)
                break;
            done += n;
        }
        return done;
    }

private:
    QIODevice &m_device;
    int m_fd = -1;
    std::mutex m_lock;
};

} // namespace

struct MarkedLineReader::Impl
{
    std::vector<QByteArray> markers;
    Regions regions;
    LiteralSearch search;
    LiteralSearch outside; // the markers looked for outside the regions
    quint32 all = 0;       // the markers that can be found
    bool everyLine = false;
    qint64 blockSize = 0;
    qint64 lineBound = 0;
    qint64 overlap = 0; // the longest marker less one: what a marker may span from one stretch into the next
    bool tuned = false;
    int workers = 0;                          // threads beside the caller's
    std::vector<std::unique_ptr<Block>> pool; // kept from file to file
    // Where the line after the last one handed over begins, as an offset in
    // the file being read; -1 when that line is not in this file. At the start
    // of a file it is 0 when the last line handed over ended the file before.
    qint64 afterLast = -1;

    Impl(std::vector<QByteArray> m, Regions r)
        : markers(std::move(m)), regions(r), search(markers), outside([&] {
              std::vector<QByteArray> kept = markers;
              for (size_t i = 0; i < kept.size(); ++i) {
                  if (regions.inner >> i & 1)
                      kept[i].clear();
              }
              return kept;
          }())
    {
        for (size_t i = 0; i < markers.size(); ++i) {
            if (!markers[i].isEmpty())
                all |= 1u << i;
        }
    }

    void readBlock(Source &source, Block &b, qint64 index) const;
    void tune(const Block &b);
    void searchBlock(Block &b) const;
    // The markers in data[from, to) of a part of a line; a marker may run on
    // into the bytes after it up to `readable`.
    quint32 partMarkers(const char *data, qint64 from, qint64 to, qint64 readable) const;
    void cutIntoLines(Block &b, qint64 begin, qint64 usable) const;
};

void MarkedLineReader::Impl::readBlock(Source &source, Block &b, qint64 index) const
{
    const qint64 after = qMax<qint64>(overlap, 1); // also the LF of a CR LF that ends the stretch
    b.reserve(1 + blockSize + after);
    b.offset = index * blockSize;
    char *start = b.bytes.get();
    start[0] = 0;
    qint64 got = 0;
    if (b.offset > 0) {
        got = source.readAt(start, b.offset - 1, 1 + blockSize + after) - 1;
        if (got < 0) {
            start[0] = 0;
            got = 0;
        }
    } else {
        got = source.readAt(start + 1, 0, blockSize + after);
    }
    b.size = qMin(got, blockSize);
    b.ahead = got - b.size;
    b.last = b.ahead == 0;
}

void MarkedLineReader::Impl::tune(const Block &b)
{
    const size_t n = size_t(qMin(b.size, kSample));
    search.tune(b.data(), n);
    outside.tune(b.data(), n);
    tuned = true;
}

quint32 MarkedLineReader::Impl::partMarkers(const char *data, qint64 from, qint64 to, qint64 readable) const
{
    quint32 found = 0;
    if (to <= from)
        return 0;
    // A part is of one line: once it holds every marker, the rest of a long one need not be searched.
    search.forEach(data + from, size_t(qMin(readable, to + overlap) - from), [&](size_t at, int i) {
        const qint64 h = from + qint64(at);
        if (h >= to)
            return false;
        if (inLine(data, h))
            found |= 1u << i;
        return found != all;
    });
    return found;
}

void MarkedLineReader::Impl::searchBlock(Block &b) const
{
    const char *data = b.data();
    const qint64 size = b.size;
    const qint64 readable = size + b.ahead;
    b.lines.clear();
    b.hits.clear();
    b.tailFound = 0;
    b.skip = b.offset > 0 && size > 0 && data[-1] == '\r' && data[0] == '\n' ? 1 : 0;
    const void *cr = std::memchr(data + b.skip, '\r', size_t(size - b.skip));
    if (!cr) {
        b.firstCr = -1;
        b.linesFrom = b.tailFrom = size;
        b.headFound = partMarkers(data, b.skip, size, readable);
        return;
    }
    const auto afterLineEnd = [&](qint64 c) { return c + 1 < readable && data[c + 1] == '\n' ? c + 2 : c + 1; };
    b.firstCr = static_cast<const char *>(cr) - data;
    b.linesFrom = afterLineEnd(b.firstCr);
    b.tailFrom = afterLineEnd(afterLastCr(data, b.firstCr, size) - 1);
    // No marker holds a CR: each part is searched up to its own line end.
    b.headFound = partMarkers(data, b.skip, b.firstCr, b.firstCr);
    if (b.tailFrom < size)
        b.tailFound = partMarkers(data, b.tailFrom, size, readable);
    if (b.linesFrom < b.tailFrom)
        cutIntoLines(b, b.linesFrom, b.tailFrom);
}

// The whole lines in [begin, usable), each ended by a CR in it.
void MarkedLineReader::Impl::cutIntoLines(Block &b, qint64 begin, qint64 usable) const
{
    const char *data = b.data();
    const auto add = [&](qint64 start, qint64 end, quint32 found) {
        qint64 next = end + 1;
        if (next < usable && data[next] == '\n')
            ++next;
        qint64 length = end - start;
        if (length > lineBound) {
            length = lineBound;
            found |= kCut;
        }
        b.lines.push_back({start, length, b.offset + start, b.offset + next, found});
        return next;
    };
    const auto lineEnd = [&](qint64 from) {
        const void *cr = std::memchr(data + from, '\r', size_t(usable - from));
        return cr ? static_cast<const char *>(cr) - data : usable;
    };
    if (everyLine) {
        search.forEach(data + begin, size_t(usable - begin), [&](size_t at, int i) {
            const qint64 h = begin + qint64(at);
            if (inLine(data, h))
                b.hits.emplace_back(h, i);
        });
        size_t h = 0;
        for (qint64 start = begin; start < usable;) {
            const qint64 end = lineEnd(start);
            quint32 found = 0;
            for (; h < b.hits.size() && b.hits[h].first < end; ++h)
                found |= 1u << b.hits[h].second;
            start = add(start, end, found);
        }
        return;
    }
    // The hits come by position: each one is in the line of the one before,
    // or begins the next marked line.
    qint64 from = begin; // where the line after the last one taken begins
    qint64 start = 0, end = -1;
    quint32 found = 0;
    // Where the line that holds h begins.
    const auto lineStart = [&](qint64 h) {
        if (h < end)
            return start;
        qint64 s = afterLastCr(data, end >= 0 ? end + 1 : from, h);
        // A hit is never the LF of a CR LF, so one after the CR is still before it.
        if (s > begin && data[s - 1] == '\r' && data[s] == '\n')
            ++s;
        return s;
    };
    const auto take = [&](qint64 h, int i) {
        if (h < end) {
            found |= 1u << i; // every marker of the line
            return;
        }
        if (!inLine(data, h))
            return;
        const qint64 s = lineStart(h);
        if (end >= 0)
            from = add(start, end, found);
        start = s;
        end = lineEnd(h);
        found = 1u << i;
    };
    if (regions.inner == 0) {
        search.forEach(data + begin, size_t(usable - begin), [&](size_t at, int i) { take(begin + qint64(at), i); });
    } else {
        // A region may be open where the lines begin: all markers are looked
        // for up to the end of the first line that closes one, then only the
        // others until a line opens one again, and so on.
        qint64 pos = begin;
        bool open = true;
        while (pos < usable) {
            qint64 next = usable;
            if (open) {
                qint64 closedAt = -1;
                search.forEach(data + pos, size_t(usable - pos), [&](size_t at, int i) {
                    const qint64 h = pos + qint64(at);
                    if (closedAt >= 0 && h >= closedAt) {
                        next = closedAt;
                        return false;
                    }
                    take(h, i);
                    if ((regions.closes >> i & 1) && inLine(data, h))
                        closedAt = end;
                    return true;
                });
            } else {
                outside.forEach(data + pos, size_t(usable - pos), [&](size_t at, int i) {
                    const qint64 h = pos + qint64(at);
                    if ((regions.opens >> i & 1) && inLine(data, h)) {
                        next = lineStart(h);
                        return false;
                    }
                    take(h, i);
                    return true;
                });
            }
            pos = next;
            open = !open;
        }
    }
    if (end >= 0)
        add(start, end, found);
}

MarkedLineReader::MarkedLineReader(const QList<QByteArray> &markers, bool everyLine, qint64 blockSize, qint64 lineBound,
                                   Regions regions)
    : m_impl([&] {
          // A line never holds a CR, so a marker with one is never found, like
          // an empty one.
          std::vector<QByteArray> kept;
          for (qsizetype i = 0; i < markers.size() && i < 31; ++i)
              kept.push_back(markers[i].contains('\r') ? QByteArray() : markers[i]);
          return std::make_unique<Impl>(std::move(kept), everyLine ? Regions{} : regions);
      }())
{
    m_impl->everyLine = everyLine;
    m_impl->blockSize = qMax<qint64>(blockSize, 1);
    m_impl->lineBound = qMax<qint64>(lineBound, 1);
    for (const QByteArray &m : m_impl->markers)
        m_impl->overlap = qMax<qint64>(m_impl->overlap, m.size() - 1);
    // The caller's thread searches too.
    m_impl->workers = int(qBound(1u, std::thread::hardware_concurrency(), 4u)) - 1;
}

MarkedLineReader::MarkedLineReader(MarkedLineReader &&) noexcept = default;
MarkedLineReader::~MarkedLineReader() = default;

qint64 MarkedLineReader::read(QIODevice &file, const LineHandler &onLine, const Progress &progress)
{
    Impl &d = *m_impl;
    Source source(file);
    // A line handed over at the very end of the file before leads into this one.
    const qint64 carried = d.afterLast;
    d.afterLast = carried == kLeadsIntoNextFile ? 0 : -1;
    // Blocks in use at once: one a thread, and more to hand over from.
    while (d.pool.size() < size_t(d.workers + 4))
        d.pool.push_back(std::make_unique<Block>());

    const auto handOver = [&](QByteArrayView line, qint64 start, qint64 next, quint32 found) {
        onLine(line, start == d.afterLast, found);
        d.afterLast = next;
    };
    // The line that runs on from one stretch into the next: its first
    // lineBound bytes, and the markers of all of it.
    struct
    {
        qint64 start = 0, length = 0;
        quint32 found = 0;
        std::vector<char> head;
    } open;
    const auto extend = [&](const char *p, qint64 n) {
        const qint64 room = qMax<qint64>(0, d.lineBound - qint64(open.head.size()));
        open.head.insert(open.head.end(), p, p + qMin(n, room));
        open.length += n;
    };
    const auto close = [&](qint64 next) {
        if (open.found || d.everyLine)
            handOver(QByteArrayView(open.head.data(), qsizetype(open.head.size())), open.start, next,
                     open.found | (open.length > d.lineBound ? kCut : 0));
    };
    qint64 total = 0;
    const auto deliver = [&](const Block &b) {
        const char *data = b.data();
        if (b.firstCr < 0) {
            extend(data + b.skip, b.size - b.skip);
            open.found |= b.headFound;
        } else {
            extend(data + b.skip, b.firstCr - b.skip);
            open.found |= b.headFound;
            close(b.offset + b.linesFrom);
            for (const Line &l : b.lines)
                handOver(QByteArrayView(data + l.start, l.length), l.fileStart, l.fileNext, l.found);
            open.start = b.offset + b.tailFrom;
            open.length = 0;
            open.found = b.tailFound;
            open.head.clear();
            if (b.tailFrom < b.size)
                extend(data + b.tailFrom, b.size - b.tailFrom);
        }
        total = b.offset + b.size;
        if (b.last && open.length > 0)
            close(total);
        if (progress)
            progress(total);
    };
    const auto finish = [&] {
        if (total == 0)
            d.afterLast = carried; // an empty file leaves the lines before it as they were
        else
            d.afterLast = d.afterLast == total ? kLeadsIntoNextFile : -1;
        return total;
    };

    // The first stretch is read here: the search is tuned by it before any
    // thread searches.
    std::unique_ptr<Block> first = std::move(d.pool.back());
    d.pool.pop_back();
    d.readBlock(source, *first, 0);
    if (!d.tuned && first->size >= 4096)
        d.tune(*first);
    d.searchBlock(*first);

    // Blocks so small that handing them between threads costs more than
    // searching them (tests) are read on this thread alone.
    if (d.blockSize < kThreadedBlock || first->last) {
        for (qint64 k = 1;; ++k) {
            deliver(*first);
            if (first->last)
                break;
            d.readBlock(source, *first, k);
            d.searchBlock(*first);
        }
        d.pool.push_back(std::move(first));
        return finish();
    }

    std::mutex mutex;
    std::condition_variable toWorkers, toReader;
    std::map<qint64, std::unique_ptr<Block>> ready;
    ready[0] = std::move(first);
    qint64 nextIndex = 1;
    qint64 lastIndex = std::numeric_limits<qint64>::max(); // no stretch after it needs reading
    bool stop = false;
    std::exception_ptr failure;

    // Takes the next stretch of the file, reads it and searches it, unless
    // none is left or no block is free; the lock is held on entry and on
    // return, not while the stretch is read or searched.
    const auto searchNext = [&](std::unique_lock<std::mutex> &lock) {
        if (stop || nextIndex > lastIndex || d.pool.empty())
            return false;
        std::unique_ptr<Block> b = std::move(d.pool.back());
        d.pool.pop_back();
        const qint64 index = nextIndex++;
        lock.unlock();
        try {
            d.readBlock(source, *b, index);
            d.searchBlock(*b);
            lock.lock();
            if (b->last)
                lastIndex = qMin(lastIndex, index);
        } catch (...) {
            if (!lock.owns_lock())
                lock.lock();
            if (!failure)
                failure = std::current_exception();
            stop = true;
        }
        ready[index] = std::move(b);
        toReader.notify_all();
        toWorkers.notify_all();
        return true;
    };
    const auto work = [&] {
        std::unique_lock lock(mutex);
        for (;;) {
            toWorkers.wait(lock, [&] { return stop || nextIndex > lastIndex || !d.pool.empty(); });
            if (stop || nextIndex > lastIndex)
                return;
            searchNext(lock);
        }
    };
    std::vector<std::thread> threads;
    // Whatever ends the reading, the threads end before it goes on.
    struct Join
    {
        std::vector<std::thread> &threads;
        std::mutex &mutex;
        bool &stop;
        std::condition_variable &toWorkers;
        ~Join()
        {
            {
                std::lock_guard lock(mutex);
                stop = true;
            }
            toWorkers.notify_all();
            for (std::thread &t : threads)
                t.join();
        }
    } join{threads, mutex, stop, toWorkers};
    for (int i = 0; i < d.workers; ++i)
        threads.emplace_back(work);

    // This thread hands the lines over in file order and, while the next
    // stretch is not searched yet, reads and searches one itself: it sleeps
    // only when it can do neither, and no stretch waits for it to wake.
    for (qint64 k = 0;; ++k) {
        std::unique_ptr<Block> b;
        {
            std::unique_lock lock(mutex);
            for (;;) {
                if (failure)
                    std::rethrow_exception(failure);
                if (ready.count(k))
                    break;
                if (!searchNext(lock))
                    toReader.wait(lock);
            }
            b = std::move(ready[k]);
            ready.erase(k);
        }
        deliver(*b);
        const bool last = b->last;
        std::lock_guard lock(mutex);
        d.pool.push_back(std::move(b));
        toWorkers.notify_one();
        if (last)
            break;
    }
    {
        std::lock_guard lock(mutex);
        stop = true;
    }
    toWorkers.notify_all();
    for (std::thread &t : threads)
        t.join();
    threads.clear();
    for (auto &[index, b] : ready)
        d.pool.push_back(std::move(b));
    return finish();
}

} // namespace gatewaylog

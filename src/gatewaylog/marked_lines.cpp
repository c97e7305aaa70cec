#include "marked_lines.h"

#include "literal_search.h"

#include "platform/error.h"

#include <QIODevice>

#include <algorithm>
#include <atomic>
#include <bit>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace gatewaylog {

namespace {

// The last line handed over was the last line of its file.
constexpr qint64 kLeadsIntoNextFile = -2;
// How much of the first block chooses the bytes the markers are looked for by.
constexpr qint64 kSample = 64 * 1024;
constexpr qint64 kThreadedBlock = 1024;

struct Line
{
    qint64 start;               // in the block's bytes
    qint64 length;              // at most the line bound
    qint64 fileStart, fileNext; // where it and the line after it begin in the file
    quint32 found;
};

// Bytes read at once from one file: the whole lines in [begin, usable), found
// and cut into lines by one thread while others read and search the next.
struct Block
{
    std::unique_ptr<char[]> bytes;
    qint64 capacity = 0;
    qint64 offset = 0; // in the file, of bytes[0]
    qint64 begin = 0, usable = 0;
    qint64 readTotal = 0; // of the file, once this block is read
    // A line too long to be held: the part of it in [0, continuedTo) when it
    // began in a block before, its head when it ends here, and the part in
    // [startsFrom, startsTo) when one begins here. The markers of each part
    // are found outside the lock, like those of the whole lines.
    qint64 continuedTo = -1;
    bool longEnds = false;
    QByteArray longHead;
    qint64 longStart = 0, longNext = 0;
    qint64 startsFrom = 0, startsTo = -1;
    quint32 continuedFound = 0, startsFound = 0;
    // The markers found so far in each of those long lines, by all threads.
    std::shared_ptr<std::atomic<quint32>> continuedBits, startsBits;
    std::vector<Line> lines;
    std::vector<std::pair<qint64, int>> hits;

    void reserve(qint64 size)
    {
        if (size > capacity) {
            bytes.reset(new char[size_t(size)]);
            capacity = size;
        }
    }
};

const char *lastCr(const char *data, qint64 from, qint64 size)
{
    for (qint64 i = size - 1; i >= from; --i) {
        if (data[i] == '\r')
            return data + i;
    }
    return nullptr;
}

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

// The reading of one file: one thread at a time reads the next block of the
// file (carrying the unfinished line over from the block before); neither the
// reading nor the search of a block holds the lock.
struct Split
{
    QIODevice *file = nullptr;
    std::vector<char> carry; // the unfinished line (it may end in the CR of its line end), or the end of a long one
    qint64 carryOffset = 0;
    bool inLong = false;
    QByteArray longHead;
    std::shared_ptr<std::atomic<quint32>> longBits;
    qint64 longStart = 0;
    qint64 readTotal = 0;
    bool eof = false;
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
    qint64 overlap = 0; // the longest marker less one: what a marker may span from one block into the next
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

    // The markers in a part of a long line. The line holds what any of its
    // parts holds: once all are found, by this thread or another, the rest
    // need not be searched.
    void findMarkers(const char *data, qint64 size, quint32 &found, std::atomic<quint32> &line) const
    {
        search.forEach(data, size_t(size), [&](size_t at, int i) {
            const quint32 bit = 1u << i;
            if (!(found & bit) && !(data[at] == '\n' && at > 0 && data[at - 1] == '\r')) {
                found |= bit;
                line.fetch_or(bit, std::memory_order_relaxed);
            }
            return (found | line.load(std::memory_order_relaxed)) != all;
        });
    }

    void fill(Split &s, Block &b, bool first);
    void cutIntoLines(Block &b) const;
};

void MarkedLineReader::Impl::fill(Split &s, Block &b, bool first)
{
    Impl &d = *this;
    const qint64 keep = qint64(s.carry.size());
    b.reserve(keep + d.blockSize);
    char *data = b.bytes.get();
    if (keep)
        std::memcpy(data, s.carry.data(), size_t(keep));
    const qint64 got = s.file->read(data + keep, d.blockSize);
    if (got < 0)
        throw platform::Error(QStringLiteral("로그 파일을 읽을 수 없습니다: %1").arg(s.file->errorString()));
    const bool atEnd = got == 0;
    s.readTotal += got;
    b.readTotal = s.readTotal;
    b.offset = s.carryOffset;
    b.continuedTo = -1;
    b.longEnds = false;
    b.startsTo = -1;
    const qint64 size = keep + got;
    s.carry.clear();
    if (first && !d.tuned && size >= 4096) {
        d.search.tune(data, size_t(qMin(size, kSample)));
        d.outside.tune(data, size_t(qMin(size, kSample)));
        d.tuned = true;
    }

    qint64 pos = 0;
    if (s.inLong) {
        // Only the markers are looked for until the line ends.
        const char *cr = static_cast<const char *>(std::memchr(data, '\r', size_t(size)));
        const qint64 c = cr ? cr - data : size;
        b.continuedTo = c;
        if ((cr && (c < size - 1 || atEnd)) || atEnd) {
            qint64 next = c;
            if (cr) {
                next = c + 1;
                if (next < size && data[next] == '\n')
                    ++next;
            }
            b.longEnds = true;
            b.continuedBits = s.longBits;
            s.longBits.reset();
            b.longHead = std::move(s.longHead);
            b.longStart = s.longStart;
            b.longNext = b.offset + next;
            s.inLong = false;
            s.longHead = QByteArray();
            pos = next;
        } else {
            b.continuedBits = s.longBits;
            // A CR at the very end may be followed by the LF of its line end.
            const qint64 tail = cr ? 1 : qMin(d.overlap, size);
            s.carry.assign(data + size - tail, data + size);
            s.carryOffset = b.offset + size - tail;
            b.begin = b.usable = size;
            return;
        }
    }

    // Only whole lines are searched; the rest waits for the next block.
    qint64 usable = size;
    if (!atEnd) {
        const char *cr = lastCr(data, pos, size);
        if (cr == data + size - 1)
            cr = lastCr(data, pos, size - 1);
        usable = cr ? cr - data + 1 : pos;
        if (cr && data[usable] == '\n')
            ++usable;
    }
    b.begin = pos;
    b.usable = usable;
    const qint64 tail = size - usable;
    const bool endsInCr = tail > 0 && data[size - 1] == '\r';
    const qint64 content = tail - (endsInCr ? 1 : 0);
    if (content > d.lineBound) {
        // Too long to hold: its head is kept, and from here on only the
        // markers in it are looked for.
        s.inLong = true;
        s.longStart = b.offset + usable;
        s.longHead = QByteArray(data + usable, d.lineBound);
        s.longBits = std::make_shared<std::atomic<quint32>>(0);
        b.startsBits = s.longBits;
        b.startsFrom = usable;
        b.startsTo = usable + content;
        const qint64 kept = endsInCr ? 1 : qMin(d.overlap, content);
        s.carry.assign(data + size - kept, data + size);
        s.carryOffset = b.offset + size - kept;
    } else {
        s.carry.assign(data + usable, data + size);
        s.carryOffset = b.offset + usable;
    }
    if (atEnd)
        s.eof = true;
}

void MarkedLineReader::Impl::cutIntoLines(Block &b) const
{
    const char *data = b.bytes.get();
    b.lines.clear();
    b.hits.clear();
    b.continuedFound = b.startsFound = 0;
    if (b.continuedTo >= 0)
        findMarkers(data, b.continuedTo, b.continuedFound, *b.continuedBits);
    if (b.startsTo >= 0)
        findMarkers(data + b.startsFrom, b.startsTo - b.startsFrom, b.startsFound, *b.startsBits);
    b.continuedBits.reset();
    b.startsBits.reset();
    const qint64 usable = b.usable;
    const auto add = [&](qint64 start, qint64 end, quint32 found) {
        qint64 next = end; // the file's last line, without a line end
        if (end < usable) {
            next = end + 1;
            if (next < usable && data[next] == '\n')
                ++next;
        }
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
    // A marker that starts with a LF may match across a CR LF, the end of a
    // line, not in it.
    const auto inLine = [&](qint64 h) { return !(data[h] == '\n' && h > 0 && data[h - 1] == '\r'); };
    if (usable <= b.begin)
        return;
    if (everyLine) {
        search.forEach(data + b.begin, size_t(usable - b.begin), [&](size_t at, int i) {
            const qint64 h = b.begin + qint64(at);
            if (inLine(h))
                b.hits.emplace_back(h, i);
        });
        size_t h = 0;
        for (qint64 start = b.begin; start < usable;) {
            const qint64 end = lineEnd(start);
            quint32 found = 0;
            for (; h < b.hits.size() && b.hits[h].first < end; ++h)
                found |= 1u << b.hits[h].second;
            start = add(start, end, found);
            if (end >= usable)
                break;
        }
        return;
    }
    // The hits come by position: each one is in the line of the one before,
    // or begins the next marked line.
    qint64 from = b.begin; // where the line after the last one taken begins
    qint64 start = 0, end = -1;
    quint32 found = 0;
    // Where the line that holds h begins.
    const auto lineStart = [&](qint64 h) {
        if (h < end)
            return start;
        const qint64 after = end >= 0 ? end + 1 : from;
        qint64 s = afterLastCr(data, after, h);
        // A hit is never the LF of a CR LF, so one after the CR is still before it.
        if (s > b.begin && data[s - 1] == '\r' && data[s] == '\n')
            ++s;
        return s;
    };
    const auto take = [&](qint64 h, int i) {
        if (h < end) {
            found |= 1u << i; // every marker of the line
            return;
        }
        if (!inLine(h))
            return;
        const qint64 s = lineStart(h);
        if (end >= 0)
            from = add(start, end, found);
        start = s;
        end = lineEnd(h);
        found = 1u << i;
    };
    if (regions.inner == 0) {
        search.forEach(data + b.begin, size_t(usable - b.begin),
                       [&](size_t at, int i) { take(b.begin + qint64(at), i); });
    } else {
        // A region may be open where the block begins: all markers are looked
        // for up to the end of the first line that closes one, then only the
        // others until a line opens one again, and so on.
        qint64 pos = b.begin;
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
                    if ((regions.closes >> i & 1) && inLine(h))
                        closedAt = end;
                    return true;
                });
            } else {
                outside.forEach(data + pos, size_t(usable - pos), [&](size_t at, int i) {
                    const qint64 h = pos + qint64(at);
                    if ((regions.opens >> i & 1) && inLine(h)) {
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

void MarkedLineReader::read(QIODevice &file, const LineHandler &onLine, const Progress &progress)
{
    Impl &d = *m_impl;
    // A line handed over at the very end of the file before leads into this one.
    const qint64 carried = d.afterLast;
    d.afterLast = carried == kLeadsIntoNextFile ? 0 : -1;

    Split split;
    split.file = &file;
    std::mutex mutex;
    std::condition_variable toWorkers, toReader;
    std::map<qint64, std::unique_ptr<Block>> ready;
    qint64 nextIndex = 0;
    qint64 blockCount = -1; // known once the end of the file is read
    bool stop = false;
    std::exception_ptr failure;
    // Blocks in use at once: one a thread, and more to hand over from.
    while (d.pool.size() < size_t(d.workers + 4))
        d.pool.push_back(std::make_unique<Block>());

    const auto handOver = [&](QByteArrayView line, qint64 start, qint64 next, quint32 found) {
        onLine(line, start == d.afterLast, found);
        d.afterLast = next;
    };
    quint32 longFound = 0; // the markers of the long line being read, so far
    const auto deliver = [&](Block &b) {
        if (b.continuedTo >= 0)
            longFound |= b.continuedFound;
        if (b.longEnds && (longFound || d.everyLine))
            handOver(QByteArrayView(b.longHead), b.longStart, b.longNext, longFound | kCut);
        for (const Line &l : b.lines)
            handOver(QByteArrayView(b.bytes.get() + l.start, l.length), l.fileStart, l.fileNext, l.found);
        if (b.startsTo >= 0)
            longFound = b.startsFound;
        if (progress)
            progress(b.readTotal);
        b.longHead = QByteArray();
    };
    const auto finish = [&] {
        if (split.readTotal == 0)
            d.afterLast = carried; // an empty file leaves the lines before it as they were
        else
            d.afterLast = d.afterLast == split.readTotal ? kLeadsIntoNextFile : -1;
    };

    // Blocks so small that handing them between threads costs more than
    // searching them (tests) are read on this thread alone.
    if (d.blockSize < kThreadedBlock) {
        Block &b = *d.pool.front();
        for (qint64 k = 0; !split.eof; ++k) {
            d.fill(split, b, k == 0);
            d.cutIntoLines(b);
            deliver(b);
        }
        finish();
        return;
    }

    // Takes the next block of the file, reads it and searches it, unless none
    // is free, the file is read or another thread is reading it; the lock is
    // held on entry and on return, not while the file is read or the block
    // searched.
    bool reading = false;
    bool ended = false; // the end of the file is read
    const auto searchNext = [&](std::unique_lock<std::mutex> &lock) {
        if (stop || ended || reading || d.pool.empty())
            return false;
        std::unique_ptr<Block> b = std::move(d.pool.back());
        d.pool.pop_back();
        const qint64 index = nextIndex++;
        reading = true;
        lock.unlock();
        try {
            d.fill(split, *b, index == 0);
            lock.lock();
            reading = false;
            if (split.eof) {
                ended = true;
                blockCount = nextIndex;
            }
            toWorkers.notify_all();
            toReader.notify_all();
            lock.unlock();
            d.cutIntoLines(*b);
            lock.lock();
        } catch (...) {
            if (!lock.owns_lock())
                lock.lock();
            reading = false;
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
            toWorkers.wait(lock, [&] { return stop || ended || (!reading && !d.pool.empty()); });
            if (stop || ended)
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

    // This thread hands the lines over in file order and, while the next block
    // is not searched yet, reads and searches one itself: it sleeps only when
    // it can do neither, and no block waits for it to wake.
    for (qint64 k = 0;; ++k) {
        std::unique_ptr<Block> b;
        {
            std::unique_lock lock(mutex);
            for (;;) {
                if (failure)
                    std::rethrow_exception(failure);
                if (ready.count(k) || (blockCount >= 0 && k >= blockCount))
                    break;
                if (!searchNext(lock))
                    toReader.wait(lock);
            }
            if (!ready.count(k))
                break;
            b = std::move(ready[k]);
            ready.erase(k);
        }
        deliver(*b);
        std::lock_guard lock(mutex);
        d.pool.push_back(std::move(b));
        toWorkers.notify_one();
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

    finish();
}

} // namespace gatewaylog

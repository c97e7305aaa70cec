#include "literal_search.h"

#include <algorithm>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define KZ_LITERAL_SEARCH_SSE2 1
#endif
// AVX2 where the compiler builds one function for it and the processor runs it.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define KZ_LITERAL_SEARCH_AVX2 1
#endif

namespace gatewaylog {

namespace {

// How often a byte stands in log text, roughly, before any has been seen.
std::array<std::uint64_t, 256> guessedCounts()
{
    std::array<std::uint64_t, 256> counts{};
    for (int c = 0; c < 256; ++c) {
        std::uint64_t n = 10;
        if (c == ' ')
            n = 1000;
        else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
            n = 300;
        else if (std::strchr("<>:-(),[].=#_/", c) && c != 0)
            n = 150;
        else if (c >= 'A' && c <= 'Z')
            n = 100;
        else if (c == '\r' || c == '\n')
            n = 50;
        counts[std::size_t(c)] = n;
    }
    return counts;
}

// Up to this many strings are looked for with vectors.
constexpr std::size_t kMaxVector = 8;

#ifdef KZ_LITERAL_SEARCH_AVX2
// From `at` on, while 32 positions and the bytes looked at past them stand in
// size: the first 32 where some string's two bytes stand, as bits of mask.
__attribute__((target("avx2"))) std::size_t candidates32(const char *data, std::size_t size, std::size_t at,
                                                         std::size_t reach, std::size_t n, const std::size_t *first,
                                                         const std::size_t *second, const unsigned char *a,
                                                         const unsigned char *b, std::uint32_t &mask)
{
    __m256i va[kMaxVector], vb[kMaxVector];
    for (std::size_t i = 0; i < n; ++i) {
        va[i] = _mm256_set1_epi8(static_cast<char>(a[i]));
        vb[i] = _mm256_set1_epi8(static_cast<char>(b[i]));
    }
    for (; at + reach + 31 <= size; at += 32) {
        const char *p = data + at;
        __m256i any = _mm256_setzero_si256();
        for (std::size_t i = 0; i < n; ++i) {
            const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p + first[i]));
            const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p + second[i]));
            any = _mm256_or_si256(any, _mm256_and_si256(_mm256_cmpeq_epi8(x, va[i]), _mm256_cmpeq_epi8(y, vb[i])));
        }
        mask = std::uint32_t(_mm256_movemask_epi8(any));
        if (mask)
            return at;
    }
    return at;
}
#endif

} // namespace

LiteralSearch::LiteralSearch(const std::vector<QByteArray> &needles, Vectors vectors)
{
#ifdef KZ_LITERAL_SEARCH_AVX2
    m_avx2 = vectors == Vectors::Best && __builtin_cpu_supports("avx2");
#endif
#ifdef KZ_LITERAL_SEARCH_SSE2
    m_sse2 = vectors != Vectors::None;
#endif
    for (std::size_t i = 0; i < needles.size(); ++i) {
        if (!needles[i].isEmpty())
            m_needles.push_back({needles[i], int(i)});
    }
    choose(guessedCounts());
}

void LiteralSearch::tune(const char *sample, std::size_t size)
{
    std::array<std::uint64_t, 256> counts{};
    for (std::size_t i = 0; i < size; ++i)
        ++counts[static_cast<unsigned char>(sample[i])];
    choose(counts);
    // Bytes rare each on its own may stand together everywhere, as the
    // brackets of every tag "(gggg,eeee)" do: of the few rarest bytes of each
    // string, the two that stand together least often in the sample are taken.
    constexpr std::size_t kTried = 6;
    for (Needle &d : m_needles) {
        const std::size_t len = std::size_t(d.bytes.size());
        std::vector<std::size_t> order(len);
        for (std::size_t i = 0; i < len; ++i)
            order[i] = i;
        std::stable_sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) {
            return counts[static_cast<unsigned char>(d.bytes[qsizetype(x)])] <
                   counts[static_cast<unsigned char>(d.bytes[qsizetype(y)])];
        });
        order.resize(std::min(order.size(), kTried));
        std::uint64_t best = UINT64_MAX;
        for (std::size_t x = 0; x < order.size(); ++x) {
            for (std::size_t y = x + 1; y < order.size(); ++y) {
                const std::size_t i = order[x], j = order[y];
                const char a = d.bytes[qsizetype(i)], b = d.bytes[qsizetype(j)];
                std::uint64_t together = 0;
                for (std::size_t q = 0; q + std::max(i, j) < size; ++q)
                    together += sample[q + i] == a && sample[q + j] == b;
                if (together < best) {
                    best = together;
                    d.first = i;
                    d.second = j;
                }
            }
        }
        d.a = static_cast<unsigned char>(d.bytes[qsizetype(d.first)]);
        d.b = static_cast<unsigned char>(d.bytes[qsizetype(d.second)]);
    }
    m_reach = 0;
    for (const Needle &d : m_needles)
        m_reach = std::max(m_reach, std::max(d.first, d.second) + 1);
}

void LiteralSearch::choose(const std::array<std::uint64_t, 256> &counts)
{
    m_reach = 0;
    for (Needle &d : m_needles) {
        const auto count = [&](std::size_t at) { return counts[static_cast<unsigned char>(d.bytes[qsizetype(at)])]; };
        const std::size_t len = std::size_t(d.bytes.size());
        std::size_t first = 0;
        for (std::size_t i = 1; i < len; ++i) {
            if (count(i) < count(first))
                first = i;
        }
        // The second: the rarest other byte value, else any other position.
        std::size_t second = first;
        for (std::size_t i = 0; i < len; ++i) {
            if (i == first)
                continue;
            const bool otherValue = d.bytes[qsizetype(i)] != d.bytes[qsizetype(first)];
            const bool secondOther = second != first && d.bytes[qsizetype(second)] != d.bytes[qsizetype(first)];
            if (second == first || (otherValue && !secondOther) ||
                (otherValue == secondOther && count(i) < count(second)))
                second = i;
        }
        d.first = first;
        d.second = second;
        d.a = static_cast<unsigned char>(d.bytes[qsizetype(first)]);
        d.b = static_cast<unsigned char>(d.bytes[qsizetype(second)]);
        m_reach = std::max(m_reach, std::max(first, second) + 1);
    }
}

std::size_t LiteralSearch::candidates(const char *data, std::size_t size, std::size_t at, std::uint32_t &mask) const
{
    mask = 0;
    const std::size_t n = m_needles.size();
#ifdef KZ_LITERAL_SEARCH_AVX2
    if (m_avx2 && n <= kMaxVector) {
        std::size_t first[kMaxVector], second[kMaxVector];
        unsigned char a[kMaxVector], b[kMaxVector];
        for (std::size_t i = 0; i < n; ++i) {
            first[i] = m_needles[i].first;
            second[i] = m_needles[i].second;
            a[i] = m_needles[i].a;
            b[i] = m_needles[i].b;
        }
        at = candidates32(data, size, at, m_reach, n, first, second, a, b, mask);
        if (mask)
            return at;
    }
#endif
#ifdef KZ_LITERAL_SEARCH_SSE2
    if (m_sse2 && n <= kMaxVector) {
        __m128i a[kMaxVector], b[kMaxVector];
        for (std::size_t i = 0; i < n; ++i) {
            a[i] = _mm_set1_epi8(static_cast<char>(m_needles[i].a));
            b[i] = _mm_set1_epi8(static_cast<char>(m_needles[i].b));
        }
        for (; at + m_reach + 31 <= size; at += 32) {
            const char *p = data + at;
            __m128i lo = _mm_setzero_si128(), hi = _mm_setzero_si128();
            for (std::size_t i = 0; i < n; ++i) {
                const Needle &d = m_needles[i];
                const __m128i *x = reinterpret_cast<const __m128i *>(p + d.first);
                const __m128i *y = reinterpret_cast<const __m128i *>(p + d.second);
                lo = _mm_or_si128(lo, _mm_and_si128(_mm_cmpeq_epi8(_mm_loadu_si128(x), a[i]),
                                                    _mm_cmpeq_epi8(_mm_loadu_si128(y), b[i])));
                hi = _mm_or_si128(hi, _mm_and_si128(_mm_cmpeq_epi8(_mm_loadu_si128(x + 1), a[i]),
                                                    _mm_cmpeq_epi8(_mm_loadu_si128(y + 1), b[i])));
            }
            mask = std::uint32_t(_mm_movemask_epi8(lo)) | (std::uint32_t(_mm_movemask_epi8(hi)) << 16);
            if (mask)
                return at;
        }
    }
#endif
    // The rest, and without vectors: one position at a time.
    for (std::size_t j = 0; j < kWindow && at + j < size; ++j) {
        const std::size_t q = at + j;
        for (const Needle &d : m_needles) {
            if (q + std::size_t(d.bytes.size()) <= size && static_cast<unsigned char>(data[q + d.first]) == d.a &&
                static_cast<unsigned char>(data[q + d.second]) == d.b) {
                mask |= 1u << j;
                break;
            }
        }
    }
    return at;
}

} // namespace gatewaylog

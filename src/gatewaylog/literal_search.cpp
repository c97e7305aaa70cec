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

// Up to this many strings are looked for with SSE2.
constexpr std::size_t kMaxSse2 = 8;

#ifdef KZ_LITERAL_SEARCH_AVX2
// The groups of strings whose pair may stand at p, p + 1, … p + 31 (a byte of
// bits each): a byte's halves pick from each table the groups whose pair has
// that half there; a group may stand where all four agree.
__attribute__((target("avx2"), always_inline)) inline __m256i groupsAt(const char *p, __m256i l0, __m256i h0,
                                                                       __m256i l1, __m256i h1)
{
    const __m256i halfMask = _mm256_set1_epi8(0x0f);
    const __m256i x0 = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p));
    const __m256i x1 = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p + 1));
    const __m256i g0 = _mm256_and_si256(_mm256_shuffle_epi8(l0, _mm256_and_si256(x0, halfMask)),
                                        _mm256_shuffle_epi8(h0, _mm256_and_si256(_mm256_srli_epi16(x0, 4), halfMask)));
    const __m256i g1 = _mm256_and_si256(_mm256_shuffle_epi8(l1, _mm256_and_si256(x1, halfMask)),
                                        _mm256_shuffle_epi8(h1, _mm256_and_si256(_mm256_srli_epi16(x1, 4), halfMask)));
    return _mm256_and_si256(g0, g1);
}

// From `at` on, while 32 positions and the byte after them stand in size: the
// first 32 where the pair of some group of strings may stand, as bits of mask.
// Mostly none do: 64 positions are looked at before any is told apart.
__attribute__((target("avx2"))) std::size_t candidates32(const char *data, std::size_t size, std::size_t at,
                                                         const std::uint8_t *low0, const std::uint8_t *high0,
                                                         const std::uint8_t *low1, const std::uint8_t *high1,
                                                         std::uint32_t &mask)
{
    const __m256i l0 = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i *>(low0)));
    const __m256i h0 = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i *>(high0)));
    const __m256i l1 = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i *>(low1)));
    const __m256i h1 = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i *>(high1)));
    const __m256i zero = _mm256_setzero_si256();
    for (; at + 65 <= size; at += 64) {
        const __m256i a = groupsAt(data + at, l0, h0, l1, h1);
        const __m256i b = groupsAt(data + at + 32, l0, h0, l1, h1);
        const __m256i any = _mm256_or_si256(a, b);
        if (_mm256_testz_si256(any, any))
            continue;
        mask = ~std::uint32_t(_mm256_movemask_epi8(_mm256_cmpeq_epi8(a, zero)));
        if (mask)
            return at;
        mask = ~std::uint32_t(_mm256_movemask_epi8(_mm256_cmpeq_epi8(b, zero)));
        return at + 32;
    }
    for (; at + 33 <= size; at += 32) {
        mask = ~std::uint32_t(_mm256_movemask_epi8(_mm256_cmpeq_epi8(groupsAt(data + at, l0, h0, l1, h1), zero)));
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
    for (Needle &d : m_needles) {
        d.text = d.bytes.constData();
        d.size = std::size_t(d.bytes.size());
    }
    const std::array<std::uint64_t, 256> guess = guessedCounts();
    choose([&](unsigned char a, unsigned char b) { return guess[a] * guess[b]; });
}

void LiteralSearch::tune(const char *sample, std::size_t size)
{
    // Bytes rare each on its own may stand together everywhere, as the
    // brackets of every tag "(gggg,eeee)" do: pairs are counted as pairs.
    std::vector<std::uint32_t> pairs(256 * 256);
    for (std::size_t i = 0; i + 1 < size; ++i)
        ++pairs[static_cast<unsigned char>(sample[i]) * 256u + static_cast<unsigned char>(sample[i + 1])];
    choose([&](unsigned char a, unsigned char b) { return std::uint64_t(pairs[a * 256u + b]); });
}

template <class Count> void LiteralSearch::choose(Count &&count)
{
    m_firstOf.fill(0);
    m_secondOf.fill(0);
    m_single = 0;
    m_maxAnchor = 0;
    m_low0.fill(0);
    m_high0.fill(0);
    m_low1.fill(0);
    m_high1.fill(0);
    for (std::size_t k = 0; k < m_needles.size(); ++k) {
        Needle &d = m_needles[k];
        const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(d.bytes[qsizetype(i)]); };
        const std::size_t len = std::size_t(d.bytes.size());
        d.anchor = 0;
        if (len > 1) {
            std::uint64_t best = UINT64_MAX;
            for (std::size_t i = 0; i + 1 < len && i <= kMaxAnchor; ++i) {
                const std::uint64_t n = count(byte(i), byte(i + 1));
                if (n < best) {
                    best = n;
                    d.anchor = i;
                }
            }
        }
        m_maxAnchor = std::max(m_maxAnchor, d.anchor);
        const std::uint32_t bit = 1u << (k % kGroups);
        const std::uint8_t group = std::uint8_t(1u << (k % 8));
        const unsigned char a = byte(d.anchor);
        m_firstOf[a] |= bit;
        m_low0[a & 15] |= group;
        m_high0[a >> 4] |= group;
        if (len == 1) {
            for (std::uint32_t &s : m_secondOf)
                s |= bit;
            m_single |= bit;
            for (std::size_t h = 0; h < 16; ++h) {
                m_low1[h] |= group;
                m_high1[h] |= group;
            }
        } else {
            const unsigned char b = byte(d.anchor + 1);
            m_secondOf[b] |= bit;
            m_low1[b & 15] |= group;
            m_high1[b >> 4] |= group;
        }
    }
}

std::size_t LiteralSearch::candidates(const char *data, std::size_t size, std::size_t at, std::uint32_t &mask) const
{
    mask = 0;
#ifdef KZ_LITERAL_SEARCH_AVX2
    if (m_avx2) {
        at = candidates32(data, size, at, m_low0.data(), m_high0.data(), m_low1.data(), m_high1.data(), mask);
        if (mask)
            return at;
    }
#endif
#ifdef KZ_LITERAL_SEARCH_SSE2
    const std::size_t n = m_needles.size();
    if (m_sse2 && n <= kMaxSse2) {
        __m128i a[kMaxSse2], b[kMaxSse2];
        bool single[kMaxSse2];
        for (std::size_t i = 0; i < n; ++i) {
            const Needle &d = m_needles[i];
            single[i] = d.bytes.size() == 1;
            a[i] = _mm_set1_epi8(d.bytes[qsizetype(d.anchor)]);
            b[i] = _mm_set1_epi8(single[i] ? '\0' : d.bytes[qsizetype(d.anchor + 1)]);
        }
        const __m128i ones = _mm_set1_epi8(-1);
        for (; at + 33 <= size; at += 32) {
            const __m128i *x = reinterpret_cast<const __m128i *>(data + at);
            const __m128i *y = reinterpret_cast<const __m128i *>(data + at + 1);
            const __m128i x0 = _mm_loadu_si128(x), x1 = _mm_loadu_si128(x + 1);
            const __m128i y0 = _mm_loadu_si128(y), y1 = _mm_loadu_si128(y + 1);
            __m128i lo = _mm_setzero_si128(), hi = _mm_setzero_si128();
            for (std::size_t i = 0; i < n; ++i) {
                lo = _mm_or_si128(lo,
                                  _mm_and_si128(_mm_cmpeq_epi8(x0, a[i]), single[i] ? ones : _mm_cmpeq_epi8(y0, b[i])));
                hi = _mm_or_si128(hi,
                                  _mm_and_si128(_mm_cmpeq_epi8(x1, a[i]), single[i] ? ones : _mm_cmpeq_epi8(y1, b[i])));
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
        const std::uint32_t second = q + 1 < size ? m_secondOf[static_cast<unsigned char>(data[q + 1])] : m_single;
        if (m_firstOf[static_cast<unsigned char>(data[q])] & second)
            mask |= 1u << j;
    }
    return at;
}

} // namespace gatewaylog

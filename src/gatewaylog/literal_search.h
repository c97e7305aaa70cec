#pragma once

#include <QByteArray>

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace gatewaylog {

// Finds every occurrence of a few byte strings in one pass over the bytes.
// Each string is first looked for by two of its bytes that are rare in the
// text searched (32 positions at a time with AVX2 or SSE2 where the processor
// has them);
// only where both stand does the whole string get compared.
class LiteralSearch final
{
public:
    // Which vector instructions are used: the best the processor has, or
    // (tests) only SSE2, or none.
    enum class Vectors { Best, Sse2, None };

    // Empty strings are never found.
    explicit LiteralSearch(const std::vector<QByteArray> &needles, Vectors vectors = Vectors::Best);

    // Chooses the two bytes of each string by how often they occur in sample
    // (a stretch of the text to be searched); before, by a fixed guess for text.
    void tune(const char *sample, std::size_t size);

    // Calls hit(position, needle index) for every occurrence in data[0, size),
    // by position, needles at one position in their order.
    template <class Hit> void forEach(const char *data, std::size_t size, Hit &&hit) const
    {
        const std::size_t n = m_needles.size();
        if (n == 0)
            return;
        std::size_t at = 0;
        while (at < size) {
            std::uint32_t mask = 0;
            at = candidates(data, size, at, mask);
            for (; mask; mask &= mask - 1) {
                const std::size_t q = at + std::size_t(std::countr_zero(mask));
                for (std::size_t i = 0; i < n; ++i) {
                    if (matches(data, size, q, i))
                        hit(q, m_needles[i].index);
                }
            }
            at += kWindow;
        }
    }

private:
    static constexpr std::size_t kWindow = 32;

    struct Needle
    {
        QByteArray bytes;
        int index = 0; // among the strings given
        std::size_t first = 0, second = 0;
        unsigned char a = 0, b = 0;
    };

    bool matches(const char *data, std::size_t size, std::size_t q, std::size_t i) const
    {
        const Needle &d = m_needles[i];
        const std::size_t len = std::size_t(d.bytes.size());
        return q + len <= size && static_cast<unsigned char>(data[q + d.first]) == d.a &&
               static_cast<unsigned char>(data[q + d.second]) == d.b &&
               std::memcmp(data + q, d.bytes.constData(), len) == 0;
    }

    // From `at` on, the first kWindow positions (at, at + 1, …) where some string
    // may begin, as bits of mask (bit j: position at + j); returns at, moved
    // past stretches where none can begin. Never looks at or past size.
    std::size_t candidates(const char *data, std::size_t size, std::size_t at, std::uint32_t &mask) const;
    void choose(const std::array<std::uint64_t, 256> &counts);

    std::vector<Needle> m_needles;
    std::size_t m_reach = 0; // the farthest byte looked at past a position, plus one
    bool m_avx2 = false;
    bool m_sse2 = false;
};

} // namespace gatewaylog

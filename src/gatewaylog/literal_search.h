#pragma once

#include <QByteArray>

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>
#include <vector>

namespace gatewaylog {

// Finds every occurrence of a few byte strings in one pass over the bytes.
// Each string is first looked for by two adjacent bytes of it that seldom
// stand together in the text searched, all strings at once: with AVX2, 32
// positions at a time by a table of the bytes' halves, whatever the number of
// strings; with SSE2 by comparing the pair of each string. Only where a pair
// stands is the whole string compared.
class LiteralSearch final
{
public:
    // Which vector instructions are used: the best the processor has, or
    // (tests) only SSE2, or none.
    enum class Vectors { Best, Sse2, None };

    // Empty strings are never found.
    explicit LiteralSearch(const std::vector<QByteArray> &needles, Vectors vectors = Vectors::Best);

    // Chooses the pair of each string by how often it stands in sample (a
    // stretch of the text to be searched); before, by a fixed guess for text.
    void tune(const char *sample, std::size_t size);

    // Calls hit(position, needle index) for every occurrence in data[0, size),
    // by position, needles at one position in their order. A hit that returns
    // a bool ends the search by returning false.
    template <class Hit> void forEach(const char *data, std::size_t size, Hit &&hit) const
    {
        if (m_needles.empty())
            return;
        const auto goOn = [&](std::size_t at, int index) {
            if constexpr (std::is_void_v<std::invoke_result_t<Hit &, std::size_t, int>>) {
                hit(at, index);
                return true;
            } else {
                return bool(hit(at, index));
            }
        };
        // A string is found by its pair, which stands up to m_maxAnchor bytes
        // into it: found strings wait here until no later pair can give one
        // that begins before them.
        std::vector<std::pair<std::size_t, std::size_t>> waiting;
        std::size_t handed = 0;
        bool inOrder = true;
        const auto handOver = [&](std::size_t before) {
            if (!inOrder) {
                std::sort(waiting.begin() + std::ptrdiff_t(handed), waiting.end());
                inOrder = true;
            }
            for (; handed < waiting.size() && waiting[handed].first < before; ++handed) {
                if (!goOn(waiting[handed].first, m_needles[waiting[handed].second].index))
                    return false;
            }
            if (handed == waiting.size()) {
                waiting.clear();
                handed = 0;
            }
            return true;
        };
        std::size_t at = 0;
        while (at < size) {
            std::uint32_t mask = 0;
            at = candidates(data, size, at, mask);
            for (; mask; mask &= mask - 1) {
                const std::size_t q = at + std::size_t(std::countr_zero(mask));
                std::uint32_t pairs = m_firstOf[static_cast<unsigned char>(data[q])] &
                                      (q + 1 < size ? m_secondOf[static_cast<unsigned char>(data[q + 1])] : m_single);
                for (; pairs; pairs &= pairs - 1) {
                    for (std::size_t k = std::size_t(std::countr_zero(pairs)); k < m_needles.size(); k += kGroups) {
                        const Needle &d = m_needles[k];
                        if (q < d.anchor || q - d.anchor + d.size > size || !d.standsAt(data + q - d.anchor))
                            continue;
                        const std::pair<std::size_t, std::size_t> found{q - d.anchor, k};
                        if (!waiting.empty() && found < waiting.back())
                            inOrder = false;
                        waiting.push_back(found);
                    }
                }
            }
            at += kWindow;
            if (!handOver(at > m_maxAnchor ? at - m_maxAnchor : 0))
                return;
        }
        handOver(size);
    }

private:
    static constexpr std::size_t kWindow = 32;
    // How far into a string its pair may stand.
    static constexpr std::size_t kMaxAnchor = 31;
    // Strings k, k + kGroups, … share one bit of the pair tables.
    static constexpr std::size_t kGroups = 32;

    struct Needle
    {
        QByteArray bytes;
        int index = 0;          // among the strings given
        std::size_t anchor = 0; // where its pair begins in it
        const char *text = nullptr;
        std::size_t size = 0;

        // The string stands at p (its size readable there).
        bool standsAt(const char *p) const
        {
            if (size < 8)
                return std::memcmp(p, text, size) == 0;
            std::uint64_t x, y;
            std::memcpy(&x, p, 8);
            std::memcpy(&y, text, 8);
            if (x != y)
                return false;
            if (size > 16)
                return std::memcmp(p + 8, text + 8, size - 8) == 0;
            std::memcpy(&x, p + size - 8, 8);
            std::memcpy(&y, text + size - 8, 8);
            return x == y;
        }
    };

    // From `at` on, the first kWindow positions (at, at + 1, …) where the pair
    // of some string may stand, as bits of mask (bit j: position at + j);
    // returns at, moved past stretches where none stands. Never looks at or
    // past size.
    std::size_t candidates(const char *data, std::size_t size, std::size_t at, std::uint32_t &mask) const;
    // Sets each string's pair by how often two bytes stand together
    // (count(first, second)), and the tables.
    template <class Count> void choose(Count &&count);

    std::vector<Needle> m_needles;
    // Bit k % kGroups of each: string k's pair begins with this byte / goes on
    // with this byte (any byte, for a string of one byte).
    std::array<std::uint32_t, 256> m_firstOf{}, m_secondOf{};
    std::uint32_t m_single = 0; // the strings of one byte
    std::size_t m_maxAnchor = 0;
    // The same by the low and high half of a byte, for 8 groups (AVX2).
    alignas(32) std::array<std::uint8_t, 16> m_low0{}, m_high0{}, m_low1{}, m_high1{};
    bool m_avx2 = false;
    bool m_sse2 = false;
};

} // namespace gatewaylog

#include "../bytes.h"

#include <algorithm>
#include <functional>

namespace platform {

const char *findBytes(const char *haystack, std::size_t haystackSize, const char *needle, std::size_t needleSize)
{
    const char *end = haystack + haystackSize;
    const char *hit = std::search(haystack, end, std::boyer_moore_horspool_searcher(needle, needle + needleSize));
    return hit == end ? nullptr : hit;
}

} // namespace platform

#pragma once

#include <cstddef>

namespace platform {

// The first occurrence of needle in haystack, or nullptr: the C library's
// vectorised search where it has one.
const char *findBytes(const char *haystack, std::size_t haystackSize, const char *needle, std::size_t needleSize);

} // namespace platform

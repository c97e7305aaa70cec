#include "../bytes.h"

#include <string.h>

namespace platform {

const char *findBytes(const char *haystack, std::size_t haystackSize, const char *needle, std::size_t needleSize)
{
    return static_cast<const char *>(memmem(haystack, haystackSize, needle, needleSize));
}

} // namespace platform

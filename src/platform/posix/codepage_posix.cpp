#include "../codepage.h"

namespace platform {

QTextCodec *ansiCodec()
{
    return cp949Codec();
}

} // namespace platform

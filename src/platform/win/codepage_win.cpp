#include "../codepage.h"

#include <QTextCodec>

#include <windows.h>

namespace platform {

// The ANSI code page of this Windows installation (949 on Korean systems).
QTextCodec *ansiCodec()
{
    static QTextCodec *const codec = [] {
        const QByteArray name = "windows-" + QByteArray::number(static_cast<int>(GetACP()));
        QTextCodec *c = QTextCodec::codecForName(name);
        if (!c && GetACP() == 949)
            c = cp949Codec();
        return c ? c : QTextCodec::codecForLocale();
    }();
    return codec;
}

} // namespace platform

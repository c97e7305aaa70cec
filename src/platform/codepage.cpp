#include "codepage.h"

#include "error.h"

#include <QTextCodec>

namespace platform {

QTextCodec *cp949Codec()
{
    static QTextCodec *const codec = [] {
        QTextCodec *c = QTextCodec::codecForName("CP949");
        if (!c)
            c = QTextCodec::codecForName("windows-949");
        if (!c)
            throw Error(QStringLiteral("CP949 코드 페이지를 사용할 수 없습니다."));
        return c;
    }();
    return codec;
}

QString fromAnsi(const QByteArray &bytes)
{
    // Most lines are plain ASCII, which every ANSI code page writes alike.
    bool ascii = true;
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    return ascii ? QString::fromLatin1(bytes) : ansiCodec()->toUnicode(bytes);
}

QByteArray toAnsi(const QString &text)
{
    return ansiCodec()->fromUnicode(text);
}

} // namespace platform

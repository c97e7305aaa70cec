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
    if (ascii)
        return QString::fromLatin1(bytes);
    // A lead byte at the very end, without the byte that completes it, would be
    // dropped without a trace; followed by a line feed (never part of a
    // double-byte character) it reads as U+FFFD like any other broken
    // character, so that writing the text back refuses it.
    QString text = ansiCodec()->toUnicode(bytes + '\n');
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text;
}

QByteArray toAnsi(const QString &text)
{
    return ansiCodec()->fromUnicode(text);
}

} // namespace platform

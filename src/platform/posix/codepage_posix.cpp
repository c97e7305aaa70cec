#include "../codepage.h"
#include "../error.h"

#include <QTextCodec>

namespace platform {

namespace {

// Machines other than Windows stand for a Korean Windows: CP949 throughout.
QTextCodec *cp949()
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

std::optional<QByteArray> encode(QTextCodec *codec, const QString &text)
{
    QTextCodec::ConverterState state(QTextCodec::ConvertInvalidToNull);
    QByteArray bytes = codec->fromUnicode(text.constData(), text.size(), &state);
    if (state.invalidChars > 0)
        return std::nullopt;
    return bytes;
}

} // namespace

QString decodeAnsi(const QByteArray &bytes)
{
    return cp949()->toUnicode(bytes);
}

std::optional<QByteArray> encodeAnsi(const QString &text)
{
    return encode(cp949(), text);
}

QString decodeCp949(const QByteArray &bytes)
{
    return cp949()->toUnicode(bytes);
}

std::optional<QByteArray> encodeCp949(const QString &text)
{
    return encode(cp949(), text);
}

} // namespace platform

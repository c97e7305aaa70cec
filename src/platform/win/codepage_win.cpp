#include "../codepage.h"

#include <windows.h>

#include <climits>

namespace platform {

namespace {

constexpr UINT kCp949 = 949;

// The system's conversion of whole characters only: nothing when the bytes are
// not one.
std::optional<QString> decodeStrict(UINT codePage, const char *bytes, int size)
{
    const int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, size, nullptr, 0);
    if (n <= 0)
        return std::nullopt;
    QString text(n, Qt::Uninitialized);
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes, size, reinterpret_cast<wchar_t *>(text.data()), n);
    return text;
}

// A byte sequence that is no character reads as U+FFFD, as elsewhere, so that
// writing the text back refuses it (Windows would put a '?' in its place).
QString decode(UINT codePage, const QByteArray &bytes)
{
    if (bytes.isEmpty() || bytes.size() > INT_MAX)
        return {};
    if (const std::optional<QString> whole = decodeStrict(codePage, bytes.constData(), int(bytes.size())))
        return *whole;
    QString text;
    for (qsizetype i = 0; i < bytes.size();) {
        const bool lead = IsDBCSLeadByteEx(codePage, BYTE(bytes.at(i))) && i + 1 < bytes.size();
        const int n = lead ? 2 : 1;
        const std::optional<QString> one = decodeStrict(codePage, bytes.constData() + i, n);
        if (one) {
            text += *one;
            i += n;
        } else {
            text += QChar::ReplacementCharacter;
            ++i;
        }
    }
    return text;
}

// No best-fit substitutes: a character the code page lacks is a failure, not
// a look-alike.
std::optional<QByteArray> encode(UINT codePage, const QString &text)
{
    if (text.isEmpty())
        return QByteArray();
    // UTF-8 (a system set to "Beta: Unicode UTF-8") writes every character;
    // Windows refuses the used-default question for it.
    if (codePage == CP_UTF8)
        return text.toUtf8();
    if (text.size() > INT_MAX / 2)
        return std::nullopt;
    const auto *wide = reinterpret_cast<const wchar_t *>(text.utf16());
    const int size = static_cast<int>(text.size());
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide, size, nullptr, 0, nullptr, &usedDefault);
    if (n <= 0 || usedDefault)
        return std::nullopt;
    QByteArray bytes(n, Qt::Uninitialized);
    WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide, size, bytes.data(), n, nullptr, &usedDefault);
    if (usedDefault)
        return std::nullopt;
    return bytes;
}

} // namespace

// The ANSI code page of this Windows installation (949 on Korean systems).
QString decodeAnsi(const QByteArray &bytes)
{
    return decode(GetACP(), bytes);
}

std::optional<QByteArray> encodeAnsi(const QString &text)
{
    return encode(GetACP(), text);
}

QString decodeCp949(const QByteArray &bytes)
{
    return decode(kCp949, bytes);
}

std::optional<QByteArray> encodeCp949(const QString &text)
{
    return encode(kCp949, text);
}

} // namespace platform

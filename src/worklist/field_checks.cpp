#include "field_checks.h"

namespace worklist::checks {

namespace {

constexpr qsizetype kMaxAeTitle = 16;
constexpr qsizetype kMaxIdentifier = 128;
constexpr qsizetype kMaxCutDigits = 9; // stays within the server's int

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isUnsignedNumber(const QString &text)
{
    if (text.isEmpty() || text.size() > kMaxCutDigits)
        return false;
    for (const QChar c : text) {
        if (!isAsciiDigit(c))
            return false;
    }
    return true;
}

} // namespace

std::optional<QString> aeTitleProblem(ViewKind kind, const QString &aeTitle)
{
    if (aeTitle.isEmpty() || aeTitle.size() > kMaxAeTitle)
        return QStringLiteral("AE Title은 1자에서 16자까지 입력하십시오. (입력한 글자 수: %1)").arg(aeTitle.size());
    bool onlyBlanks = true;
    for (const QChar c : aeTitle) {
        if (c == QLatin1Char('\\') || c.category() == QChar::Other_Control)
            return QStringLiteral("AE Title에는 역슬래시(\\)나 제어 문자를 쓸 수 없습니다.");
        onlyBlanks = onlyBlanks && c == QLatin1Char(' ');
    }
    if (onlyBlanks)
        return QStringLiteral("AE Title이 공백뿐입니다. 장비의 AE Title을 입력하십시오.");
    const QString name = viewName(kind, aeTitle);
    bool plain = name.size() <= kMaxIdentifier;
    for (const QChar c : name)
        plain = plain && (c.isLetter() || isAsciiDigit(c) || c == QLatin1Char('_'));
    if (!plain)
        return QStringLiteral("AE Title로 View 이름을 만들 수 없습니다. AE Title에는 문자, 숫자, '_', '-'만 쓸 수 "
                              "있습니다.");
    return std::nullopt;
}

std::optional<QString> examNameCutProblem(const QString &start, const QString &length)
{
    if (!isUnsignedNumber(start))
        return QStringLiteral("검사명자르기의 시작 위치는 숫자(0~9)로만 입력하십시오.");
    if (!isUnsignedNumber(length))
        return QStringLiteral("검사명자르기의 길이는 숫자(0~9)로만 입력하십시오.");
    return std::nullopt;
}

} // namespace worklist::checks

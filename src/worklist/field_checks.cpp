#include "field_checks.h"

namespace worklist::checks {

namespace {

constexpr qsizetype kMaxAeTitle = 16;
constexpr qsizetype kMaxCutDigits = 9; // stays within the server's int

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Why a number may not stand in the statement as it is: decimal digits,
// blanks around them allowed, since the statement takes them as they are, and
// few enough to stay within the server's int. Empty when it may.
QString numberFault(const QString &text)
{
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && text.at(from) == QLatin1Char(' '))
        ++from;
    while (to > from && text.at(to - 1) == QLatin1Char(' '))
        --to;
    if (from == to)
        return QStringLiteral("가 비어 있습니다. 숫자(0~9)를 입력하십시오.");
    for (qsizetype i = from; i < to; ++i) {
        if (!isAsciiDigit(text.at(i)))
            return QStringLiteral("에 '%1' 문자가 있습니다. 숫자(0~9)로만 입력하십시오.")
                .arg(text.at(i).isHighSurrogate() ? text.mid(i, 2) : QString(text.at(i)));
    }
    if (to - from > kMaxCutDigits)
        return QStringLiteral("는 %1자리까지의 숫자로 입력하십시오. 입력한 숫자는 %2자리입니다.")
            .arg(kMaxCutDigits)
            .arg(to - from);
    return QString();
}

// What the view name may hold after its prefix when the name stands in a
// statement unquoted: letters, digits, "_", "@", "$", "#" ("-" is written "1_1").
bool fitsViewName(QChar c)
{
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           isAsciiDigit(c) || c == QLatin1Char('_') || c == QLatin1Char('-') || c == QLatin1Char('@') ||
           c == QLatin1Char('$') || c == QLatin1Char('#');
}

} // namespace

// What DICOM refuses in an AE title, worded for the field it came from.
static std::optional<QString> dicomAeTitleProblem(const QString &aeTitle)
{
    if (aeTitle.isEmpty() || aeTitle.size() > kMaxAeTitle)
        return QStringLiteral("AE Title은 1자에서 16자까지 입력하십시오. 입력한 AE Title은 %1자입니다.")
            .arg(aeTitle.size());
    bool onlyBlanks = true;
    for (const QChar c : aeTitle) {
        const char16_t u = c.unicode();
        if (u == u'\\')
            return QStringLiteral("AE Title에는 역슬래시(\\)를 쓸 수 없습니다.");
        if (u < 0x20 || u == 0x7f)
            return QStringLiteral("AE Title에는 제어 문자를 쓸 수 없습니다. (문자 코드 %1)").arg(int(u));
        if (u > 0x7f)
            return QStringLiteral("AE Title에는 영문, 숫자와 ASCII 기호만 쓸 수 있습니다. '%1' 문자는 쓸 수 없습니다.")
                .arg(c.isSurrogate() ? aeTitle.mid(aeTitle.indexOf(c), 2) : QString(c));
        onlyBlanks = onlyBlanks && c == QLatin1Char(' ');
    }
    if (onlyBlanks)
        return QStringLiteral("AE Title이 공백뿐입니다. 장비의 AE Title을 입력하십시오.");
    if (aeTitle.startsWith(QLatin1Char(' ')))
        return QStringLiteral("AE Title 앞에 공백이 있습니다. 공백을 지우고 입력하십시오.");
    if (aeTitle.endsWith(QLatin1Char(' ')))
        return QStringLiteral("AE Title 끝에 공백이 있습니다. 공백을 지우고 입력하십시오.");
    return std::nullopt;
}

std::optional<QString> stationAeTitleProblem(const QString &aeTitle)
{
    if (aeTitle.isEmpty())
        return std::nullopt;
    if (const std::optional<QString> problem = dicomAeTitleProblem(aeTitle))
        return QStringLiteral("Station_AE: ") + *problem;
    return std::nullopt;
}

std::optional<QString> aeTitleProblem(const QString &aeTitle)
{
    if (const std::optional<QString> problem = dicomAeTitleProblem(aeTitle))
        return problem;
    for (const QChar c : aeTitle) {
        if (c == QLatin1Char(' '))
            return QStringLiteral("AE Title 가운데에 공백이 있습니다. View 이름에는 공백을 쓸 수 없습니다.");
        if (!fitsViewName(c))
            return QStringLiteral("AE Title의 '%1' 문자는 View 이름에 쓸 수 없습니다. (쓸 수 있는 글자: 영문, 숫자, "
                                  "_ - @ $ #)")
                .arg(c);
    }
    return std::nullopt;
}

std::optional<QString> examNameCutProblem(const QString &start, const QString &length)
{
    if (const QString fault = numberFault(start); !fault.isEmpty())
        return QStringLiteral("검사명자르기의 시작 위치") + fault;
    if (const QString fault = numberFault(length); !fault.isEmpty())
        return QStringLiteral("검사명자르기의 길이") + fault;
    return std::nullopt;
}

} // namespace worklist::checks

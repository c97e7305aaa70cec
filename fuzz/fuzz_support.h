#pragma once

#include "platform/codepage.h"

#include <QByteArray>
#include <QString>

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

// What every target shares: a failed property aborts with a message, which
// libFuzzer reports as a crash and saves the input.
namespace fuzzsupport {

[[noreturn]] inline void fail(const char *what, const QString &detail = QString())
{
    std::fprintf(stderr, "property broken: %s\n%s\n", what, detail.toUtf8().constData());
    std::abort();
}

inline void check(bool ok, const char *what, const QString &detail = QString())
{
    if (!ok)
        fail(what, detail);
}

inline QByteArray bytes(FuzzedDataProvider &in, size_t max)
{
    const std::string s = in.ConsumeRandomLengthString(max);
    return QByteArray(s.data(), qsizetype(s.size()));
}

inline QByteArray rest(FuzzedDataProvider &in)
{
    const std::string s = in.ConsumeRemainingBytesAsString();
    return QByteArray(s.data(), qsizetype(s.size()));
}

// Text as it reaches the parsers: from a file in the ANSI code page, or from
// the database or a device as any Unicode, lone surrogates included.
inline QString text(const QByteArray &raw, int how)
{
    switch (how % 3) {
    case 0:
        return platform::fromAnsi(raw);
    case 1:
        return QString::fromUtf8(raw);
    default: {
        std::u16string units(size_t(raw.size() / 2), u'\0');
        std::memcpy(units.data(), raw.constData(), units.size() * 2);
        return QString::fromUtf16(units.data(), qsizetype(units.size()));
    }
    }
}

} // namespace fuzzsupport

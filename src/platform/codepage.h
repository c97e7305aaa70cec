#pragma once

#include <QByteArray>
#include <QString>

class QTextCodec;

namespace platform {

// The system's ANSI code page: what every text file of the site is written in
// (CP949 on the Korean machines the tool serves).
QTextCodec *ansiCodec();

QString fromAnsi(const QByteArray &bytes);
QByteArray toAnsi(const QString &text);

// CP949 explicitly, whatever the system's code page is.
QTextCodec *cp949Codec();

} // namespace platform

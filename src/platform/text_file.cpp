#include "text_file.h"

#include "codepage.h"
#include "error.h"

#include <QFile>
#include <QSaveFile>
#include <QTextCodec>

namespace platform {

QList<QByteArray> splitLines(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (bytes.at(i) != '\r')
            continue;
        lines.append(bytes.mid(start, i - start));
        if (i + 1 < n && bytes.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(bytes.mid(start));
    return lines;
}

static QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("파일을 열 수 없습니다: %1 (%2)").arg(path, file.errorString()));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Error(QStringLiteral("파일을 읽을 수 없습니다: %1 (%2)").arg(path, file.errorString()));
    return bytes;
}

QStringList readLines(const QString &path)
{
    QStringList lines;
    for (const QByteArray &line : splitLines(readAll(path)))
        lines.append(fromAnsi(line));
    return lines;
}

QString readTextFile(const QString &path)
{
    QString text;
    for (const QString &line : readLines(path)) {
        text += line;
        text += QLatin1String("\r\n");
    }
    return text;
}

void writeTextFile(const QString &path, const QString &text)
{
    const QString content = text + QLatin1String("\r\n");
    QTextCodec::ConverterState state(QTextCodec::ConvertInvalidToNull);
    const QByteArray bytes = ansiCodec()->fromUnicode(content.constData(), content.size(), &state);
    if (state.invalidChars > 0)
        throw Error(
            QStringLiteral("이 시스템의 코드 페이지로 쓸 수 없는 문자가 있어 파일을 쓰지 않았습니다: %1").arg(path));

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw Error(QStringLiteral("파일을 쓸 수 없습니다: %1 (%2)").arg(path, file.errorString()));
    if (file.write(bytes) != bytes.size() || !file.commit())
        throw Error(QStringLiteral("파일을 쓸 수 없습니다: %1 (%2)").arg(path, file.errorString()));
}

QString joinCrLf(const QStringList &lines)
{
    return lines.join(QLatin1String("\r\n"));
}

} // namespace platform

#include "text_file.h"

#include "codepage.h"
#include "error.h"
#include "replace_file.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

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
    const std::optional<QByteArray> bytes = toAnsiExact(text + QLatin1String("\r\n"));
    if (!bytes)
        throw Error(
            QStringLiteral("이 시스템의 코드 페이지로 쓸 수 없는 문자가 있어 파일을 쓰지 않았습니다: %1").arg(path));

    const QFileInfo info(path);
    QString replacement;
    {
        QTemporaryFile file(info.absolutePath() + QStringLiteral("/~") + info.fileName() + QStringLiteral(".XXXXXX"));
        if (!file.open())
            throw Error(QStringLiteral("파일을 쓸 수 없습니다: %1 (%2)").arg(path, file.errorString()));
        if (file.write(*bytes) != bytes->size() || !file.flush())
            throw Error(QStringLiteral("파일을 쓸 수 없습니다: %1 (%2)").arg(path, file.errorString()));
        file.setAutoRemove(false);
        replacement = file.fileName();
    } // QTemporaryFile keeps its handle until it goes, and Windows renames no open file.
    if (const std::optional<ReplaceError> failed = replaceFile(replacement, path)) {
        QFile::remove(replacement);
        if (failed->kind == ReplaceFailure::Held)
            throw Error(
                QStringLiteral("다른 프로그램이 파일을 사용하고 있어 바꾸지 못했습니다. 파일은 그대로입니다: %1 (%2)")
                    .arg(path, failed->systemText));
        throw Error(QStringLiteral("파일을 쓸 수 없습니다: %1 (%2)").arg(path, failed->systemText));
    }
}

QString joinCrLf(const QStringList &lines)
{
    return lines.join(QLatin1String("\r\n"));
}

} // namespace platform

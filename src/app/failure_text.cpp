#include "failure_text.h"

#include <QRegularExpression>

namespace app {

namespace {

// The object a statement works on: a sequence it draws from, a worklist view
// it names, or else the first table or procedure after its leading keyword.
QString subjectOf(const QString &statement)
{
    static const QRegularExpression patterns[] = {
        QRegularExpression(QStringLiteral(R"(Next\s+Value\s+For\s+([\w.]+))"),
                           QRegularExpression::CaseInsensitiveOption),
        QRegularExpression(QStringLiteral(R"(\b(VMWL[\w#$@]*))"), QRegularExpression::CaseInsensitiveOption),
        QRegularExpression(QStringLiteral(R"(\b(?:From|Into|Update|Table|SP_HELPTEXT)\s+([\w.]+))"),
                           QRegularExpression::CaseInsensitiveOption),
    };
    for (const QRegularExpression &pattern : patterns) {
        const QRegularExpressionMatch match = pattern.match(statement);
        if (match.hasMatch())
            return match.captured(1).left(128);
    }
    return QString();
}

} // namespace

QString statementFailure(const QString &operation, const QString &statement)
{
    const QString subject = subjectOf(statement);
    QString text;
    if (!operation.isEmpty())
        text = QStringLiteral("%1: ").arg(operation);
    if (!subject.isEmpty())
        text += QStringLiteral("%1 처리 중 데이터베이스 오류가 발생했습니다.").arg(subject);
    else
        text += QStringLiteral("데이터베이스 오류가 발생했습니다.");
    return text + QStringLiteral(" 작업은 중단되었습니다.");
}

QString statementFailureDetail(const QString &serverText, const QString &statement)
{
    return QStringLiteral("서버 메시지:\n%1\n\n실행한 문장:\n%2").arg(serverText, statement);
}

} // namespace app

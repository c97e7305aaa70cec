#include "db/embedded/tsql_lexer.h"

#include "db/sql_text.h"
#include "platform/error.h"

namespace db::tsql {

namespace {

bool isIdentifierStart(QChar c)
{
    return c.isLetter() || c == u'_' || c == u'#' || c.unicode() >= 0x80;
}

bool isIdentifierPart(QChar c)
{
    return isIdentifierStart(c) || c.isDigit() || c == u'@' || c == u'$';
}

[[noreturn]] void refuseUnterminated(const QString &what, const QString &statement)
{
    throw platform::Error(QStringLiteral("The statement has an unterminated %1:\n%2").arg(what, statement));
}

// Returns the position just past the closing character; a doubled closing
// character inside stands for itself.
qsizetype skipDelimited(const QString &s, qsizetype pos, QChar close, const QString &what)
{
    for (qsizetype i = pos; i < s.size(); ++i) {
        if (s.at(i) != close)
            continue;
        if (i + 1 < s.size() && s.at(i + 1) == close) {
            ++i;
            continue;
        }
        return i + 1;
    }
    refuseUnterminated(what, s);
}

qsizetype skipNumber(const QString &s, qsizetype i)
{
    const auto n = s.size();
    if (s.at(i) == u'0' && i + 1 < n && (s.at(i + 1) == u'x' || s.at(i + 1) == u'X')) {
        i += 2;
        while (i < n && (s.at(i).isDigit() || QStringLiteral("abcdefABCDEF").contains(s.at(i))))
            ++i;
        return i;
    }
    while (i < n && s.at(i).isDigit())
        ++i;
    if (i < n && s.at(i) == u'.') {
        ++i;
        while (i < n && s.at(i).isDigit())
            ++i;
    }
    if (i < n && (s.at(i) == u'e' || s.at(i) == u'E')) {
        qsizetype j = i + 1;
        if (j < n && (s.at(j) == u'+' || s.at(j) == u'-'))
            ++j;
        if (j < n && s.at(j).isDigit()) {
            while (j < n && s.at(j).isDigit())
                ++j;
            i = j;
        }
    }
    return i;
}

const QString kTwoCharOperators[] = {
    QStringLiteral("<>"), QStringLiteral("!="), QStringLiteral("<="), QStringLiteral(">="), QStringLiteral("!<"),
    QStringLiteral("!>"), QStringLiteral("+="), QStringLiteral("-="), QStringLiteral("*="), QStringLiteral("/="),
    QStringLiteral("%="), QStringLiteral("&="), QStringLiteral("|="), QStringLiteral("^="), QStringLiteral("=*"),
    QStringLiteral("::"), QStringLiteral("||"), QStringLiteral("=="),
};

} // namespace

std::vector<Token> tokenize(const QString &statement)
{
    const QString &s = statement;
    const auto n = s.size();
    std::vector<Token> tokens;
    qsizetype i = 0;
    while (i < n) {
        const QChar c = s.at(i);
        const QChar next = i + 1 < n ? s.at(i + 1) : QChar();
        Token::Kind kind = Token::Kind::Operator;
        qsizetype end = i + 1;

        if (c.isSpace()) {
            kind = Token::Kind::Whitespace;
            while (end < n && s.at(end).isSpace())
                ++end;
        } else if (c == u'-' && next == u'-') {
            kind = Token::Kind::LineComment;
            while (end < n && s.at(end) != u'\r' && s.at(end) != u'\n')
                ++end;
        } else if (c == u'/' && next == u'*') {
            kind = Token::Kind::BlockComment;
            int depth = 1;
            end = i + 2;
            while (depth > 0) {
                if (end + 1 >= n)
                    refuseUnterminated(QStringLiteral("comment"), s);
                if (s.at(end) == u'/' && s.at(end + 1) == u'*') {
                    ++depth;
                    end += 2;
                } else if (s.at(end) == u'*' && s.at(end + 1) == u'/') {
                    --depth;
                    end += 2;
                } else {
                    ++end;
                }
            }
        } else if (c == u'\'') {
            kind = Token::Kind::String;
            end = skipDelimited(s, i + 1, u'\'', QStringLiteral("string"));
        } else if ((c == u'N' || c == u'n') && next == u'\'') {
            kind = Token::Kind::UnicodeString;
            end = skipDelimited(s, i + 2, u'\'', QStringLiteral("string"));
        } else if (c == u'[') {
            kind = Token::Kind::BracketIdentifier;
            end = skipDelimited(s, i + 1, u']', QStringLiteral("bracketed name"));
        } else if (c == u'"') {
            kind = Token::Kind::QuotedIdentifier;
            end = skipDelimited(s, i + 1, u'"', QStringLiteral("quoted name"));
        } else if (c.isDigit() || (c == u'.' && next.isDigit())) {
            kind = Token::Kind::Number;
            end = skipNumber(s, i);
        } else if (c == u'@') {
            kind = Token::Kind::Variable;
            while (end < n && isIdentifierPart(s.at(end)))
                ++end;
        } else if (isIdentifierStart(c)) {
            kind = Token::Kind::Identifier;
            while (end < n && isIdentifierPart(s.at(end)))
                ++end;
        } else {
            const QStringView two = QStringView(s).mid(i, 2);
            for (const QString &op : kTwoCharOperators) {
                if (two == op) {
                    end = i + 2;
                    break;
                }
            }
        }
        tokens.push_back(Token{kind, s.mid(i, end - i)});
        i = end;
    }
    return tokens;
}

bool isSignificant(const Token &token)
{
    return token.kind != Token::Kind::Whitespace && token.kind != Token::Kind::LineComment &&
           token.kind != Token::Kind::BlockComment;
}

QString identifierName(const Token &token)
{
    switch (token.kind) {
    case Token::Kind::BracketIdentifier:
        return token.text.mid(1, token.text.size() - 2).replace(QStringLiteral("]]"), QStringLiteral("]"));
    case Token::Kind::QuotedIdentifier:
        return token.text.mid(1, token.text.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
    default:
        return token.text;
    }
}

QString stringValue(const Token &token)
{
    const qsizetype open = token.kind == Token::Kind::UnicodeString ? 2 : 1;
    return db::unquoted(token.text.mid(open, token.text.size() - open - 1));
}

} // namespace db::tsql

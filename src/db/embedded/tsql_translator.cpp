#include "db/embedded/tsql_translator.h"

#include "db/embedded/tsql_lexer.h"
#include "db/sql_text.h"
#include "platform/codepage.h"
#include "platform/error.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <optional>
#include <utility>

namespace db::tsql {

using namespace Qt::StringLiterals;

namespace {

// A level of the statement: significant tokens, with ( ), CASE … END and
// BEGIN … END as groups holding the level inside them.
struct Node
{
    enum class Type { Leaf, Paren, Case, Begin };

    Type type = Type::Leaf;
    int open = 0;   // the token itself, or the group's opening token
    int close = -1; // the group's closing token

    std::vector<Node> children;

    int last() const { return close >= 0 ? close : open; }
};

using Nodes = std::vector<Node>;
using Range = std::pair<size_t, size_t>; // node indexes, first and last
using Span = std::pair<size_t, size_t>;  // node indexes, first and one past the last

// What an operand of + is in T-SQL, as far as the text shows it.
enum class Sort { Text, Number, Unknown };

// How long a text operand of + may be, as the server types it: bounded
// (varchar up to 8000 bytes, nvarchar up to 4000 characters), a large value
// type (max, or a literal longer than those), or not told by the text.
struct TextWidth
{
    enum { Bounded, Max, Unknown } kind = Unknown;
    bool national = false; // nvarchar, nchar, N'…'
};

// A character type with its length, "VARCHAR(20)", "nchar (5)", "varchar(max)":
// its name and length in capitals; nothing for any other type, or one
// without a length.
struct CharType
{
    QString name;   // CHAR, VARCHAR, NCHAR, NVARCHAR
    QString length; // digits, or MAX
};

std::optional<CharType> charType(const QString &type)
{
    static const QRegularExpression sized(QStringLiteral("^\\s*(N?(?:VAR)?CHAR)\\s*\\(\\s*(\\d+|MAX)\\s*\\)"),
                                          QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = sized.match(type);
    if (!m.hasMatch())
        return std::nullopt;
    return CharType{m.captured(1).toUpper(), m.captured(2).toUpper()};
}

struct Chain
{
    std::vector<Range> operands;
    std::vector<size_t> operators; // binary operators between the operands
    bool broken = false;           // an operator without an operand after it
};

const QSet<QString> &keywords()
{
    static const QSet<QString> words = {
        QStringLiteral("ALL"),     QStringLiteral("ALTER"),   QStringLiteral("AND"),    QStringLiteral("ANY"),
        QStringLiteral("APPLY"),   QStringLiteral("AS"),      QStringLiteral("ASC"),    QStringLiteral("BETWEEN"),
        QStringLiteral("BY"),      QStringLiteral("COLLATE"), QStringLiteral("CREATE"), QStringLiteral("CROSS"),
        QStringLiteral("DEFAULT"), QStringLiteral("DELETE"),  QStringLiteral("DESC"),   QStringLiteral("DISTINCT"),
        QStringLiteral("DROP"),    QStringLiteral("ELSE"),    QStringLiteral("ESCAPE"), QStringLiteral("EXCEPT"),
        QStringLiteral("EXISTS"),  QStringLiteral("FETCH"),   QStringLiteral("FOR"),    QStringLiteral("FROM"),
        QStringLiteral("FULL"),    QStringLiteral("GROUP"),   QStringLiteral("HAVING"), QStringLiteral("IF"),
        QStringLiteral("IN"),      QStringLiteral("INNER"),   QStringLiteral("INSERT"), QStringLiteral("INTERSECT"),
        QStringLiteral("INTO"),    QStringLiteral("IS"),      QStringLiteral("JOIN"),   QStringLiteral("LEFT"),
        QStringLiteral("LIKE"),    QStringLiteral("NOT"),     QStringLiteral("OFFSET"), QStringLiteral("ON"),
        QStringLiteral("ONLY"),    QStringLiteral("OPTION"),  QStringLiteral("OR"),     QStringLiteral("ORDER"),
        QStringLiteral("OUTER"),   QStringLiteral("OUTPUT"),  QStringLiteral("OVER"),   QStringLiteral("PARTITION"),
        QStringLiteral("PERCENT"), QStringLiteral("RANGE"),   QStringLiteral("RIGHT"),  QStringLiteral("ROWS"),
        QStringLiteral("SELECT"),  QStringLiteral("SET"),     QStringLiteral("SOME"),   QStringLiteral("THEN"),
        QStringLiteral("TIES"),    QStringLiteral("TOP"),     QStringLiteral("UNION"),  QStringLiteral("UPDATE"),
        QStringLiteral("VALUES"),  QStringLiteral("VIEW"),    QStringLiteral("WHEN"),   QStringLiteral("WHERE"),
        QStringLiteral("WITH"),
    };
    return words;
}

// Words that begin a statement; two of them at one level are two statements
// that the server would run one after the other.
const QSet<QString> &statementWords()
{
    static const QSet<QString> words = {
        QStringLiteral("ALTER"),    QStringLiteral("CREATE"), QStringLiteral("DECLARE"), QStringLiteral("DELETE"),
        QStringLiteral("DROP"),     QStringLiteral("EXEC"),   QStringLiteral("EXECUTE"), QStringLiteral("IF"),
        QStringLiteral("INSERT"),   QStringLiteral("MERGE"),  QStringLiteral("PRINT"),   QStringLiteral("RETURN"),
        QStringLiteral("TRUNCATE"), QStringLiteral("UPDATE"), QStringLiteral("USE"),     QStringLiteral("WHILE"),
    };
    return words;
}

const QSet<QString> &textFunctions()
{
    static const QSet<QString> names = {
        QStringLiteral("CHAR"),         QStringLiteral("CONCAT"),
        QStringLiteral("F_HANCONVERT"), QStringLiteral("KZ_F_HANCONVERT"),
        QStringLiteral("LEFT"),         QStringLiteral("LOWER"),
        QStringLiteral("LTRIM"),        QStringLiteral("NCHAR"),
        QStringLiteral("REPLACE"),      QStringLiteral("REPLICATE"),
        QStringLiteral("REVERSE"),      QStringLiteral("RIGHT"),
        QStringLiteral("RTRIM"),        QStringLiteral("SPACE"),
        QStringLiteral("STUFF"),        QStringLiteral("SUBSTRING"),
        QStringLiteral("TRIM"),         QStringLiteral("UPPER"),
    };
    return names;
}

const QSet<QString> &numberFunctions()
{
    static const QSet<QString> names = {
        QStringLiteral("ASCII"),      QStringLiteral("CHARINDEX"), QStringLiteral("COUNT"),
        QStringLiteral("DATALENGTH"), QStringLiteral("LEN"),       QStringLiteral("UNICODE"),
    };
    return names;
}

// Operators T-SQL does not have, or has with a meaning SQLite would not give
// them (SQLite reads ? : $ as parameters).
const QSet<QString> &refusedOperators()
{
    static const QSet<QString> ops = {
        QStringLiteral("?"),  QStringLiteral(":"),  QStringLiteral("::"), QStringLiteral("$"),  QStringLiteral("||"),
        QStringLiteral("=="), QStringLiteral("!<"), QStringLiteral("!>"), QStringLiteral("!"),  QStringLiteral("+="),
        QStringLiteral("-="), QStringLiteral("*="), QStringLiteral("/="), QStringLiteral("%="), QStringLiteral("&="),
        QStringLiteral("|="), QStringLiteral("^="), QStringLiteral("=*"), QStringLiteral("{"),  QStringLiteral("}"),
    };
    return ops;
}

// The server's refusals of NEXT VALUE FOR where it does not take it.
constexpr const char *kSequenceInSubquery =
    "Msg 11719: NEXT VALUE FOR function is not allowed in check constraints, default objects, computed columns, "
    "views, user-defined functions, user-defined aggregates, user-defined table types, sub-queries, common table "
    "expressions, derived tables or return statements";
constexpr const char *kSequenceInClause =
    "Msg 11720: NEXT VALUE FOR function is not allowed in the TOP, OVER, OUTPUT, ON, WHERE, GROUP BY, HAVING, or "
    "ORDER BY clauses";
constexpr const char *kSequenceBesideSet = "Msg 11721: NEXT VALUE FOR function cannot be used directly in a "
                                           "statement that uses a DISTINCT, UNION, UNION ALL, EXCEPT or INTERSECT "
                                           "operator";
constexpr const char *kSequenceBesideOrder = "Msg 11723: NEXT VALUE FOR function cannot be used directly in a "
                                             "statement that contains an ORDER BY clause unless the OVER clause is "
                                             "specified";
constexpr const char *kSequenceInCase =
    "Msg 11741: NEXT VALUE FOR function cannot be used within CASE, CHOOSE, COALESCE, IIF, ISNULL and NULLIF";

Sort combine(const std::vector<Sort> &sorts)
{
    bool allNumbers = !sorts.empty();
    for (Sort s : sorts) {
        if (s == Sort::Text)
            return Sort::Text;
        allNumbers = allNumbers && s == Sort::Number;
    }
    return allNumbers ? Sort::Number : Sort::Unknown;
}

bool isWholeNumber(const QString &text)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        if (!c.isDigit())
            return false;
    }
    return true;
}

class Translator final
{
public:
    Translator(const QString &statement, const ColumnTypes &columnType)
        : m_statement(statement), m_tokens(tokenize(statement)), m_columnType(columnType)
    {
        for (const Token &t : m_tokens)
            m_out.push_back(t.text);
        m_after.resize(m_tokens.size());
        m_limit.resize(m_tokens.size());
    }

    Statement run();

private:
    [[noreturn]] void refuse(const QString &reason) const
    {
        throw platform::Error(reason + QStringLiteral(":\n") + m_statement);
    }

    const Token &token(const Node &n) const { return m_tokens[size_t(n.open)]; }

    QString word(const Node &n) const
    {
        if (n.type != Node::Type::Leaf || token(n).kind != Token::Kind::Identifier)
            return {};
        return token(n).text.toUpper();
    }

    bool isWord(const Nodes &level, size_t k, const char *w) const
    {
        return k < level.size() && word(level[k]) == QLatin1String(w);
    }

    bool isOp(const Node &n, const char *op) const
    {
        return n.type == Node::Type::Leaf && token(n).kind == Token::Kind::Operator &&
               token(n).text == QLatin1String(op);
    }

    bool isName(const Node &n) const
    {
        if (n.type != Node::Type::Leaf)
            return false;
        const auto kind = token(n).kind;
        return kind == Token::Kind::Identifier || kind == Token::Kind::BracketIdentifier ||
               kind == Token::Kind::QuotedIdentifier;
    }

    bool isSelectStart(const Nodes &level) const
    {
        return !level.empty() && (word(level.front()) == u"SELECT" || word(level.front()) == u"WITH");
    }

    bool isKeyword(const Nodes &level, size_t k) const
    {
        const QString w = word(level[k]);
        if (!keywords().contains(w))
            return false;
        const bool call = k + 1 < level.size() && level[k + 1].type == Node::Type::Paren;
        return !(call && (w == u"LEFT" || w == u"RIGHT"));
    }

    bool isUnaryOp(const Node &n) const { return isOp(n, "+") || isOp(n, "-") || isOp(n, "~"); }

    bool isBinaryOp(const Node &n) const
    {
        return isOp(n, "+") || isOp(n, "-") || isOp(n, "*") || isOp(n, "/") || isOp(n, "%") || isOp(n, "&") ||
               isOp(n, "|") || isOp(n, "^");
    }

    QString render(int first, int last) const
    {
        QString text;
        for (int i = first; i <= last; ++i)
            text += m_out[size_t(i)] + m_after[size_t(i)] + m_limit[size_t(i)];
        return text;
    }

    QString original(const Node &first, const Node &last) const
    {
        QString text;
        for (int i = first.open; i <= last.last(); ++i)
            text += m_tokens[size_t(i)].text;
        return text;
    }

    void erase(int first, int last)
    {
        for (int i = first; i <= last; ++i) {
            m_out[size_t(i)].clear();
            m_after[size_t(i)].clear();
        }
    }

    void checkTokens();
    static QString literal(const Token &t);
    bool startsLine(size_t i) const;
    Nodes parseGroup(size_t &i, Node *group);
    std::vector<Span> split(const Nodes &level, const char *op) const;
    QString objectName(const Nodes &level, size_t &k) const;

    Statement translateView(Statement::Kind kind, const Nodes &top);
    Statement translateDrop(const Nodes &top);
    Statement translateHelpText(const Nodes &top, size_t k);
    Statement translateIf(const Nodes &top);
    QString translateQuery(const Nodes &level, const QString &sequenceRefusal = {});

    void checkOrderBy(const Nodes &select);
    void checkSequences(const Nodes &level, const QString &refusal, bool statement);
    bool isNextValue(const Nodes &level, size_t k) const
    {
        return word(level[k]) == u"NEXT" && isWord(level, k + 1, "VALUE") && isWord(level, k + 2, "FOR");
    }
    void rewriteNumberComparisons(const Nodes &level);
    void rewriteTextCollation(const Nodes &level);
    void rewriteCast(const Nodes &level, size_t k);
    void rewriteIsNull(const Nodes &level, size_t k);
    QString declaredType(const Nodes &nodes) const;
    QString valueType(const Nodes &nodes) const;

    void rewriteStatementHead(const Nodes &level);
    void rewriteLevel(const Nodes &level);
    void rewriteTop(const Nodes &level);
    void rewriteNames(const Nodes &level);
    void rewriteFunction(const Nodes &level, size_t k, const QString &name);
    void rewriteConcatenation(const Nodes &level);

    size_t parsePrimary(const Nodes &level, size_t k) const;
    Chain parseChain(const Nodes &level, size_t &k) const;
    Sort operandSort(const Nodes &level, Range operand) const;
    TextWidth textWidth(const Nodes &level, Range operand) const;
    Sort expressionSort(const Nodes &nodes) const;
    Sort caseSort(const Nodes &children) const;

    QString m_statement;
    std::vector<Token> m_tokens;
    std::vector<QString> m_out;   // the token's text in the translation
    std::vector<QString> m_after; // text the translation adds after the token
    std::vector<QString> m_limit; // LIMIT of a TOP, after everything else
    ColumnTypes m_columnType;
    std::vector<int> m_significant;
    int m_depth = 0;         // groups open while parsing
    int m_insertSelect = -1; // the "(" of INSERT … (SELECT …)
};

Statement Translator::run()
{
    checkTokens();
    for (size_t i = 0; i < m_tokens.size(); ++i) {
        if (isSignificant(m_tokens[i]))
            m_significant.push_back(int(i));
    }
    size_t at = 0;
    Nodes top = parseGroup(at, nullptr);
    if (!top.empty() && isOp(top.back(), ";"))
        top.pop_back();
    if (top.empty())
        refuse(QStringLiteral("The statement is empty"));
    for (const Node &n : top) {
        if (isOp(n, ";"))
            refuse(QStringLiteral("The embedded archive runs one statement at a time; this text holds several"));
    }

    const QString verb = word(top.front());
    if (verb == u"SELECT" || verb == u"INSERT" || verb == u"UPDATE" || verb == u"DELETE" || verb == u"WITH") {
        Statement s;
        s.sql = translateQuery(top);
        return s;
    }
    if (verb == u"CREATE" || verb == u"ALTER") {
        if (!isWord(top, 1, "VIEW"))
            refuse(QStringLiteral("The embedded archive creates and alters only views; its tables and sequences "
                                  "come from its own schema"));
        return translateView(verb == u"CREATE" ? Statement::Kind::CreateView : Statement::Kind::AlterView, top);
    }
    if (verb == u"DROP")
        return translateDrop(top);
    if (verb == u"IF")
        return translateIf(top);
    if (verb == u"SP_HELPTEXT")
        return translateHelpText(top, 1);
    if (verb == u"EXEC" || verb == u"EXECUTE") {
        if (!isWord(top, 1, "SP_HELPTEXT"))
            refuse(QStringLiteral("The embedded archive runs no procedure but sp_helptext"));
        return translateHelpText(top, 2);
    }
    refuse(QStringLiteral("The embedded archive does not know this kind of statement"));
}

void Translator::checkTokens()
{
    for (size_t i = 0; i < m_tokens.size(); ++i) {
        const Token &t = m_tokens[i];
        switch (t.kind) {
        case Token::Kind::Variable:
            refuse(QStringLiteral("Variables such as %1 are not available in the embedded archive").arg(t.text));
        case Token::Kind::Number:
            if (t.text.startsWith(QStringLiteral("0x"), Qt::CaseInsensitive))
                refuse(
                    QStringLiteral("Binary literals such as %1 are not available in the embedded archive").arg(t.text));
            break;
        case Token::Kind::Identifier: {
            const QString upper = t.text.toUpper();
            if (t.text.startsWith(u'#'))
                refuse(QStringLiteral("Temporary tables such as %1 are not available in the embedded archive")
                           .arg(t.text));
            if (upper == u"GO" && startsLine(i))
                refuse(QStringLiteral("GO ends a batch of a script; send each statement by itself"));
            if (upper == u"CURRENT_TIMESTAMP")
                refuse(QStringLiteral("The embedded archive has no server clock for %1").arg(t.text));
            // SQL Server names may hold "#", "$" and "@" after their first
            // character (VMWL_EE_CT#1); SQLite reads such a name only in brackets.
            if (t.text.contains(u'#') || t.text.contains(u'$') || t.text.contains(u'@'))
                m_out[i] = u'[' + t.text + u']';
            break;
        }
        case Token::Kind::String:
        case Token::Kind::UnicodeString:
            m_out[i] = literal(t);
            break;
        case Token::Kind::QuotedIdentifier: {
            // SQLite takes an unknown "name" for a string; [name] it never does.
            const QString name = identifierName(t);
            if (!name.contains(u']'))
                m_out[i] = u'[' + name + u']';
            break;
        }
        case Token::Kind::BracketIdentifier: {
            // SQLite's [name] has no "]]" escape.
            QString name = identifierName(t);
            if (name.contains(u']'))
                m_out[i] = u'"' + name.replace(u'"', QStringLiteral("\"\"")) + u'"';
            break;
        }
        case Token::Kind::BlockComment: {
            // SQLite does not nest comments: the first "*/" would end it.
            QString inner = t.text.mid(2, t.text.size() - 4);
            if (inner.contains(QStringLiteral("/*"))) {
                inner.replace(QStringLiteral("*/"), QStringLiteral("* /"))
                    .replace(QStringLiteral("/*"), QStringLiteral("/ *"));
                m_out[i] = QStringLiteral("/*") + inner + QStringLiteral("*/");
            }
            break;
        }
        case Token::Kind::Operator:
            if (refusedOperators().contains(t.text))
                refuse(QStringLiteral("The operator %1 is not known to the embedded archive").arg(t.text));
            break;
        default:
            break;
        }
    }
}

// A string literal's value as the server reads it: a backslash right before a
// line end (LF, or CR LF) is removed with the line end (a line continuation).
QString readValue(const Token &t)
{
    QString value = stringValue(t);
    value.replace(QStringLiteral("\\\r\n"), QString()).replace(QStringLiteral("\\\n"), QString());
    return value;
}

// A string literal as the server reads it: a backslash right before a line
// end (LF, or CR LF) is removed with the line end (a line continuation), and a
// literal without N holds only what code page 949 can, every other character
// becoming '?'. SQLite strings are Unicode and have no continuation. A literal
// has the database's collation on the server, so it compares as a column does
// wherever it goes: joined by ||, through a function, into a view's column.
QString Translator::literal(const Token &t)
{
    QString value = readValue(t);
    if (t.kind == Token::Kind::String)
        value = platform::fromCp949(platform::encodeReplacing(value, platform::toCp949));
    return u'\'' + db::quoted(value) + QStringLiteral("' COLLATE SITE_CI");
}

bool Translator::startsLine(size_t i) const
{
    while (i > 0) {
        const Token &t = m_tokens[--i];
        if (t.kind == Token::Kind::Whitespace) {
            if (t.text.contains(u'\n') || t.text.contains(u'\r'))
                return true;
        } else if (t.kind != Token::Kind::BlockComment) {
            return false;
        }
    }
    return true;
}

Nodes Translator::parseGroup(size_t &i, Node *group)
{
    Nodes nodes;
    while (i < m_significant.size()) {
        Node n;
        n.open = m_significant[i++];
        const Token &t = m_tokens[size_t(n.open)];
        const QString upper = t.kind == Token::Kind::Identifier ? t.text.toUpper() : QString();
        if (t.kind == Token::Kind::Operator && t.text == u")") {
            if (!group || group->type != Node::Type::Paren)
                refuse(QStringLiteral("The statement's parentheses are unbalanced"));
            group->close = n.open;
            return nodes;
        }
        if (upper == u"END") {
            if (!group || group->type == Node::Type::Paren)
                refuse(QStringLiteral("END without CASE or BEGIN, or inside unbalanced parentheses"));
            group->close = n.open;
            return nodes;
        }
        if (t.kind == Token::Kind::Operator && t.text == u"(")
            n.type = Node::Type::Paren;
        else if (upper == u"CASE")
            n.type = Node::Type::Case;
        else if (upper == u"BEGIN")
            n.type = Node::Type::Begin;
        if (n.type != Node::Type::Leaf) {
            // Deeper than any statement of the tool, and shallow enough for the stack.
            constexpr int kMaxDepth = 200;
            if (++m_depth > kMaxDepth)
                refuse(
                    QStringLiteral("The statement nests parentheses, CASE or BEGIN more than %1 deep").arg(kMaxDepth));
            n.children = parseGroup(i, &n);
            --m_depth;
        }
        nodes.push_back(std::move(n));
    }
    if (group) {
        if (group->type == Node::Type::Paren)
            refuse(QStringLiteral("The statement's parentheses are unbalanced"));
        refuse(QStringLiteral("%1 without END").arg(m_tokens[size_t(group->open)].text));
    }
    return nodes;
}

std::vector<Span> Translator::split(const Nodes &level, const char *op) const
{
    std::vector<Span> parts;
    if (level.empty())
        return parts;
    size_t start = 0;
    for (size_t k = 0; k <= level.size(); ++k) {
        if (k == level.size() || isOp(level[k], op)) {
            parts.emplace_back(start, k);
            start = k + 1;
        }
    }
    return parts;
}

QString Translator::objectName(const Nodes &level, size_t &k) const
{
    if (k + 2 < level.size() && isName(level[k]) && isOp(level[k + 1], ".") &&
        identifierName(token(level[k])).compare(u"dbo", Qt::CaseInsensitive) == 0)
        k += 2;
    if (k >= level.size() || !isName(level[k]))
        refuse(QStringLiteral("The statement names no object where it should"));
    if (k + 1 < level.size() && isOp(level[k + 1], "."))
        refuse(QStringLiteral("The embedded archive has no schema but dbo"));
    return identifierName(token(level[k++]));
}

Statement Translator::translateView(Statement::Kind kind, const Nodes &top)
{
    Statement s;
    s.kind = kind;
    size_t k = 2;
    s.name = objectName(top, k);
    if (k < top.size() && top[k].type == Node::Type::Paren) {
        const Nodes &list = top[k].children;
        for (const Span &part : split(list, ",")) {
            if (part.second != part.first + 1 || !isName(list[part.first]))
                refuse(QStringLiteral("A view's column list holds plain names separated by commas"));
            s.columns << identifierName(token(list[part.first])).trimmed();
        }
        if (s.columns.isEmpty())
            refuse(QStringLiteral("The view's column list is empty"));
        ++k;
    }
    if (!isWord(top, k, "AS"))
        refuse(QStringLiteral("AS must follow the view's name and column list"));
    const Nodes select(top.begin() + qsizetype(k) + 1, top.end());
    if (!isSelectStart(select))
        refuse(QStringLiteral("A view is made from one SELECT"));
    checkOrderBy(select);
    s.sql = translateQuery(select, QLatin1String(kSequenceInSubquery));
    return s;
}

Statement Translator::translateDrop(const Nodes &top)
{
    if (!isWord(top, 1, "VIEW"))
        refuse(
            QStringLiteral("The embedded archive drops only views; its tables and sequences come from its own schema"));
    Statement s;
    s.kind = Statement::Kind::DropView;
    size_t k = 2;
    s.name = objectName(top, k);
    if (k != top.size())
        refuse(QStringLiteral("DROP VIEW takes the name of one view and nothing else"));
    return s;
}

Statement Translator::translateHelpText(const Nodes &top, size_t k)
{
    Statement s;
    s.kind = Statement::Kind::HelpText;
    if (k + 1 == top.size() && top[k].type == Node::Type::Leaf &&
        (token(top[k]).kind == Token::Kind::String || token(top[k]).kind == Token::Kind::UnicodeString)) {
        s.name = stringValue(token(top[k]));
        if (s.name.startsWith(QStringLiteral("dbo."), Qt::CaseInsensitive))
            s.name.remove(0, 4);
        if (s.name.startsWith(u'[') && s.name.endsWith(u']'))
            s.name = s.name.mid(1, s.name.size() - 2);
        return s;
    }
    s.name = objectName(top, k);
    if (k != top.size())
        refuse(QStringLiteral("sp_helptext takes the name of one object and nothing else"));
    return s;
}

Statement Translator::translateIf(const Nodes &top)
{
    if (!isWord(top, 1, "NOT") || !isWord(top, 2, "EXISTS") || top.size() < 5 || top[3].type != Node::Type::Paren)
        refuse(QStringLiteral("The only IF the embedded archive knows is IF NOT EXISTS ( SELECT … ) BEGIN … END"));
    for (size_t k = 4; k < top.size(); ++k) {
        if (isWord(top, k, "ELSE"))
            refuse(QStringLiteral("IF … ELSE is not known to the embedded archive"));
    }
    Statement s;
    s.kind = Statement::Kind::IfNotExists;
    const Nodes &condition = top[3].children;
    if (!isSelectStart(condition))
        refuse(QStringLiteral("IF NOT EXISTS must be followed by a SELECT in parentheses"));
    s.sql = translateQuery(condition, QLatin1String(kSequenceInSubquery));

    Nodes body;
    if (top[4].type == Node::Type::Begin) {
        if (top.size() != 5)
            refuse(QStringLiteral("Text follows the END of IF NOT EXISTS"));
        body = top[4].children;
    } else {
        body.assign(top.begin() + 4, top.end());
    }
    for (const Span &part : split(body, ";")) {
        if (part.first == part.second)
            continue;
        const Nodes piece(body.begin() + qsizetype(part.first), body.begin() + qsizetype(part.second));
        const QString verb = word(piece.front());
        if (verb != u"SELECT" && verb != u"INSERT" && verb != u"UPDATE" && verb != u"DELETE" && verb != u"WITH")
            refuse(QStringLiteral(
                "Inside IF NOT EXISTS the embedded archive runs only SELECT, INSERT, UPDATE and DELETE"));
        Statement inner;
        inner.sql = translateQuery(piece);
        s.body.push_back(std::move(inner));
    }
    if (s.body.empty())
        refuse(QStringLiteral("IF NOT EXISTS has no statement to run"));
    return s;
}

QString Translator::translateQuery(const Nodes &level, const QString &sequenceRefusal)
{
    rewriteStatementHead(level);
    checkSequences(level, sequenceRefusal, true);
    rewriteLevel(level);
    return render(level.front().open, level.back().last());
}

void Translator::rewriteStatementHead(const Nodes &level)
{
    int verbs = 0;
    for (const Node &n : level) {
        if (statementWords().contains(word(n)))
            ++verbs;
    }
    if (verbs > 1)
        refuse(QStringLiteral("The embedded archive runs one statement at a time; this text holds several"));

    const QString verb = word(level.front());
    if ((verb == u"DELETE" || verb == u"INSERT" || verb == u"UPDATE") && isWord(level, 1, "TOP"))
        refuse(QStringLiteral("%1 TOP is not known to the embedded archive").arg(verb));

    if (verb == u"DELETE") {
        int froms = 0;
        for (size_t k = 1; k < level.size(); ++k)
            froms += isWord(level, k, "FROM") ? 1 : 0;
        const bool fromFirst = isWord(level, 1, "FROM");
        if (froms > (fromFirst ? 1 : 0))
            refuse(QStringLiteral("DELETE with a second FROM is not known to the embedded archive"));
        if (!fromFirst)
            m_after[size_t(level.front().open)] += QStringLiteral(" FROM");
    } else if (verb == u"INSERT") {
        size_t k = 1;
        if (isWord(level, k, "INTO"))
            ++k;
        else
            m_after[size_t(level.front().open)] += QStringLiteral(" INTO");
        if (k >= level.size() || !isName(level[k]))
            refuse(QStringLiteral("INSERT INTO must name a table"));
        ++k;
        while (k + 1 < level.size() && isOp(level[k], ".") && isName(level[k + 1]))
            k += 2;
        const auto isSelectGroup = [this](const Node &n) {
            return n.type == Node::Type::Paren && isSelectStart(n.children);
        };
        if (k < level.size() && level[k].type == Node::Type::Paren && !isSelectGroup(level[k]))
            ++k; // the column list
        if (k < level.size() && isSelectGroup(level[k])) {
            // SQLite takes INSERT … SELECT only without the parentheses.
            if (k + 1 != level.size())
                refuse(QStringLiteral("Text follows the SELECT in parentheses of the INSERT"));
            m_out[size_t(level[k].open)].clear();
            m_out[size_t(level[k].close)].clear();
            m_insertSelect = level[k].open;
        }
    }
}

// A view, a subquery or a derived table is a set without order: the server
// takes ORDER BY there only with TOP (or OFFSET, or FOR XML).
void Translator::checkOrderBy(const Nodes &select)
{
    bool ordered = false;
    bool bounded = false;
    for (size_t k = 0; k < select.size(); ++k) {
        ordered = ordered || (isWord(select, k, "ORDER") && isWord(select, k + 1, "BY"));
        bounded = bounded || isWord(select, k, "TOP") || isWord(select, k, "OFFSET") ||
                  (isWord(select, k, "FOR") && isWord(select, k + 1, "XML"));
    }
    if (ordered && !bounded)
        refuse(QStringLiteral("Msg 1033: The ORDER BY clause is invalid in views, inline functions, derived tables, "
                              "subqueries, and common table expressions, unless TOP, OFFSET or FOR XML is also "
                              "specified"));
}

// Where the server takes NEXT VALUE FOR: in the select list or the values of
// the statement itself (an INSERT's SELECT included), never in a view, a
// subquery, a condition, CASE and the like, nor beside DISTINCT, UNION or
// ORDER BY. refusal: why a NEXT VALUE FOR at this level is refused (empty:
// it is taken); statement: the level is a statement's or a SELECT's own.
void Translator::checkSequences(const Nodes &level, const QString &refusal, bool statement)
{
    QString setOperator;
    QString ordered;
    if (statement) {
        for (size_t k = 0; k < level.size(); ++k) {
            if (isWord(level, k, "DISTINCT") || isWord(level, k, "UNION") || isWord(level, k, "EXCEPT") ||
                isWord(level, k, "INTERSECT"))
                setOperator = QLatin1String(kSequenceBesideSet);
            if (isWord(level, k, "ORDER") && isWord(level, k + 1, "BY"))
                ordered = QLatin1String(kSequenceBesideOrder);
        }
    }
    QString clause;
    for (size_t k = 0; k < level.size(); ++k) {
        const QString w = word(level[k]);
        if (statement) {
            if (w == u"SELECT" || w == u"VALUES" || w == u"SET" || w == u"FROM")
                clause.clear();
            else if (w == u"WHERE" || w == u"ON" || w == u"GROUP" || w == u"HAVING" || w == u"ORDER" || w == u"TOP" ||
                     w == u"OVER" || w == u"OUTPUT")
                clause = QLatin1String(kSequenceInClause);
        }
        QString here = refusal;
        for (const QString &reason : {clause, setOperator, ordered}) {
            if (here.isEmpty())
                here = reason;
        }
        const Node &n = level[k];
        if (isNextValue(level, k) && !here.isEmpty())
            refuse(here);
        if (n.type == Node::Type::Case) {
            checkSequences(n.children, here.isEmpty() ? QLatin1String(kSequenceInCase) : here, false);
        } else if (n.type == Node::Type::Paren) {
            if (isSelectStart(n.children)) {
                if (n.open != m_insertSelect)
                    checkOrderBy(n.children);
                checkSequences(n.children, n.open == m_insertSelect ? refusal : QLatin1String(kSequenceInSubquery),
                               true);
                continue;
            }
            const QString fn =
                k > 0 && isName(level[k - 1]) ? identifierName(token(level[k - 1])).toUpper() : QString();
            const bool choosing =
                fn == u"ISNULL" || fn == u"COALESCE" || fn == u"IIF" || fn == u"NULLIF" || fn == u"CHOOSE";
            checkSequences(n.children, here.isEmpty() && choosing ? QLatin1String(kSequenceInCase) : here, false);
        }
    }
}

void Translator::rewriteLevel(const Nodes &level)
{
    for (const Node &n : level) {
        if (n.type == Node::Type::Begin)
            refuse(QStringLiteral("BEGIN … END is known only after IF NOT EXISTS"));
    }
    rewriteTop(level);
    rewriteNames(level);
    rewriteConcatenation(level);
    rewriteNumberComparisons(level);
    rewriteTextCollation(level);
    for (const Node &n : level) {
        if (n.type == Node::Type::Paren || n.type == Node::Type::Case)
            rewriteLevel(n.children);
    }
}

void Translator::rewriteTop(const Nodes &level)
{
    bool compound = false;
    for (size_t k = 0; k < level.size(); ++k)
        compound = compound || isWord(level, k, "UNION") || isWord(level, k, "EXCEPT") || isWord(level, k, "INTERSECT");

    for (size_t k = 0; k < level.size(); ++k) {
        if (!isWord(level, k, "TOP"))
            continue;
        const bool afterSelect = (k >= 1 && isWord(level, k - 1, "SELECT")) ||
                                 (k >= 2 && (isWord(level, k - 1, "DISTINCT") || isWord(level, k - 1, "ALL")) &&
                                  isWord(level, k - 2, "SELECT"));
        if (!afterSelect)
            refuse(QStringLiteral("TOP is known only right after SELECT or SELECT DISTINCT"));
        if (compound)
            refuse(QStringLiteral("TOP in a SELECT joined to others by UNION, EXCEPT or INTERSECT is not known to "
                                  "the embedded archive"));
        QString count;
        if (k + 1 < level.size()) {
            const Node &c = level[k + 1];
            const Node *number = &c;
            if (c.type == Node::Type::Paren && c.children.size() == 1)
                number = &c.children.front();
            if (number->type == Node::Type::Leaf && token(*number).kind == Token::Kind::Number)
                count = token(*number).text;
        }
        if (!isWholeNumber(count))
            refuse(QStringLiteral("TOP is known only with a whole number"));
        if (isWord(level, k + 2, "PERCENT") || (isWord(level, k + 2, "WITH") && isWord(level, k + 3, "TIES")))
            refuse(QStringLiteral("TOP … PERCENT and TOP … WITH TIES are not known to the embedded archive"));

        int last = level[k + 1].last();
        if (size_t(last) + 1 < m_tokens.size() && m_tokens[size_t(last) + 1].kind == Token::Kind::Whitespace)
            ++last;
        erase(level[k].open, last);
        m_limit[size_t(level.back().last())] = QStringLiteral(" LIMIT ") + count;
    }
}

void Translator::rewriteNames(const Nodes &level)
{
    size_t k = 0;
    while (k < level.size()) {
        const Node &n = level[k];
        if (!isName(n)) {
            ++k;
            continue;
        }
        if (word(n) == u"NEXT" && isWord(level, k + 1, "VALUE") && isWord(level, k + 2, "FOR")) {
            size_t end = k + 3;
            const QString sequence = objectName(level, end);
            if (isWord(level, end, "OVER"))
                refuse(QStringLiteral("NEXT VALUE FOR … OVER is not known to the embedded archive"));
            m_out[size_t(n.open)] = QStringLiteral("%1('%2')").arg(QLatin1String(kNextValue), db::quoted(sequence));
            erase(n.open + 1, level[end - 1].last());
            k = end;
            continue;
        }

        size_t end = k + 1;
        while (end + 1 < level.size() && isOp(level[end], ".") && (isName(level[end + 1]) || isOp(level[end + 1], "*")))
            end += 2;
        const bool insertTarget = k > 0 && (isWord(level, k - 1, "INTO") || isWord(level, k - 1, "INSERT"));
        const bool call = end < level.size() && level[end].type == Node::Type::Paren && !insertTarget;
        const QString first = identifierName(token(n)).toUpper();
        if (end > k + 1) {
            const Node &second = level[k + 2];
            const QString secondName = identifierName(token(second)).toUpper();
            if (call) {
                if (end != k + 3 || first != u"VUR_TCOMMON" || secondName != u"F_HANCONVERT")
                    refuse(QStringLiteral("The function %1 is not known to the embedded archive")
                               .arg(original(n, level[end - 1])));
                m_out[size_t(n.open)] = QLatin1String(kHanConvert);
                erase(n.open + 1, second.open);
            } else if (first == u"SYS") {
                if (secondName == u"OBJECTS")
                    m_out[size_t(n.open)] = QLatin1String(kSysObjects);
                else if (secondName == u"SEQUENCES")
                    m_out[size_t(n.open)] = QLatin1String(kSysSequences);
                else
                    refuse(QStringLiteral("The catalogue view %1 is not known to the embedded archive")
                               .arg(original(n, second)));
                erase(n.open + 1, second.open);
            } else if (first == u"DBO") {
                erase(n.open, second.open - 1);
            }
        } else if (call) {
            rewriteFunction(level, k, first);
        }
        k = end;
    }
}

void Translator::rewriteFunction(const Nodes &level, size_t k, const QString &name)
{
    const Node &fn = level[k];
    const Node &group = level[k + 1];
    const Nodes &args = group.children;
    const std::vector<Span> parts = split(args, ",");
    const auto requireArguments = [&](size_t count) {
        if (parts.size() != count)
            refuse(QStringLiteral("%1 takes %2 arguments").arg(token(fn).text).arg(count));
    };

    if (name == u"GETDATE" || name == u"GETUTCDATE" || name == u"SYSDATETIME" || name == u"SYSUTCDATETIME" ||
        name == u"SYSDATETIMEOFFSET") {
        refuse(QStringLiteral("The embedded archive has no server clock for %1()").arg(token(fn).text));
    } else if (name == u"FORMAT" || name == u"LOG") {
        refuse(QStringLiteral("%1() means something else in the embedded archive").arg(token(fn).text));
    } else if (name == u"SUBSTRING") {
        requireArguments(3);
        // T-SQL counts a negative start before the text; SQLite from its end.
        const Span start = parts[1];
        if (start.second - start.first == 2 && isOp(args[start.first], "-"))
            refuse(QStringLiteral("SUBSTRING with a negative start is not known to the embedded archive"));
        m_out[size_t(fn.open)] = QStringLiteral("substr");
    } else if (name == u"ISNULL") {
        requireArguments(2);
        m_out[size_t(fn.open)] = QStringLiteral("ifnull");
        rewriteIsNull(level, k);
    } else if (name == u"CAST") {
        rewriteCast(level, k);
    } else if (name == u"LEN") {
        // LEN does not count trailing blanks.
        requireArguments(1);
        m_out[size_t(fn.open)] = QStringLiteral("length");
        m_out[size_t(group.open)] = QStringLiteral("(rtrim(");
        m_out[size_t(group.close)] = QStringLiteral("))");
    } else if (name == u"LEFT") {
        requireArguments(2);
        m_out[size_t(fn.open)] = QStringLiteral("substr");
        m_after[size_t(args[parts[0].second].open)] += QStringLiteral(" 1,");
    } else if (name == u"RIGHT") {
        requireArguments(2);
        const Span length = parts[1];
        if (length.second != length.first + 1 || args[length.first].type != Node::Type::Leaf ||
            !isWholeNumber(token(args[length.first]).text))
            refuse(QStringLiteral("RIGHT is known to the embedded archive only with a whole number as its length"));
        m_out[size_t(fn.open)] = QStringLiteral("substr");
        const QString count = token(args[length.first]).text;
        m_out[size_t(args[length.first].open)] = QStringLiteral("-%1, %1").arg(count);
    }
}

// The server compares a text with a number as numbers, converting the text,
// and fails on the first text that is no number (Msg 245); SQLite would
// compare them as texts. The side facing a bare number goes through
// kz_number, which converts as the server does.
void Translator::rewriteNumberComparisons(const Nodes &level)
{
    static const QSet<QString> comparisons = {QStringLiteral("="), QStringLiteral("<>"), QStringLiteral("!="),
                                              QStringLiteral("<"), QStringLiteral(">"),  QStringLiteral("<="),
                                              QStringLiteral(">=")};
    const auto isNumber = [&](size_t k) {
        return k < level.size() && level[k].type == Node::Type::Leaf && token(level[k]).kind == Token::Kind::Number;
    };
    const auto numberKind = [&](size_t k) {
        const QString text = token(level[k]).text;
        if (text.contains(u'e') || text.contains(u'E'))
            return QStringLiteral("float");
        return text.contains(u'.') ? QStringLiteral("numeric") : QStringLiteral("int");
    };
    const auto isOperand = [&](const Node &n) {
        if (n.type == Node::Type::Paren || n.type == Node::Type::Case)
            return true;
        return n.type == Node::Type::Leaf &&
               (token(n).kind == Token::Kind::String || token(n).kind == Token::Kind::UnicodeString || isName(n));
    };
    const auto wrap = [&](size_t first, size_t last, const QString &kind) {
        m_out[size_t(level[first].open)].prepend(QStringLiteral("kz_number("));
        m_after[size_t(level[last].last())].append(QStringLiteral(", '%1')").arg(kind));
    };
    for (size_t k = 1; k + 1 < level.size(); ++k) {
        const Node &op = level[k];
        if (op.type != Node::Type::Leaf || token(op).kind != Token::Kind::Operator ||
            !comparisons.contains(token(op).text))
            continue;
        // number on the right: the operand on the left is a name, a call, a
        // string or a group, with no operator before it
        const size_t number = isOp(level[k + 1], "-") || isOp(level[k + 1], "+") ? k + 2 : k + 1;
        if (isNumber(number) && (number + 1 == level.size() || !isBinaryOp(level[number + 1]))) {
            size_t first = k - 1;
            if (!isOperand(level[first]) || isKeyword(level, first))
                continue;
            // a group after a function's name is its call; after WHERE or AND it stands alone
            if (level[first].type == Node::Type::Paren && first > 0 && isName(level[first - 1]) &&
                !isKeyword(level, first - 1))
                --first;
            while (first >= 2 && isOp(level[first - 1], ".") && isName(level[first - 2]))
                first -= 2;
            if (first > 0 && (isBinaryOp(level[first - 1]) || isUnaryOp(level[first - 1])))
                continue;
            if (level[first].type == Node::Type::Leaf && token(level[first]).kind == Token::Kind::Number)
                continue;
            wrap(first, k - 1, numberKind(number));
            continue;
        }
        // number on the left
        if (isNumber(k - 1) && !(k >= 2 && (isBinaryOp(level[k - 2]) || isUnaryOp(level[k - 2])))) {
            const size_t end = parsePrimary(level, k + 1);
            if (end == k + 1 || (end < level.size() && isBinaryOp(level[end])) || isNumber(k + 1))
                continue;
            wrap(k + 1, end - 1, numberKind(k - 1));
        }
    }
}

// A text made by a function compares as the column it came from would, not
// byte for byte: case, width and trailing blanks ignored.
void Translator::rewriteTextCollation(const Nodes &level)
{
    for (size_t k = 1; k < level.size(); ++k) {
        if (level[k].type != Node::Type::Paren || !isName(level[k - 1]) || isKeyword(level, k - 1) ||
            (k >= 2 && isWord(level, k - 2, "AS")))
            continue;
        if (textFunctions().contains(identifierName(token(level[k - 1])).toUpper()))
            m_after[size_t(level[k].close)].append(QStringLiteral(" COLLATE SITE_CI"));
    }
}

// Cast to a character type makes the text the server would: varchar in code
// page 949 and cut to its length in bytes (30 when none is given), nvarchar
// cut to its length in characters, char and nchar filled with blanks.
void Translator::rewriteCast(const Nodes &level, size_t k)
{
    const Node &group = level[k + 1];
    const Nodes &args = group.children;
    size_t as = 0;
    while (as < args.size() && !isWord(args, as, "AS"))
        ++as;
    if (as + 1 >= args.size() || !isName(args[as + 1]))
        refuse(QStringLiteral("CAST takes a value, AS and a type"));
    const QString type = identifierName(token(args[as + 1])).toUpper();
    if ((type == u"INT" || type == u"INTEGER") && as + 2 == args.size()) {
        m_out[size_t(level[k].open)] = QStringLiteral("kz_int");
        erase(args[as].open, args[as + 1].open);
        return;
    }
    if (type != u"VARCHAR" && type != u"CHAR" && type != u"NVARCHAR" && type != u"NCHAR")
        return;
    QString length = QStringLiteral("30");
    if (as + 2 < args.size()) {
        const Node &size = args[as + 2];
        if (as + 3 != args.size() || size.type != Node::Type::Paren || size.children.size() != 1 ||
            size.children.front().type != Node::Type::Leaf)
            refuse(QStringLiteral("CAST to %1 takes one length").arg(type));
        length = token(size.children.front()).text.toUpper();
        if (length == u"MAX")
            length = QStringLiteral("-1");
        else if (!isWholeNumber(length))
            refuse(QStringLiteral("CAST to %1 takes a whole number as its length").arg(type));
        erase(size.open, size.close);
    }
    m_out[size_t(level[k].open)] = QStringLiteral("kz_text");
    m_out[size_t(args[as].open)] = QStringLiteral(",");
    m_out[size_t(args[as + 1].open)] = QStringLiteral("'%1', %2").arg(type, length);
}

// ISNULL's value has the type of its first argument: the second is cut to
// the first one's length, or converted to its number type (Msg 245 when it
// is no number), as the server does.
void Translator::rewriteIsNull(const Nodes &level, size_t k)
{
    const Node &group = level[k + 1];
    const std::vector<Span> parts = split(group.children, ",");
    const QString type = valueType(
        Nodes(group.children.begin() + qsizetype(parts[0].first), group.children.begin() + qsizetype(parts[0].second)));
    static const QRegularExpression whole(QStringLiteral("^\\s*(BIG|SMALL|TINY)?INT(EGER)?\\s*$"),
                                          QRegularExpression::CaseInsensitiveOption);
    if (whole.match(type).hasMatch() && parts.size() == 2 && parts[1].second > parts[1].first) {
        m_out[size_t(group.children[parts[1].first].open)].prepend(QStringLiteral("kz_number("));
        m_after[size_t(group.children[parts[1].second - 1].last())].append(QStringLiteral(", 'int')"));
        return;
    }
    const std::optional<CharType> text = charType(type);
    if (!text || text->length == u"MAX")
        return;
    m_out[size_t(level[k].open)] = QStringLiteral("kz_text(ifnull");
    m_after[size_t(group.close)].append(QStringLiteral(", '%1', %2)").arg(text->name, text->length));
}

// The type of a value as the server tells it from the text: a column's
// declared type, CAST's type (a character type without a length has 30),
// NULLIF's first argument's; empty when it cannot be told.
QString Translator::valueType(const Nodes &nodes) const
{
    if (nodes.size() == 2 && isName(nodes[0]) && nodes[1].type == Node::Type::Paren) {
        const QString name = identifierName(token(nodes[0])).toUpper();
        const Nodes &args = nodes[1].children;
        if (name == u"CAST") {
            size_t as = 0;
            while (as < args.size() && !isWord(args, as, "AS"))
                ++as;
            QString type;
            for (size_t i = as + 1; i < args.size(); ++i)
                type += original(args[i], args[i]);
            if (type.contains(QLatin1String("CHAR"), Qt::CaseInsensitive) && !type.contains(u'('))
                type += QStringLiteral("(30)");
            return type;
        }
        if (name == u"NULLIF") {
            const std::vector<Span> parts = split(args, ",");
            return valueType(
                Nodes(args.begin() + qsizetype(parts[0].first), args.begin() + qsizetype(parts[0].second)));
        }
        return {};
    }
    return m_columnType ? declaredType(nodes) : QString();
}

// The declared type of a column named alone, or as the only item of a
// subquery's select list; empty when it cannot be told.
QString Translator::declaredType(const Nodes &nodes) const
{
    if (nodes.size() == 1 && nodes.front().type == Node::Type::Paren) {
        const Nodes &inner = nodes.front().children;
        if (!isSelectStart(inner) || word(inner.front()) != u"SELECT")
            return {};
        size_t first = 1;
        if (isWord(inner, first, "TOP"))
            first += 2;
        size_t end = first;
        while (end < inner.size() && !isWord(inner, end, "FROM"))
            ++end;
        return declaredType(Nodes(inner.begin() + qsizetype(first), inner.begin() + qsizetype(end)));
    }
    if (nodes.empty() || nodes.size() % 2 == 0)
        return {};
    for (size_t i = 0; i < nodes.size(); ++i) {
        if (i % 2 == 0 ? !isName(nodes[i]) : !isOp(nodes[i], "."))
            return {};
    }
    return m_columnType(identifierName(token(nodes.back())));
}

size_t Translator::parsePrimary(const Nodes &level, size_t k) const
{
    if (k >= level.size())
        return k;
    const Node &n = level[k];
    if (n.type == Node::Type::Paren || n.type == Node::Type::Case)
        return k + 1;
    if (n.type != Node::Type::Leaf)
        return k;
    switch (token(n).kind) {
    case Token::Kind::String:
    case Token::Kind::UnicodeString:
    case Token::Kind::Number:
        return k + 1;
    case Token::Kind::Identifier:
    case Token::Kind::BracketIdentifier:
    case Token::Kind::QuotedIdentifier:
        break;
    default:
        return k;
    }
    if (isKeyword(level, k))
        return k;
    size_t end = k + 1;
    if (word(n) == u"NEXT" && isWord(level, k + 1, "VALUE") && isWord(level, k + 2, "FOR"))
        end = k + 4;
    while (end + 1 < level.size() && isOp(level[end], ".") && (isName(level[end + 1]) || isOp(level[end + 1], "*")))
        end += 2;
    if (end < level.size() && level[end].type == Node::Type::Paren) {
        ++end;
        if (isWord(level, end, "OVER") && end + 1 < level.size() && level[end + 1].type == Node::Type::Paren)
            end += 2;
    }
    return std::min(end, level.size());
}

Chain Translator::parseChain(const Nodes &level, size_t &k) const
{
    Chain chain;
    for (;;) {
        const size_t start = k;
        while (k < level.size() && isUnaryOp(level[k]))
            ++k;
        const size_t end = parsePrimary(level, k);
        if (end == k) {
            chain.broken = !chain.operators.empty() || k != start;
            return chain;
        }
        chain.operands.emplace_back(start, end - 1);
        k = end;
        if (k >= level.size() || !isBinaryOp(level[k]))
            return chain;
        chain.operators.push_back(k++);
    }
}

Sort Translator::operandSort(const Nodes &level, Range operand) const
{
    size_t k = operand.first;
    bool negated = false;
    while (k < operand.second && isUnaryOp(level[k])) {
        negated = negated || !isOp(level[k], "+");
        ++k;
    }
    if (negated)
        return Sort::Number;
    const Node &n = level[k];
    Sort sort = Sort::Unknown;
    if (n.type == Node::Type::Paren) {
        sort = expressionSort(n.children);
    } else if (n.type == Node::Type::Case) {
        sort = caseSort(n.children);
    } else if (token(n).kind == Token::Kind::String || token(n).kind == Token::Kind::UnicodeString) {
        sort = Sort::Text;
    } else if (token(n).kind == Token::Kind::Number) {
        sort = Sort::Number;
    } else {
        size_t call = k + 1;
        while (call <= operand.second && level[call].type != Node::Type::Paren)
            ++call;
        if (call <= operand.second) {
            const QString name = identifierName(token(level[call - 1])).toUpper();
            const Nodes &args = level[call].children;
            std::vector<Sort> sorts;
            for (const Span &part : split(args, ","))
                sorts.push_back(
                    expressionSort(Nodes(args.begin() + qsizetype(part.first), args.begin() + qsizetype(part.second))));
            if (name == u"CAST") {
                // the type after AS tells
                for (size_t a = 0; a + 1 < args.size(); ++a) {
                    if (isWord(args, a, "AS") && isName(args[a + 1])) {
                        const QString type = identifierName(token(args[a + 1])).toUpper();
                        sort = type.contains(u"CHAR"_s)                                              ? Sort::Text
                               : type.contains(u"INT"_s) || type == u"DECIMAL" || type == u"NUMERIC" ? Sort::Number
                                                                                                     : Sort::Unknown;
                    }
                }
            } else if (textFunctions().contains(name))
                sort = Sort::Text;
            else if (numberFunctions().contains(name))
                sort = Sort::Number;
            else if (name == u"ISNULL" || name == u"IFNULL" || name == u"COALESCE" || name == u"NULLIF")
                sort = combine(sorts);
            else if (name == u"IIF" && !sorts.empty())
                sort = combine(std::vector<Sort>(sorts.begin() + 1, sorts.end()));
        }
    }
    return sort;
}

Sort Translator::expressionSort(const Nodes &nodes) const
{
    size_t k = 0;
    const Chain chain = parseChain(nodes, k);
    if (k != nodes.size() || chain.operands.empty() || chain.broken)
        return Sort::Unknown;
    std::vector<Sort> sorts;
    for (const Range &operand : chain.operands)
        sorts.push_back(operandSort(nodes, operand));
    return combine(sorts);
}

Sort Translator::caseSort(const Nodes &children) const
{
    std::vector<Sort> sorts;
    size_t k = 0;
    while (k < children.size()) {
        if (!isWord(children, k, "THEN") && !isWord(children, k, "ELSE")) {
            ++k;
            continue;
        }
        size_t end = ++k;
        while (end < children.size() && !isWord(children, end, "WHEN") && !isWord(children, end, "THEN") &&
               !isWord(children, end, "ELSE"))
            ++end;
        sorts.push_back(expressionSort(Nodes(children.begin() + qsizetype(k), children.begin() + qsizetype(end))));
        k = end;
    }
    return combine(sorts);
}

void Translator::rewriteConcatenation(const Nodes &level)
{
    size_t k = 0;
    while (k < level.size()) {
        const size_t start = k;
        const Chain chain = parseChain(level, k);
        if (k == start) {
            ++k;
            continue;
        }
        bool plus = false;
        for (size_t op : chain.operators)
            plus = plus || isOp(level[op], "+");
        if (!plus)
            continue;

        const Node &from = level[chain.operands.empty() ? start : chain.operands.front().first];
        const Node &to = level[k > start ? k - 1 : start];
        const QString expression = original(from, to);
        const auto cannotTell = [&] {
            refuse(QStringLiteral("The embedded archive cannot tell whether + joins texts or adds numbers in %1")
                       .arg(expression));
        };
        if (chain.broken)
            cannotTell();

        std::vector<Sort> sorts;
        for (const Range &operand : chain.operands)
            sorts.push_back(operandSort(level, operand));
        bool anyText = false;
        bool anyNumber = false;
        bool allNumbers = true;
        for (Sort s : sorts) {
            anyText = anyText || s == Sort::Text;
            anyNumber = anyNumber || s == Sort::Number;
            allNumbers = allNumbers && s == Sort::Number;
        }
        if (!anyText) {
            if (!allNumbers)
                cannotTell();
            continue;
        }
        for (size_t op : chain.operators) {
            // SQLite's || binds tighter than * / % and -, T-SQL's + does not.
            if (!isOp(level[op], "+"))
                refuse(QStringLiteral("In %1 texts joined by + meet the operator %2, which the embedded archive "
                                      "would apply in another order")
                           .arg(expression, token(level[op]).text));
        }
        // T-SQL would add a number to a text (converting the text), never join them.
        if (anyNumber)
            cannotTell();
        for (size_t op : chain.operators)
            m_out[size_t(level[op].open)] = QStringLiteral("||");

        // Texts joined without a large value type among them are cut at 8000
        // bytes (4000 characters when one is nvarchar), from the left, until
        // the first large one joins. Nothing is cut where an operand's type
        // cannot be told.
        std::vector<TextWidth> widths;
        bool national = false;
        bool known = true;
        for (const Range &operand : chain.operands) {
            widths.push_back(textWidth(level, operand));
            known = known && widths.back().kind != TextWidth::Unknown;
            national = national || widths.back().national;
        }
        size_t bounded = 0;
        while (bounded < widths.size() && widths[bounded].kind == TextWidth::Bounded)
            ++bounded;
        if (!known || bounded < 2)
            continue;
        m_out[size_t(level[chain.operands.front().first].open)].prepend(QStringLiteral("kz_text("));
        m_after[size_t(level[chain.operands[bounded - 1].second].last())].append(
            national ? QStringLiteral(", 'NVARCHAR', 4000)") : QStringLiteral(", 'VARCHAR', 8000)"));
    }
}

TextWidth Translator::textWidth(const Nodes &level, Range operand) const
{
    const Node &n = level[operand.first];
    if (operand.first == operand.second && n.type == Node::Type::Leaf &&
        (token(n).kind == Token::Kind::String || token(n).kind == Token::Kind::UnicodeString)) {
        const QString value = readValue(token(n));
        const bool national = token(n).kind == Token::Kind::UnicodeString;
        const qsizetype length = national ? value.size() : platform::encodeReplacing(value, platform::toCp949).size();
        return {length > (national ? 4000 : 8000) ? TextWidth::Max : TextWidth::Bounded, national};
    }
    const std::optional<CharType> text = charType(
        valueType(Nodes(level.begin() + qsizetype(operand.first), level.begin() + qsizetype(operand.second) + 1)));
    if (!text)
        return {};
    return {text->length == u"MAX" ? TextWidth::Max : TextWidth::Bounded, text->name.startsWith(u'N')};
}

} // namespace

Statement translate(const QString &tsql, const ColumnTypes &columnType)
{
    return Translator(tsql, columnType).run();
}

} // namespace db::tsql

#pragma once

#include <QString>

#include <vector>

// Splits a T-SQL statement into tokens that keep their original text, so that
// joining the texts gives the statement back byte for byte.
namespace db::tsql {

struct Token
{
    enum class Kind {
        Identifier,        // Name, Seq_Tgroup, #temp
        BracketIdentifier, // [MACRO_NAME], "]]" inside stands for "]"
        QuotedIdentifier,  // "MACRO_NAME", """" inside stands for """
        String,            // 'text', "''" inside stands for "'"
        UnicodeString,     // N'text'
        Number,            // 12, 1.5, 2E3, 0x1F
        Variable,          // @name, @@ROWCOUNT
        Operator,          // punctuation and operators, "<>" and the like as one token
        Whitespace,
        LineComment,  // -- up to, not including, the line end
        BlockComment, // /* ... */, nested as the server nests them
    };

    Kind kind = Kind::Operator;
    QString text;
};

// Throws platform::Error naming the statement for an unterminated string,
// quoted name or comment.
std::vector<Token> tokenize(const QString &statement);

// Whitespace and comments are not.
bool isSignificant(const Token &token);

// The name a plain, [bracketed] or "quoted" identifier stands for.
QString identifierName(const Token &token);

// The text a 'string' or N'string' literal stands for.
QString stringValue(const Token &token);

} // namespace db::tsql

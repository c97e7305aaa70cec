// Any DB.ini and any connection string: the lines are read without their line
// ends, and the ODBC connection string names exactly the server, database and
// login the ADO string holds, whatever characters they contain.
#include "fuzz_support.h"

#include "db/connection.h"
#include "platform/error.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>

namespace {

// The ODBC reading of key=value pairs: a value in braces runs to the brace
// that closes it, "}}" inside standing for "}".
QMap<QString, QString> odbcPairs(const QString &s, bool &wellFormed)
{
    QMap<QString, QString> pairs;
    wellFormed = true;
    qsizetype i = 0;
    while (i < s.size()) {
        const qsizetype eq = s.indexOf(QLatin1Char('='), i);
        if (eq < 0) {
            wellFormed = false;
            break;
        }
        const QString key = s.mid(i, eq - i).toUpper();
        QString value;
        qsizetype j = eq + 1;
        if (j < s.size() && s.at(j) == QLatin1Char('{')) {
            for (++j;; ++j) {
                if (j >= s.size()) {
                    wellFormed = false;
                    return pairs;
                }
                if (s.at(j) == QLatin1Char('}')) {
                    if (j + 1 < s.size() && s.at(j + 1) == QLatin1Char('}')) {
                        value += QLatin1Char('}');
                        ++j;
                        continue;
                    }
                    ++j;
                    break;
                }
                value += s.at(j);
            }
            if (j < s.size() && s.at(j) != QLatin1Char(';'))
                wellFormed = false;
            i = j + 1;
        } else {
            const qsizetype semi = s.indexOf(QLatin1Char(';'), j);
            value = s.mid(j, (semi < 0 ? s.size() : semi) - j);
            i = semi < 0 ? s.size() : semi + 1;
        }
        if (pairs.contains(key))
            wellFormed = false;
        pairs.insert(key, value);
    }
    return pairs;
}

void checkOdbc(const QString &ado)
{
    const QString odbc = db::odbcConnectionString(ado, QStringLiteral("FreeTDS"));
    bool wellFormed = false;
    const QMap<QString, QString> pairs = odbcPairs(odbc, wellFormed);
    fuzzsupport::check(wellFormed, "an ODBC connection string that does not parse", odbc);
    const struct
    {
        const char *odbc;
        const char *ado;
    } keys[] = {{"SERVER", "Server"}, {"DATABASE", "Database"}, {"UID", "User Id"}, {"PWD", "Password"}};
    for (const auto &k : keys)
        fuzzsupport::check(pairs.value(QLatin1String(k.odbc)) == db::connectionValue(ado, QLatin1String(k.ado)),
                           "the ODBC string names another login", ado + QStringLiteral("\n") + odbc);
    fuzzsupport::check(pairs.size() == 6, "the ODBC string has other keys", odbc);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    FuzzedDataProvider in(data, size);
    const bool asIni = in.ConsumeBool();
    const QByteArray raw = fuzzsupport::rest(in);

    if (!asIni) {
        const QString connection = platform::fromAnsi(raw);
        db::parseConnectionString(connection);
        checkOdbc(connection);
        return 0;
    }
    QFile ini(QDir(dir.path()).filePath(QStringLiteral("DB.ini")));
    if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate) || ini.write(raw) != raw.size())
        fuzzsupport::fail("DB.ini cannot be written");
    ini.close();
    QString line[5];
    for (int n = 0; n < 5; ++n) {
        line[n] = db::readDbIniLine(dir.path(), n);
        fuzzsupport::check(!line[n].contains(QLatin1Char('\r')), "a DB.ini line with its line end", line[n]);
    }
    fuzzsupport::check(line[0].isEmpty() && line[4].isEmpty(), "DB.ini has no such line");
    checkOdbc(db::adoConnectionString(line[1], line[2], line[3]));
    return 0;
}

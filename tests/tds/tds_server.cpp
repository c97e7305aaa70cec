// A small TDS 7.3/7.4 server for the tests and the demo: it speaks to FreeTDS
// on loopback without encryption and answers SQL batches from the embedded
// archive through the same translator the tool uses.
//
//   kz_tds_server --app-dir DIR --db-ini FILE --today YYYY-MM-DD
//                 [--port N] [--faults FILE] [--life SECONDS] [--while-exists FILE] [--log FILE]
//
// FILE (--db-ini) is read at every login: line 1 "embedded:ARCHIVE" (relative
// to DIR), line 2 the password, line 3 the login (empty: sa). The port it
// listens on is printed as "listening N". It ends when its standard input
// closes (the test that started it is gone) or after --life seconds. A starter
// that cannot hand it a pipe (a Windows program under Wine starting it as a
// Linux program gets no pipe through) names a file instead (--while-exists):
// the server ends once that file is gone, printing "stopped". Such a starter
// cannot redirect its standard error either: --log FILE sends it there.
//
// The faults file, read before each request, holds lines
//   error-after-rows N [TEXT]   a result stops after N rows with error 50000 class 16
//   drop-after-rows N [TEXT]    the connection closes after N rows of a result
//   drop-at-batch [TEXT]        the connection closes when such a batch arrives
//   silent-login                a login is read and never answered
//   no-database                 a login is refused: the archive cannot be opened (error 4060)
//   delay-ms N                  every answer waits N ms (an attention cuts it short)
// where TEXT, when given, limits the fault to batches containing it.

#include "db/embedded/embedded_archive.h"
#include "db/embedded/tsql_lexer.h"
#include "db/embedded/tsql_translator.h"
#include "platform/codepage.h"
#include "platform/error.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <thread>

namespace {

constexpr int kIdleMs = 120000; // a client silent this long is dropped
constexpr quint8 kTabular = 0x04, kBatch = 0x01, kLogin7 = 0x10, kPrelogin = 0x12, kAttention = 0x06,
                 kTransaction = 0x0E;
constexpr quint16 kDoneMore = 0x01, kDoneError = 0x02, kDoneInTran = 0x04, kDoneCount = 0x10, kDoneAttn = 0x20;
// Korean_Wansung_CI_AS: LCID 0x0412, case, kana and width ignored; code page 949.
const QByteArray kCollation = QByteArray::fromHex("1204d00000");

struct Options
{
    QString appDir;
    QString dbIni;
    QString faults;
    QDate today;
    int port = 0;
    int life = 900;
    QString whileExists;
    QString log;
};
Options g_options;

struct Faults
{
    int errorAfterRows = -1;
    int dropAfterRows = -1;
    bool dropAtBatch = false;
    bool silentLogin = false;
    bool noDatabase = false;
    int delayMs = 0;
};

Faults readFaults(const QString &batch)
{
    Faults faults;
    if (g_options.faults.isEmpty())
        return faults;
    QFile file(g_options.faults);
    if (!file.open(QIODevice::ReadOnly))
        return faults;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        const QString name = line.section(QLatin1Char(' '), 0, 0).trimmed();
        const bool counted = name == QLatin1String("error-after-rows") || name == QLatin1String("drop-after-rows") ||
                             name == QLatin1String("delay-ms");
        const QString number = counted ? line.section(QLatin1Char(' '), 1, 1).trimmed() : QString();
        const QString text = line.section(QLatin1Char(' '), counted ? 2 : 1).trimmed();
        if (!text.isEmpty() && !batch.contains(text, Qt::CaseInsensitive))
            continue;
        if (name == QLatin1String("error-after-rows"))
            faults.errorAfterRows = number.toInt();
        else if (name == QLatin1String("drop-after-rows"))
            faults.dropAfterRows = number.toInt();
        else if (name == QLatin1String("drop-at-batch"))
            faults.dropAtBatch = true;
        else if (name == QLatin1String("silent-login"))
            faults.silentLogin = true;
        else if (name == QLatin1String("no-database"))
            faults.noDatabase = true;
        else if (name == QLatin1String("delay-ms"))
            faults.delayMs = number.toInt();
    }
    return faults;
}

// Little-endian writers for token streams.
struct Out
{
    QByteArray bytes;
    void u8(quint8 v) { bytes.append(char(v)); }
    void u16(quint16 v)
    {
        u8(v & 0xff);
        u8(v >> 8);
    }
    void u32(quint32 v)
    {
        u16(v & 0xffff);
        u16(v >> 16);
    }
    void u64(quint64 v)
    {
        u32(quint32(v & 0xffffffffu));
        u32(quint32(v >> 32));
    }
    void ucs2(const QString &s)
    {
        for (const QChar c : s)
            u16(c.unicode());
    }
    void bVarchar(const QString &s) // up to 255 characters: a longer text is cut there
    {
        const QString text = s.left(255);
        u8(quint8(text.size()));
        ucs2(text);
    }
    void usVarchar(const QString &s)
    {
        u16(quint16(s.size()));
        ucs2(s);
    }
};

quint8 byteAt(const QByteArray &b, int at)
{
    return at >= 0 && at < b.size() ? quint8(b[at]) : 0;
}
quint16 le16(const QByteArray &b, int at)
{
    if (at + 2 > b.size())
        return 0;
    return quint16(quint8(b[at]) | (quint8(b[at + 1]) << 8));
}
quint32 le32(const QByteArray &b, int at)
{
    return quint32(le16(b, at)) | (quint32(le16(b, at + 2)) << 16);
}
QString ucs2At(const QByteArray &b, int at, int chars)
{
    QString s;
    for (int i = 0; i < chars && at + 2 * i + 1 < b.size(); ++i)
        s.append(QChar(le16(b, at + 2 * i)));
    return s;
}

void envChange(Out &out, quint8 type, const QString &value, const QString &old)
{
    Out body;
    body.u8(type);
    body.bVarchar(value);
    body.bVarchar(old);
    out.u8(0xE3);
    out.u16(quint16(body.bytes.size()));
    out.bytes += body.bytes;
}

void envChangeBytes(Out &out, quint8 type, const QByteArray &value, const QByteArray &old)
{
    out.u8(0xE3);
    out.u16(quint16(3 + value.size() + old.size()));
    out.u8(type);
    out.u8(quint8(value.size()));
    out.bytes += value;
    out.u8(quint8(old.size()));
    out.bytes += old;
}

void message(Out &out, bool error, quint32 number, quint8 state, quint8 cls, const QString &text)
{
    Out body;
    body.u32(number);
    body.u8(state);
    body.u8(cls);
    body.usVarchar(text.left(4000));
    body.bVarchar(QStringLiteral("KZTDS"));
    body.bVarchar(QString());
    body.u32(1);
    out.u8(error ? 0xAA : 0xAB);
    out.u16(quint16(body.bytes.size()));
    out.bytes += body.bytes;
}

// An error of the archive as the server sends it: its number ("Msg 8152: …"
// in the archive's text; 50000 when it names none) apart from the text.
void archiveError(Out &out, const QString &text)
{
    static const QRegularExpression numbered(QStringLiteral("^Msg (\\d+): "));
    const QRegularExpressionMatch m = numbered.match(text);
    if (!m.hasMatch()) {
        message(out, true, 50000, 1, 16, text);
        return;
    }
    const quint32 number = m.captured(1).toUInt();
    message(out, true, number, 1, number == 1033 ? 15 : 16, text.mid(m.capturedLength()));
}

// A result column's name as SQL Server gives it: a name, up to 128
// characters; an expression without an alias has none.
QString columnName(const QString &archiveName)
{
    static const QRegularExpression plain(QStringLiteral("^[\\p{L}_#@][\\p{L}\\p{N}_#@$]{0,127}$"));
    return plain.match(archiveName).hasMatch() ? archiveName : QString();
}

void done(Out &out, quint16 status, quint16 command, quint64 rows)
{
    out.u8(0xFD);
    out.u16(status);
    out.u16(command);
    out.u64(rows);
}

// What SQL Server stores of a text in a varchar column of code page 949: each
// character the code page cannot hold becomes '?'.
QByteArray cp949(const QString &text)
{
    return platform::encodeReplacing(text, &platform::toCp949);
}

class Connection
{
public:
    explicit Connection(int fd) : m_fd(fd) {}
    ~Connection() { ::close(m_fd); }

    void serve()
    {
        try {
            while (true) {
                quint8 type = 0;
                QByteArray payload;
                if (!readMessage(type, payload, kIdleMs))
                    return;
                if (!handle(type, payload))
                    return;
            }
        } catch (const std::exception &e) {
            std::fprintf(stderr, "kz_tds_server: %s\n", e.what());
        }
    }

private:
    bool waitReadable(int ms)
    {
        pollfd p{m_fd, POLLIN, 0};
        return ::poll(&p, 1, ms) > 0;
    }

    bool readExact(char *into, int size, int ms)
    {
        int got = 0;
        while (got < size) {
            if (!waitReadable(ms))
                return false;
            const ssize_t n = ::recv(m_fd, into + got, size_t(size - got), 0);
            if (n <= 0)
                return false;
            got += int(n);
        }
        return true;
    }

    // One message: packets joined up to the one marked last.
    bool readMessage(quint8 &type, QByteArray &payload, int ms)
    {
        payload.clear();
        while (true) {
            char header[8];
            if (!readExact(header, 8, ms))
                return false;
            type = quint8(header[0]);
            const int length = (quint8(header[2]) << 8) | quint8(header[3]);
            if (length < 8 || length > 32768)
                return false;
            QByteArray part(length - 8, Qt::Uninitialized);
            if (!readExact(part.data(), part.size(), 10000))
                return false;
            payload += part;
            if (payload.size() > 64 * 1024 * 1024)
                return false;
            if (header[1] & 0x01)
                return true;
        }
    }

    bool send(const QByteArray &data)
    {
        qsizetype sent = 0;
        while (sent < data.size()) {
            const ssize_t n = ::send(m_fd, data.constData() + sent, size_t(data.size() - sent), MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            sent += n;
        }
        return true;
    }

    // The tokens in packets; the last marked so unless the answer is cut short.
    bool reply(const QByteArray &tokens, bool complete = true)
    {
        const int room = m_packetSize - 8;
        qsizetype at = 0;
        QByteArray wire;
        do {
            const qsizetype chunk = std::min<qsizetype>(room, tokens.size() - at);
            const bool last = complete && at + chunk >= tokens.size();
            const int length = int(chunk) + 8;
            wire.append(char(kTabular));
            wire.append(char(last ? 0x01 : 0x00));
            wire.append(char(length >> 8));
            wire.append(char(length & 0xff));
            wire.append(char(0));
            wire.append(char(53)); // the session id
            wire.append(char(++m_packetId));
            wire.append(char(0));
            wire.append(tokens.constData() + at, chunk);
            at += chunk;
        } while (at < tokens.size());
        return send(wire);
    }

    // Waits the injected delay; an attention that comes meanwhile is answered.
    bool delay(int ms)
    {
        if (ms <= 0)
            return true;
        if (waitReadable(ms)) {
            quint8 type = 0;
            QByteArray payload;
            if (!readMessage(type, payload, 1000) || type != kAttention)
                return false;
            Out out;
            done(out, kDoneAttn, 0, 0);
            reply(out.bytes);
            return false;
        }
        return true;
    }

    bool handle(quint8 type, const QByteArray &payload)
    {
        switch (type) {
        case kPrelogin:
            return prelogin();
        case kLogin7:
            return login(payload);
        case kBatch:
            return batch(payload);
        case kTransaction:
            return transaction(payload);
        case kAttention: {
            // An attention after the answer was complete: acknowledged alone.
            Out out;
            done(out, kDoneAttn, 0, 0);
            return reply(out.bytes);
        }
        default: {
            Out out;
            message(out, true, 50000, 1, 16, QStringLiteral("Request type %1 is not served here.").arg(int(type)));
            done(out, kDoneError, 0, 0);
            return reply(out.bytes);
        }
        }
    }

    bool prelogin()
    {
        // VERSION, ENCRYPTION (not supported), INSTOPT, THREADID, MARS.
        const QByteArray data = QByteArray::fromHex("0b000834"
                                                    "0000") +
                                QByteArray::fromHex("02") + QByteArray::fromHex("00") +
                                QByteArray::fromHex("00000000") + QByteArray::fromHex("00");
        const int options = 5, headerSize = options * 5 + 1;
        const int sizes[options] = {6, 1, 1, 4, 1};
        Out out;
        int offset = headerSize;
        for (int i = 0; i < options; ++i) {
            out.u8(quint8(i));
            out.u8(quint8(offset >> 8));
            out.u8(quint8(offset & 0xff));
            out.u8(0);
            out.u8(quint8(sizes[i]));
            offset += sizes[i];
        }
        out.u8(0xFF);
        out.bytes += data;
        return reply(out.bytes);
    }

    static QString decodePassword(const QByteArray &b, int at, int chars)
    {
        QByteArray raw = b.mid(at, chars * 2);
        for (char &c : raw) {
            quint8 v = quint8(c) ^ 0xA5;
            c = char(((v << 4) & 0xF0) | ((v >> 4) & 0x0F));
        }
        return ucs2At(raw, 0, chars);
    }

    bool login(const QByteArray &p)
    {
        if (p.size() < 94)
            return false;
        const quint32 version = le32(p, 4);
        const quint32 packetSize = le32(p, 8);
        const QString user = ucs2At(p, le16(p, 40), le16(p, 42));
        const QString password = decodePassword(p, le16(p, 44), le16(p, 46));
        const QString database = ucs2At(p, le16(p, 68), le16(p, 70));
        if (readFaults(QString()).silentLogin) {
            // Taken on TCP, never answered: the client's login time-out must end it.
            waitReadable(kIdleMs);
            return false;
        }

        QStringList ini;
        QFile file(g_options.dbIni);
        if (file.open(QIODevice::ReadOnly))
            ini = QString::fromUtf8(file.readAll()).split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
        while (ini.size() < 3)
            ini.append(QString());
        const QString expectedUser = ini.at(2).isEmpty() ? QStringLiteral("sa") : ini.at(2);
        Out out;
        if (user.compare(expectedUser, Qt::CaseInsensitive) != 0 || password != ini.at(1)) {
            message(out, true, 18456, 1, 14, QStringLiteral("Login failed for user '%1'.").arg(user));
            done(out, kDoneError, 0, 0);
            reply(out.bytes);
            return false;
        }
        if (readFaults(QString()).noDatabase ||
            (!database.isEmpty() && database.compare(QStringLiteral("QoRVA_Clinic"), Qt::CaseInsensitive) != 0)) {
            message(
                out, true, 4060, 1, 11,
                QStringLiteral("Cannot open database \"%1\" requested by the login. The login failed.").arg(database));
            done(out, kDoneError, 0, 0);
            reply(out.bytes);
            return false;
        }
        const QString archiveLine = ini.at(0);
        if (!archiveLine.startsWith(QLatin1String("embedded:")))
            return false;
        try {
            m_archive = std::make_unique<db::EmbeddedArchive>(
                QDir(g_options.appDir).absoluteFilePath(archiveLine.mid(9)), g_options.appDir, g_options.today);
        } catch (const platform::Error &e) {
            message(out, true, 4060, 1, 11, e.text());
            done(out, kDoneError, 0, 0);
            reply(out.bytes);
            return false;
        }
        m_packetSize = int(std::clamp<quint32>(packetSize, 512, 32767));
        m_version = std::min<quint32>(version, 0x74000004u) >= 0x73000000u ? std::min<quint32>(version, 0x74000004u)
                                                                           : 0x74000004u;
        envChange(out, 1, QStringLiteral("QoRVA_Clinic"), QStringLiteral("master"));
        message(out, false, 5701, 2, 0, QStringLiteral("Changed database context to 'QoRVA_Clinic'."));
        envChangeBytes(out, 7, kCollation, QByteArray());
        envChange(out, 2, QStringLiteral("us_english"), QString());
        message(out, false, 5703, 1, 0, QStringLiteral("Changed language setting to us_english."));
        {
            Out ack;
            ack.u8(1);
            ack.u8(quint8(m_version >> 24));
            ack.u8(quint8(m_version >> 16));
            ack.u8(quint8(m_version >> 8));
            ack.u8(quint8(m_version));
            ack.bVarchar(QStringLiteral("Microsoft SQL Server"));
            ack.u8(11);
            ack.u8(0);
            ack.u8(0x08);
            ack.u8(0x34);
            out.u8(0xAD);
            out.u16(quint16(ack.bytes.size()));
            out.bytes += ack.bytes;
        }
        envChange(out, 4, QString::number(m_packetSize), QString::number(m_packetSize));
        done(out, 0, 0, 0);
        return reply(out.bytes);
    }

    // The statements of a batch, split at semicolons outside literals and comments.
    static QStringList statements(const QString &batch)
    {
        QStringList parts;
        QString current;
        for (const auto &token : db::tsql::tokenize(batch)) {
            if (token.kind == db::tsql::Token::Kind::Operator && token.text == QLatin1String(";")) {
                parts.append(current);
                current.clear();
            } else {
                current += token.text;
            }
        }
        parts.append(current);
        parts.erase(std::remove_if(parts.begin(), parts.end(), [](const QString &s) { return s.trimmed().isEmpty(); }),
                    parts.end());
        return parts;
    }

    // The text as the server reads it: a literal not marked N is converted to
    // the database's code page, so a character it cannot hold arrives as '?'.
    static QString asServerReads(const QString &statement)
    {
        QString text;
        for (const auto &token : db::tsql::tokenize(statement)) {
            if (token.kind == db::tsql::Token::Kind::String)
                text += platform::fromCp949(cp949(token.text));
            else
                text += token.text;
        }
        return text;
    }

    // Session settings a driver sends after its login: accepted, nothing to do.
    static bool isSessionSetting(const QString &statement)
    {
        static const QRegularExpression set(QStringLiteral("^\\s*set\\s+\\w+"),
                                            QRegularExpression::CaseInsensitiveOption);
        return set.match(statement).hasMatch();
    }

    quint16 inTran() const { return m_transaction ? kDoneInTran : 0; }

    bool batch(const QByteArray &p)
    {
        if (!m_archive)
            return false;
        const int headers = int(le32(p, 0));
        const QByteArray body = p.mid(headers < 4 || headers > p.size() ? 0 : headers);
        const QString text = ucs2At(body, 0, int(body.size() / 2));
        const Faults faults = readFaults(text);
        if (faults.dropAtBatch)
            return false;
        if (!delay(faults.delayMs))
            return true;

        Out out;
        QStringList parts;
        try {
            parts = statements(text);
        } catch (const platform::Error &e) {
            parts = QStringList{text};
        }
        if (parts.isEmpty())
            parts.append(text);
        for (qsizetype i = 0; i < parts.size(); ++i) {
            const quint16 more = i + 1 < parts.size() ? kDoneMore : 0;
            const QString &statement = parts.at(i);
            if (isSessionSetting(statement)) {
                done(out, more | inTran(), 0, 0);
                continue;
            }
            db::Recordset result;
            QString read = statement;
            try {
                read = asServerReads(statement);
                result = m_archive->execute(read);
            } catch (const platform::Error &e) {
                // SQL Server's message never holds the statement.
                QString reason = e.text();
                if (reason.endsWith(QStringLiteral("\n") + read))
                    reason.chop(read.size() + 1);
                else if (reason.endsWith(QStringLiteral("\n") + statement))
                    reason.chop(statement.size() + 1);
                archiveError(out, reason);
                done(out, quint16(more | kDoneError | inTran()), 0xC1, 0);
                continue;
            }
            if (result.fieldCount() == 0) {
                done(out, quint16(more | inTran()), 0xC3, 0);
                continue;
            }
            if (!rows(out, result, faults, more, returnsUnicode(read)))
                return false;
        }
        return reply(out.bytes);
    }

    enum class Column { Int, BigInt, Float, Varchar, VarcharMax, NVarchar, NVarcharMax };

    // SP_HELPTEXT's Text is nvarchar(255) on the server.
    static bool returnsUnicode(const QString &statement)
    {
        try {
            return db::tsql::translate(statement).kind == db::tsql::Statement::Kind::HelpText;
        } catch (const platform::Error &) {
            return false;
        }
    }

    static Column columnType(const db::Recordset &result, int column)
    {
        Column type = Column::Int;
        bool any = false;
        for (const QVariantList &row : result.rows()) {
            const QVariant &v = row.at(column);
            if (!v.isValid() || v.isNull())
                continue;
            any = true;
            switch (v.typeId()) {
            case QMetaType::Int:
            case QMetaType::LongLong:
            case QMetaType::UInt:
            case QMetaType::ULongLong:
                if (type == Column::Int && (v.toLongLong() > 2147483647LL || v.toLongLong() < -2147483648LL))
                    type = Column::BigInt;
                break;
            case QMetaType::Double:
                if (type != Column::Varchar)
                    type = Column::Float;
                break;
            default:
                return Column::Varchar;
            }
        }
        return any ? type : Column::Varchar;
    }

    // A text's bytes as its column carries it: code page 949 for varchar, UTF-16 for nvarchar.
    static QByteArray textBytes(Column type, const QString &text)
    {
        if (type == Column::Varchar || type == Column::VarcharMax)
            return cp949(text);
        Out out;
        out.ucs2(text);
        return out.bytes;
    }

    bool rows(Out &out, const db::Recordset &result, const Faults &faults, quint16 more, bool unicodeText)
    {
        const int columns = result.fieldCount();
        std::vector<Column> types;
        out.u8(0x81);
        out.u16(quint16(columns));
        for (int c = 0; c < columns; ++c) {
            Column type = columnType(result, c);
            if (type == Column::Varchar) {
                // The archive keeps varchar data in code page 949 already: a text the code page cannot hold
                // came from an nvarchar, and goes as one. Over 8000 bytes a text goes as the (max) type, its
                // value in chunks.
                bool unicode = unicodeText;
                qsizetype bytes = 0, characters = 0;
                for (const QVariantList &row : result.rows()) {
                    const QString text = row.at(c).toString();
                    const QByteArray narrow = cp949(text);
                    unicode = unicode || platform::fromCp949(narrow) != text;
                    bytes = std::max(bytes, narrow.size());
                    characters = std::max(characters, text.size());
                }
                type = unicode ? (characters > 4000 ? Column::NVarcharMax : Column::NVarchar)
                               : (bytes > 8000 ? Column::VarcharMax : Column::Varchar);
            }
            types.push_back(type);
            out.u32(0);
            out.u16(0x0001); // nullable
            switch (type) {
            case Column::Int:
            case Column::BigInt:
                out.u8(0x26);
                out.u8(type == Column::Int ? 4 : 8);
                break;
            case Column::Float:
                out.u8(0x6D);
                out.u8(8);
                break;
            case Column::Varchar:
            case Column::VarcharMax:
            case Column::NVarchar:
            case Column::NVarcharMax:
                out.u8(type == Column::Varchar || type == Column::VarcharMax ? 0xA7 : 0xE7);
                out.u16(type == Column::Varchar || type == Column::NVarchar ? 8000 : 0xFFFF);
                out.bytes += kCollation;
                break;
            }
            out.bVarchar(columnName(result.columnNames().at(c)));
        }
        quint64 sent = 0;
        // A fault after N rows, N up to the row count: after the last row too.
        enum class Fault { None, Error, Drop };
        const auto fault = [&]() {
            if (faults.errorAfterRows >= 0 && sent == quint64(faults.errorAfterRows)) {
                message(out, true, 50000, 1, 16, QStringLiteral("Injected failure after %1 rows.").arg(sent));
                done(out, quint16(more | kDoneError | inTran()), 0xC1, 0);
                return Fault::Error;
            }
            if (faults.dropAfterRows >= 0 && sent == quint64(faults.dropAfterRows)) {
                reply(out.bytes, false); // the rows so far reach the client, the end never does
                return Fault::Drop;
            }
            return Fault::None;
        };
        for (const QVariantList &row : result.rows()) {
            if (const Fault f = fault(); f != Fault::None)
                return f == Fault::Error;
            out.u8(0xD1);
            for (int c = 0; c < columns; ++c) {
                const QVariant &v = row.at(c);
                const bool null = !v.isValid() || v.isNull();
                switch (types[size_t(c)]) {
                case Column::Int:
                    out.u8(null ? 0 : 4);
                    if (!null)
                        out.u32(quint32(v.toInt()));
                    break;
                case Column::BigInt:
                    out.u8(null ? 0 : 8);
                    if (!null)
                        out.u64(quint64(v.toLongLong()));
                    break;
                case Column::Float: {
                    out.u8(null ? 0 : 8);
                    if (!null) {
                        const double d = v.toDouble();
                        quint64 bits = 0;
                        std::memcpy(&bits, &d, sizeof bits);
                        out.u64(bits);
                    }
                    break;
                }
                case Column::Varchar:
                case Column::NVarchar: {
                    if (null) {
                        out.u16(0xFFFF);
                        break;
                    }
                    const QByteArray bytes = textBytes(types[size_t(c)], v.toString());
                    out.u16(quint16(bytes.size()));
                    out.bytes += bytes;
                    break;
                }
                case Column::VarcharMax:
                case Column::NVarcharMax: {
                    // Its length, the bytes in chunks, and a chunk of none.
                    if (null) {
                        out.u64(~quint64(0));
                        break;
                    }
                    const QByteArray bytes = textBytes(types[size_t(c)], v.toString());
                    out.u64(quint64(bytes.size()));
                    for (qsizetype at = 0; at < bytes.size(); at += 8000) {
                        const QByteArray chunk = bytes.mid(at, 8000);
                        out.u32(quint32(chunk.size()));
                        out.bytes += chunk;
                    }
                    out.u32(0);
                    break;
                }
                }
            }
            ++sent;
        }
        if (const Fault f = fault(); f != Fault::None)
            return f == Fault::Error;
        done(out, quint16(more | kDoneCount | inTran()), 0xC1, sent);
        return true;
    }

    bool transaction(const QByteArray &p)
    {
        const int headers = int(le32(p, 0));
        const int at = headers < 4 || headers > p.size() ? 0 : headers;
        const quint16 request = le16(p, at);
        Out out;
        const QByteArray descriptor = QByteArray::fromHex("0100000000000000");
        try {
            if (request == 5) { // begin
                if (!m_transaction)
                    m_archive->begin();
                m_transaction = true;
                envChangeBytes(out, 8, descriptor, QByteArray());
            } else if (request == 7 || request == 8) { // commit, rollback
                const int nameLength = byteAt(p, at + 2);
                const bool beginAgain = byteAt(p, at + 3 + 2 * nameLength) & 0x01;
                if (m_transaction) {
                    if (request == 7)
                        m_archive->commit();
                    else
                        m_archive->rollback();
                    m_transaction = false;
                    envChangeBytes(out, request == 7 ? 9 : 10, QByteArray(), descriptor);
                } else if (request == 7) {
                    message(out, true, 3902, 1, 16,
                            QStringLiteral("The COMMIT TRANSACTION request has no corresponding BEGIN TRANSACTION."));
                }
                if (beginAgain) {
                    m_archive->begin();
                    m_transaction = true;
                    envChangeBytes(out, 8, descriptor, QByteArray());
                }
            } else {
                message(out, true, 50000, 1, 16,
                        QStringLiteral("Transaction request %1 is not served.").arg(int(request)));
            }
        } catch (const platform::Error &e) {
            archiveError(out, e.text());
            done(out, kDoneError | inTran(), 0, 0);
            return reply(out.bytes);
        }
        done(out, inTran(), 0, 0);
        return reply(out.bytes);
    }

    int m_fd;
    int m_packetSize = 4096;
    quint8 m_packetId = 0;
    quint32 m_version = 0x74000004u;
    bool m_transaction = false;
    std::unique_ptr<db::EmbeddedArchive> m_archive;
};

bool parseOptions(const QStringList &args)
{
    for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
        const QString &key = args.at(i), &value = args.at(i + 1);
        if (key == QLatin1String("--app-dir"))
            g_options.appDir = value;
        else if (key == QLatin1String("--db-ini"))
            g_options.dbIni = value;
        else if (key == QLatin1String("--faults"))
            g_options.faults = value;
        else if (key == QLatin1String("--today"))
            g_options.today = QDate::fromString(value, Qt::ISODate);
        else if (key == QLatin1String("--port"))
            g_options.port = value.toInt();
        else if (key == QLatin1String("--life"))
            g_options.life = value.toInt();
        else if (key == QLatin1String("--while-exists"))
            g_options.whileExists = value;
        else if (key == QLatin1String("--log"))
            g_options.log = value;
        else
            return false;
    }
    return !g_options.appDir.isEmpty() && !g_options.dbIni.isEmpty() && g_options.today.isValid() && g_options.life > 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (!parseOptions(QCoreApplication::arguments()) || QCoreApplication::arguments().size() % 2 == 0) {
        std::fprintf(stderr, "usage: kz_tds_server --app-dir DIR --db-ini FILE --today YYYY-MM-DD [--port N] "
                             "[--faults FILE] [--life SECONDS] [--while-exists FILE] [--log FILE]\n");
        return 2;
    }
    if (!g_options.log.isEmpty()) {
        const int log = ::open(QFile::encodeName(g_options.log).constData(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (log < 0 || ::dup2(log, 2) < 0) {
            std::perror("kz_tds_server: --log");
            return 2;
        }
        ::close(log);
    }
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    const int yes = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(quint16(g_options.port));
    if (::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 || ::listen(listener, 16) != 0) {
        std::perror("kz_tds_server: listen");
        return 2;
    }
    socklen_t length = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length);
    std::printf("listening %d\n", ntohs(address.sin_port));
    std::fflush(stdout);

    // Ends with whoever started it, and in any case after its life.
    const QByteArray whileExists = QFile::encodeName(g_options.whileExists);
    if (whileExists.isEmpty()) {
        std::thread([] {
            char buffer[256];
            while (::read(0, buffer, sizeof buffer) > 0) {
            }
            std::_Exit(0);
        }).detach();
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(g_options.life);
    while (std::chrono::steady_clock::now() < end) {
        if (!whileExists.isEmpty() && ::access(whileExists.constData(), F_OK) != 0 && errno == ENOENT) {
            std::printf("stopped\n");
            std::fflush(stdout);
            break;
        }
        pollfd p{listener, POLLIN, 0};
        if (::poll(&p, 1, whileExists.isEmpty() ? 500 : 20) <= 0)
            continue;
        const int fd = ::accept(listener, nullptr, nullptr);
        if (fd < 0)
            continue;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        std::thread([fd] { Connection(fd).serve(); }).detach();
    }
    std::_Exit(0);
}

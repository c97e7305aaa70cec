#include "support/marked_lines_reference.h"
#include "support/window_checks.h"

#include "app/ask_device_dialog.h"

#include "devicequery/character_sets.h"
#include "devicequery/device_check.h"
#include "devicequery/findings.h"
#include "gatewaylog/literal_search.h"
#include "gatewaylog/log_entry.h"
#include "gatewaylog/log_files.h"
#include "gatewaylog/log_format.h"
#include "gatewaylog/log_level.h"
#include "gatewaylog/log_scanner.h"
#include "gatewaylog/marked_lines.h"
#include "gatewaylog/order_lookup.h"
#include "platform/codepage.h"
#include "platform/error.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <random>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

using namespace Qt::StringLiterals;

namespace fmt = gatewaylog::format;
using namespace checks;
using namespace devicequery;
Q_DECLARE_METATYPE(devicequery::Situation)

namespace {

// Log bytes whose reading fails at a given offset, as a file on a network
// drive that goes away does.
class FailingDevice final : public QIODevice
{
public:
    FailingDevice(QByteArray bytes, qint64 failAt) : m_bytes(std::move(bytes)), m_failAt(failAt) {}
    qint64 size() const override { return m_bytes.size(); }

protected:
    qint64 readData(char *data, qint64 max) override
    {
        if (pos() >= m_failAt) {
            setErrorString(u"lost"_s);
            return -1;
        }
        const qint64 n = qMax<qint64>(0, qMin(max, qMin(m_failAt, qint64(m_bytes.size())) - pos()));
        std::memcpy(data, m_bytes.constData() + pos(), size_t(n));
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_bytes;
    qint64 m_failAt;
};

ViewRow row(const QString &id, const QString &name, const QString &modality, const QString &cs = u"ISO_IR 100"_s,
            const QString &station = u"CT09"_s)
{
    return {id, name, u"20261206"_s, u"0900"_s, modality, station, cs, u"KIM^DOC"_s, u"CHEST"_s, u"CHEST"_s};
}

Item item(const QString &id, const QString &name, const QString &cs = u"ISO_IR 100"_s)
{
    Item i;
    i.characterSet = cs;
    i.values = {{u"PatientName"_s, name}, {u"PatientID"_s, id}};
    if (id.isEmpty())
        i.emptyRequired.append(u"PatientID"_s);
    return i;
}

Situation base()
{
    Situation s;
    s.aeTitle = u"CT09"_s;
    s.host = u"localhost"_s;
    s.port = 11112;
    s.registeredView = u"VMWL_KK_CT09"_s;
    s.view = *s.registeredView;
    s.keys = typicalKeys(u"CT09"_s, u"CT"_s, QDate(2026, 12, 6));
    s.rows = QList<ViewRow>{row(u"P1"_s, u"HONG^GILDONG"_s, u"CT"_s)};
    s.answer.items = {item(u"P1"_s, u"HONG^GILDONG"_s)};
    return s;
}

} // namespace

// The gateway's logs as the tool reads them: the scanner, the inspector and the
// order lookup over small logs written in the gateway's layout; the log tools
// on the demo site's logs, as the operator uses them; the gateway's log level
// in its control file with the two options that set it; and the device query
// made from a logged query: a device's keys, its view's rows and the
// gateway's answer compared.
class TestLogTools : public QObject
{
    Q_OBJECT

    static QDateTime at(int minute) { return QDateTime(QDate(2019, 9, 16), QTime(14, minute, 19)); }

    static QStringList association(const QString &ae, const QString &cs, const QString &view, const QStringList &ids,
                                   int minute = 1)
    {
        QStringList l{fmt::callingLine(at(minute), ae),
                      fmt::line(at(minute), fmt::element(u"(0008,0005)"_s, u"CS"_s, u"["_s + cs + u"]"_s,
                                                         int(cs.size()), 1, u"SpecificCharacterSet"_s)),
                      fmt::viewLine(at(minute), view),
                      fmt::queryLine(at(minute), u"SELECT a, b FROM "_s + view +
                                                     u" WHERE (1 = 1) AND modality = 'MR' AND x = 1"_s)};
        for (const QString &id : ids)
            l << fmt::line(at(minute), fmt::element(u"(0010,0020)"_s, u"LO"_s, u"["_s + fmt::escape(id) + u"]"_s,
                                                    int(id.size()), 1, u"PatientID"_s));
        l << fmt::responseLine(at(minute), int(ids.size()) + 1) << fmt::endLine(at(minute));
        return l;
    }

    static QByteArray file(const QStringList &lines, const char *end = "\r\n")
    {
        QByteArray bytes;
        for (const QString &line : lines)
            bytes += platform::toCp949(line).value() + end;
        return bytes;
    }

    template <class Reader>
    static void run(Reader &reader, const QList<QByteArray> &markers, const QList<QByteArray> &files,
                    bool everyLine = false)
    {
        for (const testsupport::SeenLine &l : testsupport::streamedLines(files, markers, everyLine, 64))
            reader.feed(l.line, l.adjacent, l.found);
    }

    static QStringList scan(const QList<QByteArray> &files)
    {
        gatewaylog::Scanner scanner;
        run(scanner, gatewaylog::Scanner::markers(), files);
        return scanner.entries();
    }

    static QString logDir(AppHarness &app) { return app.site().file(u"drives/c/RUDIVUV/Log"_s); }

    struct Deletion
    {
        QString typed;  // Text12; empty keeps the log folder
        QString folder; // on disk, under the site
        QStringList added, left;
        bool restarted;
    };

    static QByteArray controlText(const QByteArray &levelLines)
    {
        return "[Service]\r\nCustomAETitle=CT01^^VMWL_KK_CT01^^^^||\r\n" + levelLines + "FCR_XG5000=0\r\n";
    }

    static std::unique_ptr<AppHarness> start(const QByteArray &levelLines)
    {
        auto app = std::make_unique<AppHarness>(AppHarness::LoggedIn, [&](TestSite &site) {
            site.writeBytes(TestSite::kControlFile, controlText(levelLines));
        });
        return app;
    }

private Q_SLOTS:
    void layout()
    {
        const QString element =
            fmt::line(at(49), fmt::element(u"(0010,0020)"_s, u"LO"_s, u"[12345678]"_s, 8, 1, u"PatientID"_s));
        QCOMPARE(element.indexOf(QLatin1String("(0010,0020)")), 24); // character 25
        QCOMPARE(element.indexOf(QLatin1Char('[')), 39);             // character 40
        QCOMPARE(element.mid(39, 35).trimmed(), u"[12345678]"_s);
        const QString response = fmt::responseLine(at(49), 3);
        QCOMPARE(response.left(23) + response.mid(52), u"<2019-09-16 14:49:19> : 3 (Success)"_s);
    }

    // A value from outside as a log line holds it, and back; what a gateway
    // that escapes nothing wrote reads as it stands.
    void escapes_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("logged"); // empty: only read, as another gateway wrote it
        const auto row = [](const char *name, const QString &value, const QString &logged) {
            QTest::newRow(name) << value << logged;
        };
        row("markers of the log", u"CT(1): A=B #2"_s, u"CT\\x281\\x29\\x3A A\\x3DB \\x232"_s);
        row("markers of an entry", u"+//+-///-"_s, u"+\\x2F\\x2F+-\\x2F\\x2F\\x2F-"_s);
        row("the inspector's words only", u"FROM WHERE AND X FROG WHEN ANDY"_s,
            u"\\x46ROM \\x57HERE AND\\x20X FROG WHEN ANDY"_s);
        row("line ends, tab, DEL", u"a\r\n\t\x7f"_s, u"a\\x0D\\x0A\\x09\\x7F"_s);
        row("a backslash stands for itself", u"\\ISO 2022 IR 149 \\x41 \\x2 \\"_s,
            u"\\ISO 2022 IR 149 \\x41 \\x2 \\"_s);
        row("a backslash before a sequence", u"\\x28\\\\x5C"_s, u"\\x5Cx28\\\\x5Cx5C"_s);
        row("Hangul as it stands", u"홍^길동 똠"_s, u"홍^길동 똠"_s);
        row("what the code page cannot write", u"Müller 😀"_s, u"M\\u00FCller \\uD83D\\uDE00"_s);
        for (const char *foreign : {"ESCAPE '\\'", "A\\_%", "\\x3a \\xZZ \\x41 \\x", "\\u0041 \\uAC00 \\u00fc"})
            row(foreign, QString::fromUtf8(foreign), QString());
    }

    void escapes()
    {
        QFETCH(QString, value);
        QFETCH(QString, logged);
        if (logged.isEmpty()) {
            QCOMPARE(fmt::unescape(value), value);
            return;
        }
        QCOMPARE(fmt::escape(value), logged);
        QCOMPARE(fmt::unescape(logged), value);
        QVERIFY(platform::toAnsiExact(logged).has_value());
    }

    void scanner_data()
    {
        QTest::addColumn<QList<QByteArray>>("files");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QList<QDate>>("days"); // of the entries' newest end lines, when given
        const auto row = [](const char *name, const QList<QByteArray> &files, const QStringList &entries,
                            const QList<QDate> &days = {}) { QTest::newRow(name) << files << entries << days; };
        const QString mr =
            u"+//+MR01+///+*//*[ISO_IR 100]*///*-//-FROM VMWL_KK_MR01 WHERE (1 = 1) AND modality = 'MR' AND x = 1-///-"_s;
        const QStringList mrLines = association(u"MR01"_s, u"ISO_IR 100"_s, u"VMWL_KK_MR01"_s, {u"P1"_s, u"P2"_s});
        row("duplicates merged", {file(mrLines + QStringList{u"x"_s} + mrLines)}, {mr});
        QStringList other = association(u"MR01"_s, u"ISO_IR 100"_s, u"VMWL_EE_MR01"_s, {u"P1"_s});
        row("two views kept apart", {file(mrLines + QStringList{u"x"_s} + other)},
            {mr, QString(mr).replace(u"VMWL_KK_MR01"_s, u"VMWL_EE_MR01"_s)});
        row("empty entry once", {file({u"a"_s, fmt::endLine(at(1)), u"b"_s, u"c"_s, fmt::endLine(at(2))})}, {u""_s});
        row("line after an end is not taken", {file(QStringList{u"a"_s, fmt::endLine(at(1))} + mrLines)},
            {u""_s, mr.mid(u"+//+MR01+///+"_s.size())});
        row("also across a file boundary", {file({u"a"_s, fmt::endLine(at(1))}), file(mrLines)},
            {u""_s, mr.mid(u"+//+MR01+///+"_s.size())});
        row("association across two files", {file(mrLines.mid(0, 2)), file(mrLines.mid(2))}, {mr});
        QStringList twoCharsets = mrLines;
        twoCharsets.insert(2,
                           fmt::line(at(1), fmt::element(u"(0008,0005)"_s, u"CS"_s, u"[ISO_IR 192]"_s, 10, 1, u"x"_s)));
        row("first character set only", {file(twoCharsets)}, {mr});
        row("lone CR line ends", {file(mrLines, "\r")}, {mr});
        row("query from its first FROM",
            {file({fmt::queryLine(at(1), u"SELECT xFROM FROM V WHERE a  "_s), fmt::endLine(at(1))})},
            {u"-//-FROM FROM V WHERE a  -///-"_s});
        row("a line with both query markers is not taken",
            {file({u"Modality find query = CModalityFindMakeQuery = FROM V"_s, fmt::endLine(at(1))})}, {u""_s});
        row("other query form", {file({u"CModalityFindMakeQuery = FROM V WHERE (1 = 1) AND a"_s, fmt::endLine(at(1))})},
            {u"-//-FROM V WHERE (1 = 1) AND a-///-"_s});
        row("Korean in a line", {file({fmt::callingLine(at(1), u"초음파1"_s), fmt::endLine(at(1))})},
            {u"+//+초음파1+///+"_s});
        row("character set without #",
            {file({u"<2019-09-16 14:49:19> : (0008,0005) CS [ISO_IR 100]"_s, fmt::endLine(at(1))})},
            {u"*//*[ISO_IR 100]*///*"_s});
        row("fragments after the last end are dropped", {file(mrLines.mid(0, 3))}, {});
        row("blanks trimmed, not tabs nor ideographic spaces",
            {file({u"<2019-09-16 14:49:19> : Calling AP Title:  \tCT01\u3000 "_s,
                   u"<2019-09-16 14:49:19> : (0008,0005) CS \t[ISO_IR 100]\u3000 # 10"_s, fmt::endLine(at(1))})},
            {u"+//+\tCT01\u3000+///+*//*\t[ISO_IR 100]\u3000*///*"_s});
        row("values as logged", {file({fmt::callingLine(at(1), u"CT(1)+///+"_s), fmt::endLine(at(1))})},
            {u"+//+CT\\x281\\x29+\\x2F\\x2F\\x2F++///+"_s});
        // A line longer than the bound: its fragment is cut there and says so.
        const qsizetype bound = gatewaylog::MarkedLineReader::kLineBound;
        QStringList longQuery = mrLines;
        const QString conditions = u" AND x = 'ABCDEFGHIJ'"_s.repeated(bound / 10);
        longQuery[3] += conditions;
        const QString head = longQuery[3].left(bound);
        row("a long line is cut", {file(longQuery)},
            {mr.left(mr.indexOf(u"-//-"_s)) + u"-//-"_s + head.mid(head.indexOf(u"FROM"_s)) + u"…-///-"_s});
        // Without CR the whole file is one line, of which the head is read.
        QStringList lfOnly;
        for (int i = 0; lfOnly.join(u'\n').size() <= bound; ++i)
            lfOnly << mrLines;
        const QString oneLine = lfOnly.join(u'\n');
        const QString afterCalling = oneLine.left(bound).mid(oneLine.indexOf(u"Calling AP Title:"_s) + 17);
        row("a file without CR", {file({oneLine}, "")}, {u"+//+"_s + afterCalling.trimmed() + u"…+///+"_s});
        const QString shortFile = mrLines.join(u'\n') + u'\n'; // LF ends no line: the last one is in the value
        row("a short file without CR is read whole", {file(mrLines, "\n")},
            {u"+//+"_s + shortFile.mid(shortFile.indexOf(u"Calling AP Title: "_s) + 18) + u"+///+"_s});
        // A line just within the bound and the same text running past it.
        const QString bounded = fmt::callingLine(at(1), u"L"_s).leftJustified(bound, u'x');
        row("a line as long as the bound, then longer",
            {file({bounded, fmt::endLine(at(1)), u"x"_s, bounded + u"y"_s, fmt::endLine(at(2)), u"x"_s, bounded,
                   fmt::endLine(at(3))})},
            {u"+//+"_s + bounded.mid(42) + u"+///+"_s, u"+//+"_s + bounded.mid(42) + u"…+///+"_s});
        // The bound falls inside a double-byte character: the half is left out, not shown as U+FFFD.
        row("a cut through a Korean character",
            {file({fmt::callingLine(at(1), u"L"_s) + QString(40000, u'가'), fmt::endLine(at(1))})},
            {u"+//+L"_s + QString((bound - 43) / 2, u'가') + u"…+///+"_s});
        const auto ended = [&](const QStringList &lines, const QDate &day) {
            return lines.mid(0, lines.size() - 1) << fmt::endLine(QDateTime(day, QTime(9, 0))) << u"x"_s;
        };
        const QStringList ctLines = association(u"CT01"_s, u"ISO_IR 100"_s, u"VMWL_KK_CT01"_s, {u"P1"_s});
        const QString ct = u"+//+CT01+///+*//*[ISO_IR 100]*///*-//-FROM VMWL_KK_CT01 WHERE (1 = 1) AND modality = "
                           u"'MR' AND x = 1-///-"_s;
        row("the newest day of each entry",
            {file(ended(mrLines, QDate(2026, 12, 5)) + ended(ctLines, QDate(2026, 12, 6)) +
                  ended(mrLines, QDate(2026, 12, 7)) + ended(mrLines, QDate(2026, 12, 7)) +
                  QStringList{u"<2026-12-32> : DcmSCP: Association Terminated"_s}),
             file(QStringList{u"x"_s} + ended(ctLines, QDate(2026, 12, 6)) + ended(ctLines, QDate(2027, 1, 2)) +
                  mrLines.mid(0, 3) + QStringList{u"<2026-1x-08 09:00:00> : DcmSCP: Association Terminated"_s})},
            {mr, ct, u""_s, mr.left(mr.indexOf(u"-//-"_s))}, {QDate(2026, 12, 7), QDate(2027, 1, 2), QDate(), QDate()});
    }

    void scanner()
    {
        QFETCH(QList<QByteArray>, files);
        QFETCH(QStringList, entries);
        QFETCH(QList<QDate>, days);
        gatewaylog::Scanner scanner;
        run(scanner, gatewaylog::Scanner::markers(), files);
        QCOMPARE(scanner.entries(), entries);
        QCOMPARE(scanner.cut(), entries.join(QString()).contains(u"…"_s));
        for (qsizetype i = 0; i < days.size(); ++i)
            QCOMPARE(scanner.lastDay(entries.at(i)), days.at(i));
    }

    void inspector_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("ae");
        QTest::addColumn<QString>("view"); // "<kept>": Text11 keeps its text
        const auto row = [](const char *name, const QString &entry, const QString &text, const QString &ae,
                            const QString &view) { QTest::newRow(name) << entry << text << ae << view; };
        row("complete entry",
            u"+//+MR01+///+*//*[ISO_IR 100]*///*-//-FROM VMWL_KK_MR01 WHERE (1 = 1) AND A = 1 AND B = 2-///-"_s,
            u"장비 Ae Title : MR01\r\n\r\nCharacter_Set : [ISO_IR 100]\r\n\r\nTable 명 : VMWL_KK_MR01\r\n\r\nA = 1 "_s
            u"\r\nB = 2"_s,
            u"MR01"_s, u"VMWL_KK_MR01"_s);
        row("empty entry", u""_s, u"장비 Ae Title : \r\nCharacter_Set : \r\n"_s, u""_s, u"<kept>"_s);
        row("no query", u"+//+CT01+///+*//*[ISO_IR 100]*///*"_s,
            u"장비 Ae Title : CT01\r\n\r\nCharacter_Set : [ISO_IR 100]\r\n"_s, u"CT01"_s, u"<kept>"_s);
        row("entry beginning with its query", u"-//-FROM VMWL_EE_X WHERE (1 = 1) AND A = 1-///-"_s,
            u"장비 Ae Title : \r\nCharacter_Set : \r\n\r\nTable 명 : \r\n\r\nA = 1"_s, u""_s, u""_s);
        row("AND inside a value", u"+//+A+///+-//-FROM V WHERE (1 = 1) AND name = 'SAND AND X'-///-"_s,
            u"장비 Ae Title : A\r\n\r\nCharacter_Set : \r\n\r\nTable 명 : V\r\n\r\nname = 'S\r\n\r\nX'"_s, u"A"_s,
            u"V"_s);
        row("two queries: the first one",
            u"+//+A+///+-//-FROM V1 WHERE (1 = 1) AND a = 1-///--//-FROM V2 WHERE (1 = 1) AND b = 2-///-"_s,
            u"장비 Ae Title : A\r\n\r\nCharacter_Set : \r\n\r\nTable 명 : V1\r\n\r\na = 1"_s, u"A"_s, u"V1"_s);
        row("no WHERE", u"+//+A+///+-//-FROM V1-///-"_s,
            u"장비 Ae Title : A\r\n\r\nCharacter_Set : \r\n\r\nTable 명 : V1\r\n\r\n"_s, u"A"_s, u"V1"_s);
        row("no (1 = 1) AND", u"+//+A+///+-//-FROM V1 WHERE a = 1 AND b = 2-///-"_s,
            u"장비 Ae Title : A\r\n\r\nCharacter_Set : \r\n\r\nTable 명 : V1\r\n\r\na = 1 \r\nb = 2"_s, u"A"_s,
            u"V1"_s);
        row("unclosed AE title", u"+//+MR01*//*[X]*///*"_s, u"장비 Ae Title : \r\n\r\nCharacter_Set : [X]\r\n"_s, u""_s,
            u"<kept>"_s);
        row("unclosed query", u"+//+A+///+-//-FROM V WHERE (1 = 1) AND a = 1"_s,
            u"장비 Ae Title : A\r\n\r\nCharacter_Set : \r\n\r\nTable 명 : V\r\n\r\na = 1"_s, u"A"_s, u"V"_s);
        // What the gateway escaped is shown as the device sent it; the words
        // the entry is cut at are cut only where the gateway wrote them.
        row("escaped values",
            u"+//+\\x46ROM(1)+\\x2F\\x2F\\x2F+x+///+*//*[\\ISO 2022 IR 149\\x0D]*///*-//-FROM VMWL WHERE (1 = 1) AND "
            "patient_name LIKE 'Kim\\x28A\\x29 AND\\x20\\x57HERE%' ESCAPE '\\' AND patient_id = '\\x5Cx28'-///-"_s,
            u"장비 Ae Title : FROM(1)+///+x\r\n\r\nCharacter_Set : [\\ISO 2022 IR 149\r]\r\n\r\nTable 명 : "
            "VMWL\r\n\r\npatient_name LIKE 'Kim(A) AND WHERE%' ESCAPE '\\' \r\npatient_id = '\\x28'"_s,
            u"FROM(1)+///+x"_s, u"VMWL"_s);
        row("view: blanks trimmed, not a tab", u"+//+A+///+-//-FROM \tV  WHERE (1 = 1) AND a = 1-///-"_s,
            u"장비 Ae Title : A\r\n\r\nCharacter_Set : \r\n\r\nTable 명 : \tV\r\n\r\na = 1"_s, u"A"_s, u"\tV"_s);
    }

    void inspector()
    {
        QFETCH(QString, entry);
        QFETCH(QString, text);
        QFETCH(QString, ae);
        QFETCH(QString, view);
        const gatewaylog::Inspection r = gatewaylog::inspect(entry);
        QCOMPARE(r.text, text);
        QCOMPARE(r.aeTitle, ae);
        QCOMPARE(r.view ? *r.view : u"<kept>"_s, view);
    }

    void lookup_data()
    {
        QTest::addColumn<QList<QByteArray>>("files");
        QTest::addColumn<QString>("ae");
        QTest::addColumn<QString>("view");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const QList<QByteArray> &files, const QString &ae, const QString &view,
                            const QString &expected) { QTest::newRow(name) << files << ae << view << expected; };
        const QString block =
            u"    환자 번호 : [P1]\r\n    환자 번호 : [P2]\r\n<2019-09-16 14:01:19> : 3 (Success)\r\n\r\n"_s;
        const QStringList mr = association(u"MR01"_s, u"ISO_IR 100"_s, u"VMWL_KK_MR01"_s, {u"P1"_s, u"P2"_s});
        row("two view lines before the responses", {file(mr)}, u"MR01"_s, u"VMWL_KK_MR01"_s, block);
        QStringList third = mr;
        third.insert(5, u"a third line naming VMWL_KK_MR01"_s);
        row("a third view line stops the listing", {file(third)}, u"MR01"_s, u"VMWL_KK_MR01"_s,
            u"    환자 번호 : [P1]\r\n"_s);
        row("another device", {file(mr)}, u"CT01"_s, u"VMWL_KK_MR01"_s, u""_s);
        row("MR01 finds MR012", {file(association(u"MR012"_s, u"X"_s, u"VMWL_KK_MR01"_s, {u"P1"_s, u"P2"_s}))},
            u"MR01"_s, u"VMWL_KK_MR01"_s, block);
        row("two associations", {file(mr + QStringList{u"x"_s} + mr)}, u"MR01"_s, u"VMWL_KK_MR01"_s, block + block);
        // A lone LF ends no line: the end of the association and the final
        // response are one line, which counts whole.
        QStringList glued = mr.mid(0, mr.size() - 2);
        glued << fmt::endLine(at(1)) + u"\n"_s + fmt::responseLine(at(1), 3);
        // The view named before the title on one line counts: with the view
        // line and the query that is a third naming.
        QStringList viewFirst = mr;
        viewFirst[0] = fmt::viewLine(at(1), u"VMWL_KK_MR01"_s) + u"\n"_s + mr[0];
        row("a view glued before the title",
            {file(association(u"CT01"_s, u"X"_s, u"V"_s, {u"P"_s}) + QStringList{u"x"_s} + viewFirst)}, u"MR01"_s,
            u"VMWL_KK_MR01"_s, u""_s);
        row("an end and a response glued by a LF", {file(glued)}, u"MR01"_s, u"VMWL_KK_MR01"_s,
            u"    환자 번호 : [P1]\r\n    환자 번호 : [P2]\r\n<2019-09-16 14:01:19> :ed\n"
            "<2019-09-16 14:01:19> : Worklist Find SCP Response : 3 (Success)\r\n\r\n"_s);
        row("calling line after an end is not examined", {file(QStringList{fmt::endLine(at(0))} + mr)}, u"MR01"_s,
            u"VMWL_KK_MR01"_s, u""_s);
        row("across files", {file(mr.mid(0, 3)), file(mr.mid(3))}, u"MR01"_s, u"VMWL_KK_MR01"_s, block);
        row("empty AE title: every device", {file(mr)}, u""_s, u"VMWL_KK_MR01"_s, block);
        // With no view every non-empty examined line names it, the calling line
        // included: only the line right after it can be listed.
        const QString p9 = fmt::line(at(1), fmt::element(u"(0010,0020)"_s, u"LO"_s, u"[P9]"_s, 2, 1, u"PatientID"_s));
        row("empty view name", {file({fmt::callingLine(at(1), u"MR01"_s), p9, u""_s, p9, fmt::endLine(at(1))})},
            u"MR01"_s, u""_s, u"    환자 번호 : [P9]\r\n"_s);
        row("nothing found", {file({u"a"_s, u"b"_s})}, u"MR01"_s, u"V"_s, u""_s);
        // The title as the device sends it, in this gateway's log and in one
        // that escapes nothing; the patient IDs as the archive holds them.
        const QStringList escaped =
            association(u"CT(1)"_s, u"X"_s, u"VMWL"_s, {u"P(1)"_s, u"\\x28"_s, u"((((((((((((#:/=)"_s});
        QVERIFY(escaped.first().endsWith(u"CT\\x281\\x29"_s));
        row("escaped title", {file(escaped)}, u"CT(1)"_s, u"VMWL"_s,
            u"    환자 번호 : [P(1)]\r\n    환자 번호 : [\\x28]\r\n    환자 번호 : [((((((((((((#:/=)]\r\n"
            "<2019-09-16 14:01:19> : 4 (Success)\r\n\r\n"_s);
        QStringList plain = association(u"CT"_s, u"X"_s, u"VMWL"_s, {u"P1"_s});
        plain.first() += u"(1)"_s;
        row("title as it stands", {file(plain)}, u"CT(1)"_s, u"VMWL"_s,
            u"    환자 번호 : [P1]\r\n<2019-09-16 14:01:19> : 2 (Success)\r\n\r\n"_s);
        // A title the code page cannot write is looked for only as the gateway escapes it, never as "??".
        const QStringList question = association(u"??"_s, u"X"_s, u"VMWL_??"_s, {u"P1"_s});
        const QStringList smile = association(u"😀"_s, u"X"_s, u"VMWL"_s, {u"P2"_s});
        row("a title beyond the code page", {file(smile + question)}, u"😀"_s, u"VMWL"_s,
            u"    환자 번호 : [P2]\r\n<2019-09-16 14:01:19> : 2 (Success)\r\n\r\n"_s);
        row("a view name beyond the code page", {file(question)}, u"😀"_s, u"VMWL_😀"_s, u""_s);
        // "(Success)" past the bound still counts; the line is listed up to the bound.
        QStringList longResponse = mr;
        const qsizetype bound = gatewaylog::MarkedLineReader::kLineBound;
        longResponse[6] = fmt::line(at(1), fmt::responseText(3, u"x"_s.repeated(bound) + u") (Success"_s));
        row("a long response line is cut", {file(longResponse)}, u"MR01"_s, u"VMWL_KK_MR01"_s,
            u"    환자 번호 : [P1]\r\n    환자 번호 : [P2]\r\n<2019-09-16 14:01:19> : 3 ("_s +
                u"x"_s.repeated(bound - 56) + u"…\r\n\r\n"_s);
    }

    void lookup()
    {
        QFETCH(QList<QByteArray>, files);
        QFETCH(QString, ae);
        QFETCH(QString, view);
        QFETCH(QString, expected);
        // Blocks that begin anywhere in an association, and one block for it all.
        for (qint64 block : {1, 5, 64, 4096}) {
            gatewaylog::OrderLookup lookup(ae, view);
            for (const testsupport::SeenLine &l : testsupport::streamedLines(files, lookup.reader(block)))
                lookup.feed(l.line, l.adjacent, l.found);
            QCOMPARE(lookup.text(), expected);
            QCOMPARE(lookup.cut(), expected.contains(u"…"_s));
        }
    }

    // The streaming reader against the plain reference, in blocks of every size.
    void examples_data()
    {
        QTest::addColumn<QList<QByteArray>>("files");
        QTest::newRow("CR LF") << QList<QByteArray>{"a\r\nEND x\r\nb\r\nMARK\r\n"};
        QTest::newRow("lone CR and LF inside a line") << QList<QByteArray>{"MARK\rEND\n MARK\rc"};
        QTest::newRow("marker on the last line without line end") << QList<QByteArray>{"x\r\ny MARK"};
        QTest::newRow("across files") << QList<QByteArray>{"a\r\nEND\r\n", "MARK first\r\nMARK\r\n"};
        QTest::newRow("not adjacent across files") << QList<QByteArray>{"END\r\nz\r\n", "MARK\r\n"};
        QTest::newRow("empty file between") << QList<QByteArray>{"END\r\n", "", "MARK\r\n"};
        QTest::newRow("unterminated end of file") << QList<QByteArray>{"END", "MARK\r\n"};
        QTest::newRow("file of one line end") << QList<QByteArray>{"END\r\n", "\r\n", "MARK\r\n"};
        QTest::newRow("two markers, one line") << QList<QByteArray>{"MARK END MARK\r\nMARK\r\n"};
        QTest::newRow("empty lines") << QList<QByteArray>{"\r\n\r\nEND\r\n\r\nMARK\r\n\r"};
        QTest::newRow("starts with LF") << QList<QByteArray>{"\nMARK\r\n"};
        QTest::newRow("long lines, markers past the head")
            << QList<QByteArray>{"0123456789 END\r\nshort MARK\r\n0123456789MARK", "\nMA", "RK 0123456789\r\nMARK\r"};
        QTest::newRow("no CR at all") << QList<QByteArray>{"MARK\n0123456789\nEND\n0123456789\n"};
        QByteArray deep;
        for (int i = 0; i < 24; ++i)
            deep += QByteArray(i, 'a') + (i % 3 ? "\r\n" : "\r") + QByteArray(i, 'b') + "MARK" + QByteArray(i, 'c') +
                    "END\r\n";
        QTest::newRow("markers deep in lines, line ends at every alignment") << QList<QByteArray>{deep};
        // Many blocks, read on threads: lines, line ends and markers across
        // every kind of block end, stretches without a CR over several blocks,
        // and a line past the usual bound.
        std::minstd_rand random(29);
        const auto pick = [&](int n) { return int(random() % unsigned(n)); };
        QByteArray many;
        const QByteArray pieces[] = {"MARK", "END", "\r\n", "\r", "\n", "x", "MA", "RK"};
        while (many.size() < 120000) {
            const int length = pick(20) == 0 ? 1500 + pick(3000) : pick(120);
            for (int i = 0; i < length; i += 8)
                many += pick(6) == 0 ? pieces[pick(8)] : QByteArray(pick(8) + 1, char('a' + pick(26)));
            many += pick(4) == 0 ? "\r" : "\r\n";
        }
        many += QByteArray(gatewaylog::MarkedLineReader::kLineBound + 3000, 'y') + "MARK\r\nEND";
        QTest::newRow("many blocks") << QList<QByteArray>{many.left(777), many, "MARK\r\n" + many.mid(5)};
    }

    void examples()
    {
        QFETCH(QList<QByteArray>, files);
        // A marker with a CR is never in a line, nor one that starts with the LF
        // of a line end.
        const QList<QByteArray> markers{"MARK", "END", "", "\rMARK", "END\r", "\nMARK"};
        qsizetype size = 0;
        for (const QByteArray &f : files)
            size += f.size();
        const QList<qint64> blocks = size > 10000
                                         ? QList<qint64>{1024, 1031, 4096, gatewaylog::MarkedLineReader::kBlockSize}
                                         : QList<qint64>{1, 2, 3, 5, 8, 4096};
        for (bool everyLine : {false, true}) {
            for (qint64 bound : {qint64(1), qint64(5), qint64(12), gatewaylog::MarkedLineReader::kLineBound}) {
                const auto expected = testsupport::referenceLines(files, markers, everyLine, bound);
                for (qint64 block : blocks) {
                    for (auto source : {testsupport::Source::Memory, testsupport::Source::Disk}) {
                        const auto actual = testsupport::streamedLines(files, markers, everyLine, block, bound, source);
                        QVERIFY2(actual == expected,
                                 qPrintable(u"block %1, every line %2, line bound %3, from disk %4"_s.arg(block)
                                                .arg(everyLine)
                                                .arg(bound)
                                                .arg(source == testsupport::Source::Disk)));
                    }
                }
            }
        }
    }

    // A read that fails and a handler that throws end the reading with their
    // failure, the lines before handed over in order, whichever thread meets it.
    void failuresEndTheReading_data()
    {
        QTest::addColumn<qint64>("failAt");
        QTest::addColumn<int>("throwAt");
        QTest::newRow("the first read fails") << qint64(0) << -1;
        QTest::newRow("a later read fails") << qint64(50000) << -1;
        QTest::newRow("the handler throws at once") << qint64(-1) << 1;
        QTest::newRow("the handler throws later") << qint64(-1) << 3000;
    }

    void failuresEndTheReading()
    {
        QFETCH(qint64, failAt);
        QFETCH(int, throwAt);
        QByteArray text;
        for (int i = 0; i < 5000; ++i)
            text += "line " + QByteArray::number(i) + " MARK\r\n";
        FailingDevice device(text, failAt < 0 ? text.size() + 1 : failAt);
        device.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        gatewaylog::MarkedLineReader reader({"MARK"}, false, 1024);
        int lines = 0;
        QString failure;
        try {
            reader.read(device, [&](QByteArrayView line, bool, quint32) {
                QCOMPARE(line.toByteArray(), QByteArray("line " + QByteArray::number(lines) + " MARK"));
                if (++lines == throwAt)
                    throw std::runtime_error("stop");
            });
        } catch (const platform::Error &e) {
            failure = e.text();
        } catch (const std::runtime_error &) {
            failure = u"stop"_s;
        }
        if (failAt >= 0) {
            QVERIFY2(failure.contains(u"lost"_s), qPrintable(failure));
            QVERIFY(lines <= text.left(failAt).count("\r\n"));
        } else {
            QCOMPARE(failure, u"stop"_s);
            QCOMPARE(lines, throwAt);
        }
    }

    // The search of many strings at once against one string at a time, with
    // each kind of vector instructions and before and after it is tuned.
    void literalSearch_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QList<QByteArray>>("needles");
        QByteArray aligned;
        for (int i = 0; i < 80; ++i)
            aligned += QByteArray(i, 'x') + (i % 3 ? "MARK" : "END") + "\r\n";
        QTest::newRow("every alignment") << aligned << QList<QByteArray>{"MARK", "END", "\r\nMARK", "x"};
        QTest::newRow("overlapping, at the very end")
            << QByteArray(100, 'a') << QList<QByteArray>{"aa", "", "aaa", "a", QByteArray(100, 'a')};
        QTest::newRow("bytes above 0x7f")
            << QByteArray("\xb0\xa1\xb0\xa1 (0008,0005) CS \xff\xb0\xa1 (0008,0005) CT").repeated(9)
            << QList<QByteArray>{"\xa1\xb0", "(0008,0005) CS", "\xff", "S \xff"};
        QList<QByteArray> many;
        for (int i = 0; i < 10; ++i)
            many << QByteArray::number(i * 7);
        QTest::newRow("more strings than vectors hold") << aligned.replace('x', "0123456789") << many;
        for (int i = 10; i < 40; ++i)
            many << QByteArray::number(i * 7);
        QTest::newRow("more strings than bits") << aligned << many;
        // A string found by a pair far into it comes before those found
        // earlier at later positions, and a pair past the farthest one looked
        // at still finds it.
        const QByteArray far = QByteArray(30, 'a') + "#@";
        QTest::newRow("differing only in the last byte")
            << QByteArray("#@%&!~^xac ").repeated(5) + "#@%&!~^xab" << QList<QByteArray>{"#@%&!~^xab", "~^xab"};
        QTest::newRow("found by a pair far into it") << QByteArray(100, 'a') + "#@" + QByteArray(40, 'a') + far + "a#@"
                                                     << QList<QByteArray>{far, "a", "aa#", QByteArray(40, 'a') + "#@a"};
    }

    void literalSearch()
    {
        QFETCH(QByteArray, text);
        QFETCH(QList<QByteArray>, needles);
        QList<std::pair<qsizetype, int>> expected;
        for (qsizetype at = 0; at < text.size(); ++at) {
            for (int i = 0; i < needles.size(); ++i) {
                if (!needles[i].isEmpty() && text.sliced(at).startsWith(needles[i]))
                    expected.append({at, i});
            }
        }
        using Vectors = gatewaylog::LiteralSearch::Vectors;
        for (const Vectors vectors : {Vectors::Best, Vectors::Sse2, Vectors::None}) {
            gatewaylog::LiteralSearch search({needles.begin(), needles.end()}, vectors);
            for (const bool tuned : {false, true}) {
                if (tuned)
                    search.tune(text.constData(), size_t(text.size()));
                QList<std::pair<qsizetype, int>> found;
                search.forEach(text.constData(), size_t(text.size()), [&](size_t at, int i) {
                    found.append({qsizetype(at), i});
                });
                QVERIFY2(found == expected, qPrintable(u"vectors %1, tuned %2"_s.arg(int(vectors)).arg(tuned)));
            }
        }
    }

    void scanInspectPreviewLookUp()
    {
        AppHarness app(AppHarness::LoggedIn);
        app.act(u"click Command7"_s);
        const QStringList entries = app.items(u"List3"_s);
        // CT01 and DR01 on two days (their queries name the day), DR01 also
        // from its older view, MR01 from the base view; repeats merged.
        QCOMPARE(entries.size(), 6);
        QVERIFY(entries.at(0).startsWith(
            u"+//+CT01+///+*//*[\\ISO 2022 IR 149]*///*-//-FROM VMWL_KK_CT01 WHERE (1 = 1) AND"_s));
        QCOMPARE(entries.filter(u"+//+DR01+///+"_s).size(), 3);
        QCOMPARE(entries.filter(u"FROM VMWL WHERE"_s).size(), 1);
        QVERIFY(entries.filter(u"VMWL_EG_DR01"_s).value(0).startsWith(u"+//+DR01+///+"_s));
        QVERIFY(app.items(u"File1"_s).contains(u"ZORadoDidService_20261205.log"_s));
        QVERIFY(app.messages().isEmpty());
        app.act(u"click Command7"_s); // a second scan empties the list first
        QCOMPARE(app.items(u"List3"_s), entries);

        app.act(u"pick List3 0"_s);
        QVERIFY(app.text(u"Text8"_s)
                    .startsWith(u"장비 Ae Title : CT01\r\n\r\nCharacter_Set : [\\ISO 2022 IR "
                                "149]\r\n\r\nTable 명 : VMWL_KK_CT01\r\n\r\nmodality = 'CT' \r\n"_s));
        QCOMPARE(app.text(u"Text10"_s) + u'|' + app.text(u"Text11"_s), u"CT01|VMWL_KK_CT01"_s);

        // The view is not in this archive yet: the preview says so.
        app.act(u"click Command2"_s);
        QVERIFY(lastMessage(app).contains(u"VMWL_KK_CT01"_s));

        app.act(u"click Command11"_s);
        const QString orders = app.text(u"Text8"_s);
        QVERIFY(orders.startsWith(u"    환자 번호 : [2026000123]\r\n"_s));
        QCOMPARE(orders.count(u" (Success)\r\n\r\n"_s), 3); // three associations of CT01 with the view
        QVERIFY(orders.contains(u"<2026-12-05 08:12:05> : 4 (Success)\r\n\r\n"_s));
        QVERIFY(app.text(u"Label3"_s).startsWith(u"로그가 아래와 같으면 장비는 2건만 조회됨\r\n"_s));
        QVERIFY(app.text(u"Label3"_s).endsWith(u"<2019-09-16 14:49:19> : 3 (Success)"_s));
        // A device whose title and keys hold the log's markers is listed,
        // shown, looked up and asked as with what it sent.
        const QDateTime when(QDate(2026, 12, 7), QTime(9, 0));
        const QString pattern = u"'Kim(A)%' ESCAPE '\\'"_s;
        app.site().writeBytes(
            u"drives/c/RUDIVUV/Log/ZORadoDidService_20261207.log"_s,
            file({fmt::line(when, u"Association Received"_s), fmt::callingLine(when, u"CT(1)"_s),
                  fmt::viewLine(when, u"VMWL"_s),
                  fmt::queryLine(when, u"SELECT * FROM VMWL WHERE (1 = 1) AND patient_name LIKE '"_s +
                                           fmt::escape(u"Kim(A)%"_s) + u"' ESCAPE '\\'"_s),
                  fmt::line(when, fmt::element(u"(0010,0020)"_s, u"LO"_s, u"["_s + fmt::escape(u"P(9)"_s) + u']', 4, 1,
                                               u"PatientID"_s)),
                  fmt::responseLine(when, 2), fmt::endLine(when)}));
        app.act(u"click Command7"_s);
        QCOMPARE(app.items(u"List3"_s).value(6),
                 u"+//+CT(1)+///+-//-FROM VMWL WHERE (1 = 1) AND patient_name LIKE "_s + pattern + u"-///-"_s);
        app.act(u"pick List3 6"_s);
        QCOMPARE(app.text(u"Text10"_s) + u'|' + app.text(u"Text11"_s), u"CT(1)|VMWL"_s);
        QVERIFY(app.text(u"Text8"_s).endsWith(u"\r\npatient_name LIKE "_s + pattern));
        app.act(u"click Command11"_s);
        QCOMPARE(app.text(u"Text8"_s), u"    환자 번호 : [P(9)]\r\n<2026-12-07 09:00:00> : 2 (Success)\r\n\r\n"_s);
        const qsizetype told = app.messages().size();
        AskDeviceDialog *dialog = askDeviceFromList(app.form(), app.form().ui().List3, 6);
        QVERIFY(dialog);
        QCOMPARE(app.messages().size(), told);
        const QJsonObject asked = dialog->record();
        QCOMPARE(asked.value(u"aeTitle"_s).toString(), u"CT(1)"_s);
        QCOMPARE(asked.value(u"keys"_s).toObject().value(u"PatientName"_s).toString(), u"Kim(A)*"_s);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->running(), 30000);
        dialog->close();
    }

    void onlyTheGatewaysFilesAreRead()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows names files without regard to letter case: every spelling is the gateway's");
#else
        AppHarness app(AppHarness::LoggedIn);
        for (const QString &name : QDir(logDir(app)).entryList(QDir::Files))
            QFile::rename(QDir(logDir(app)).filePath(name), QDir(logDir(app)).filePath(name.toLower()));
        // Nor is a pipe that bears the gateway's name: opened, it would wait for a writer.
        QCOMPARE(::mkfifo(QFile::encodeName(QDir(logDir(app)).filePath(u"ZORadoDidService_1.log"_s)).constData(), 0600),
                 0);
        app.act(u"click Command7"_s);
        QVERIFY(app.items(u"List3"_s).isEmpty());
        QVERIFY(app.messages().isEmpty());
#endif
    }

    // A log line past the bound: the scan cuts its entry there and says so in Label3.
    void cutLineSaid()
    {
        AppHarness app(AppHarness::LoggedIn);
        const QString ae = u"LONG"_s + u"x"_s.repeated(gatewaylog::MarkedLineReader::kLineBound);
        app.site().writeBytes(u"drives/c/RUDIVUV/Log/ZORadoDidService_20261207.log"_s,
                              file({u"started"_s, fmt::callingLine(at(1), ae), fmt::endLine(at(1))}));
        app.act(u"click Command7"_s);
        const QStringList cut = app.items(u"List3"_s).filter(u"+//+LONG"_s);
        QCOMPARE(cut.size(), 1);
        QVERIFY(cut.at(0).endsWith(u"x…+///+"_s));
        QCOMPARE(app.text(u"Label3"_s), gatewaylog::cutNote());
    }

    // "로그 삭제": which files go, and whether the gateway is restarted around it.
    void deletion_data()
    {
        QTest::addColumn<Deletion>("d");
        QTest::newRow("the gateway's logs only, not in sub-folders")
            << Deletion{u""_s,
                        u"drives/c/RUDIVUV/Log"_s,
                        {u"zoradodid_old.txt"_s, u"other.log"_s, u"sub/ZORadoDidService_1.log"_s},
                        {u"other.log"_s, u"sub/ZORadoDidService_1.log"_s},
                        true};
        QTest::newRow("a folder named after the gateway: every file")
            << Deletion{u"C:\\ZORADODID\\"_s, u"drives/c/ZORADODID"_s, {u"a.txt"_s, u"b.log"_s}, {}, true};
        QTest::newRow("missing folder stops nothing")
            << Deletion{u"C:\\NoSuch\\"_s, u"drives/c/NoSuch"_s, {}, {}, false};
    }

    void deletion()
    {
        QFETCH(Deletion, d);
        AppHarness app(AppHarness::LoggedIn);
        for (const QString &file : d.added)
            app.site().writeBytes(d.folder + u'/' + file, "x");
        app.act(u"click Command7"_s);
        QVERIFY(!app.items(u"List3"_s).isEmpty());
        app.act((d.typed.isEmpty() ? QString() : u"type Text12 "_s + d.typed + u'\n') + u"click Command12"_s);
        QStringList files;
        for (QDirIterator it(app.site().file(d.folder), QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
            files << QDir(app.site().file(d.folder)).relativeFilePath(it.next());
        files.sort();
        QCOMPARE(files, d.left);
        QCOMPARE(app.commands(), d.restarted ? restart() : QStringList());
        QCOMPARE(app.items(u"List3"_s).isEmpty(), d.restarted); // emptied with the files
    }

    void longWorkShowsProgressAndTakesNoInput()
    {
        AppHarness app(AppHarness::LoggedIn);
        app.act(u"type Text2 KEEP\nhover Label13"_s);
        QString during;
        app.form().runBusy(u"로그 확인 중입니다."_s, 2, [&](const Form1::BusyProgress &progress) {
            // Repaints are paced: nothing new is shown within 100 ms of the last.
            app.advanceClock(99);
            progress(1, 1024, 3 * 1024 * 1024);
            QCOMPARE(app.text(u"Label3"_s), u"로그 확인 중입니다.\r\n0 / 2 파일, 0.0 MB / 0.0 MB"_s);
            app.advanceClock(1);
            progress(1, 1024 * 1024, 3 * 1024 * 1024);
            during = app.text(u"Label3"_s);
            QVERIFY(app.form().busy());
            app.act(u"click Command8"_s); // "초기화" meanwhile is not taken
            app.form().close();
        });
        QCOMPARE(during, u"로그 확인 중입니다.\r\n1 / 2 파일, 1.0 MB / 3.0 MB"_s);
        QCOMPARE(app.text(u"Text2"_s), u"KEEP"_s);
        QVERIFY(!app.ended());
        QCOMPARE(app.text(u"Label3"_s), u"장비 Worklist에서 한글 표시 여부 설정"_s);
        QVERIFY(!app.form().busy());
    }

    // A double click opens the log folder; a folder that is not there opens nothing and is named.
    // A file removed between the listing and its reading is passed over; the others are read.
    void vanishedLogIsPassedOver()
    {
        QTemporaryDir dir;
        QFile kept(dir.filePath(u"ZORadoDidService_2.log"_s));
        QVERIFY(kept.open(QIODevice::WriteOnly) && kept.write("a MARK\r\nb\r\n") > 0);
        kept.close();
        gatewaylog::MarkedLineReader reader({"MARK"}, false);
        QStringList lines;
        gatewaylog::readLogs(dir.path(), {u"ZORadoDidService_1.log"_s, u"ZORadoDidService_2.log"_s}, reader,
                             [&](QByteArrayView line, bool, quint32) { lines.append(QString::fromLatin1(line)); }, {});
        QCOMPARE(lines, QStringList{u"a MARK"_s});
    }

    void logFolderField()
    {
        AppHarness app(AppHarness::LoggedIn);
        app.act(u"dblclick Text12"_s);
        QCOMPARE(app.commands(), QStringList{u"Explorer.exe /e, C:\\RUDIVUV\\Log\\"_s});
        app.act(u"type Text12 C:\\NoSuch\\Log\\\ndblclick Text12"_s);
        QCOMPARE(app.commands().size(), 1);
        app.act(u"click Command7"_s);
        QVERIFY2(lastMessage(app).endsWith(u"C:\\NoSuch\\Log\\"_s), qPrintable(lastMessage(app)));
        QVERIFY(app.items(u"List3"_s).isEmpty());
        app.act(u"click Command11"_s);
        QCOMPARE(app.messages().size(), 2);
        QCOMPARE(app.text(u"Text8"_s), QString());
    }

    void levelLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("isLevel");
        QTest::addColumn<int>("recognised"); // -1 none, 0 None, 1 Detailed
        const auto row = [](const char *line, bool isLevel, int recognised) {
            QTest::newRow(line) << line << isLevel << recognised;
        };
        row("LogLevel=0", true, 0);
        row("LogLevel=3", true, 0);
        row("LogLevel=4", true, 1);
        row("LogLevel=5", true, -1);
        row("LogLevel= 4", true, -1);
        row(" LogLevel =2", true, -1);
        row("MaxLogLevel=3", false, -1);
        row("loglevel=4", false, -1);
        row("Comment=LogLevel=4", false, -1);
    }

    void levelLines()
    {
        QFETCH(QString, line);
        QFETCH(bool, isLevel);
        QFETCH(int, recognised);
        QCOMPARE(gatewaylog::isLevelLine(line), isLevel);
        const auto level = gatewaylog::recognisedLevel(line);
        QCOMPARE(level ? int(*level) : -1, recognised);
    }

    // What the operator's clicks leave in the file, and how often the gateway restarts.
    void options_data()
    {
        QTest::addColumn<QByteArray>("levels");
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<int>("restarts");
        const auto row = [](const char *name, const char *levels, const QStringList &actions, const char *written,
                            int restarts) {
            QTest::newRow(name) << QByteArray(levels) << actions << QByteArray(written) << restarts;
        };
        row("opening changes nothing", "LogLevel=2\r\n", {}, "LogLevel=2\r\n", 0);
        row("detailed", "LogLevel=2\r\n", {u"click Option2"_s}, "LogLevel=4\r\n", 1);
        row("none after level 4", "LogLevel=4\r\n", {u"click Option1"_s}, "LogLevel=0\r\n", 1);
        row("unrecognised level: the first click only arms", "LogLevel=5\r\n", {u"click Option2"_s}, "LogLevel=5\r\n",
            0);
        row("unrecognised level, then none", "LogLevel=5\r\n", {u"click Option2"_s, u"click Option1"_s},
            "LogLevel=0\r\n", 1);
        row("every level line, other settings kept", "LogLevel=1\r\nMaxLogLevel=3\r\nLogLevel=2\r\n",
            {u"click Option2"_s}, "LogLevel=4\r\nMaxLogLevel=3\r\nLogLevel=4\r\n", 1);
        row("closing while detailed writes none", "LogLevel=2\r\n", {u"click Option2"_s, u"close"_s}, "LogLevel=0\r\n",
            2);
        row("closing while none", "LogLevel=3\r\n", {u"close"_s}, "LogLevel=3\r\n", 0);
    }

    void options()
    {
        QFETCH(QByteArray, levels);
        QFETCH(QStringList, actions);
        QFETCH(QByteArray, written);
        QFETCH(int, restarts);
        auto app = start(levels);
        for (const QString &action : actions)
            app->act(action);
        QCOMPARE(app->site().readBytes(TestSite::kControlFile), controlText(written));
        // Each restart stops, pauses a second, then starts.
        QStringList expected;
        for (int i = 0; i < restarts; ++i) {
            expected += restart();
            const QJsonObject pause = app->pauses().at(i).toObject();
            QCOMPARE(pause.value(u"afterCommands"_s).toInt(), expected.size() - 1);
            QCOMPARE(pause.value(u"ms"_s).toInt(), 1000);
        }
        QCOMPARE(app->commands(), expected);
        QCOMPARE(app->pauses().size(), restarts);
        const bool ended = actions.contains(u"close"_s);
        QCOMPARE(app->ended(), ended);
        QCOMPARE(app->text(u"Label3"_s) == u"설정 완료"_s, restarts > 0);
        QVERIFY(enabled(*app, u"Command7"_s) && enabled(*app, u"Command12"_s));
    }

    // A file that cannot be written, or is gone, still brings the gateway back; one the gateway refuses is said.
    void failedWriteStillRestarts_data()
    {
        QTest::addColumn<QByteArray>("control"); // null: no file
        QTest::addColumn<QString>("message");
        QTest::newRow("missing file") << QByteArray()
                                      << "ZORadoDidServiceControl.ini 파일이 없습니다. 확인 후 실행하시기 바랍니다.";
        QTest::newRow("text the code page cannot hold")
            << QByteArray("LogLevel=2\r\nName=\xF0\x9F\x98\x80\r\n") << "ZORadoDidServiceControl.ini";
        QTest::newRow("a port the gateway refuses") << QByteArray("LogLevel=2\r\nPort=abc\r\n")
                                                    << "게이트웨이가 설정 파일을 받아들이지 않아 시작하지 않습니다: "
                                                       "ZORadoDidServiceControl.ini의 줄 'Port=abc'";
    }

    void failedWriteStillRestarts()
    {
        QFETCH(QByteArray, control);
        QFETCH(QString, message);
        auto app = start("LogLevel=2\r\n");
        if (control.isNull())
            QFile::remove(app->site().file(TestSite::kControlFile));
        else
            app->site().writeBytes(TestSite::kControlFile, controlText(control));
        app->act(u"click Option2"_s);
        QCOMPARE(app->messages().size(), 1);
        QVERIFY2(lastMessage(*app).contains(message), qPrintable(lastMessage(*app)));
        QCOMPARE(app->commands(), restart());
        QVERIFY(enabled(*app, u"Command7"_s));
    }

    void findingsOfSituations_data()
    {
        QTest::addColumn<Situation>("situation");
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<QString>("says");

        QTest::newRow("all fits") << base() << QStringList() << QString();
        Situation s = base();
        s.answer = {Outcome::PortClosed, 0, u"Connection refused"_s, {}, {}};
        QTest::newRow("port closed") << s << QStringList{u"port-closed"_s} << u"localhost:11112"_s;
        s.answer.outcome = Outcome::Timeout;
        s.timeoutSeconds = 7;
        QTest::newRow("timeout") << s << QStringList{u"timeout"_s} << u"7초"_s;
        s.answer.outcome = Outcome::Refused;
        QTest::newRow("refused, no reason read") << s << QStringList{u"refused"_s} << u"'CT09'"_s;
        // The A-ASSOCIATE-RJ's source and reason say which title or which limit.
        s.answer.rejection = {1, 1, 3};
        QTest::newRow("refused: calling title") << s << QStringList{u"refused"_s} << u"'CT09'"_s;
        s.answer.rejection = {1, 1, 7};
        QTest::newRow("refused: called title") << s << QStringList{u"called-ae"_s} << u"'KALDEN1'"_s;
        s.answer.rejection = {2, 3, 2};
        QTest::newRow("refused: all associations in use")
            << s << QStringList{u"gateway-busy"_s} << u"MaxAssociations="_s;
        s.answer = {Outcome::Failed, 0xC000, QString(), {}, {}};
        QTest::newRow("failure status") << s << QStringList{u"failed"_s} << u"C000"_s;

        s = base();
        s.registeredView.reset();
        s.view = u"VMWL"_s;
        QTest::newRow("not registered") << s << QStringList{u"not-registered"_s} << u"VMWL"_s;
        // The gateway refuses a device whose entry it cannot read: that is the one reason given.
        s.registeredView = QString();
        s.answer.outcome = Outcome::Refused;
        s.answer.rejection = {1, 1, 3};
        QTest::newRow("entry unreadable") << s << QStringList{u"entry-unreadable"_s} << u"'CT09'의 항목"_s;
        s = base();
        s.controlFileRefused = worklist::gateway::parseControlFile({u"[Service]"_s, u"Port=x"_s}).refusal;
        s.answer = {Outcome::PortClosed, 0, u"Connection refused"_s, {}, {}};
        QTest::newRow("gateway refuses its control file")
            << s << QStringList{u"control-file-refused"_s} << u"ZORadoDidServiceControl.ini의 줄 'Port=x'"_s;

        s = base();
        s.answer.items.clear();
        s.rows = QList<ViewRow>{row(u"P1"_s, u"A"_s, u"CR"_s), row(u"P2"_s, u"B"_s, u"DX"_s)};
        QTest::newRow("modality not carried") << s << QStringList{u"modality"_s} << u"'CR', 'DX'"_s;
        s.rows = QList<ViewRow>{row(u"P1"_s, u"A"_s, u"CT"_s, u"ISO_IR 100"_s, u"ANY"_s)};
        QTest::newRow("station differs") << s << QStringList{u"station"_s} << u"'ANY'"_s;
        s.keys.date = u"20261207"_s;
        QTest::newRow("no orders that day") << s << QStringList{u"no-orders"_s} << u"20261207"_s;
        s = base();
        s.answer.items.clear();
        s.keys.characterSet = u"ISO_IR 192"_s;
        QTest::newRow("character set used as a key")
            << s << QStringList{u"filtered"_s, u"charset-differs"_s} << u"'ISO_IR 192'"_s;
        s = base();
        s.keys.patientId = u"P*"_s;
        s.rows->append(row(u"P2"_s, u"KIM"_s, u"CT"_s));
        QTest::newRow("fewer items than rows") << s << QStringList{u"fewer-items"_s} << u"2건"_s;

        s = base();
        s.rows = QList<ViewRow>{row(u"P1"_s, u"=홍길동"_s, u"CT"_s)};
        s.answer.items = {item(u"P1"_s, u"=???"_s)};
        QTest::newRow("Hangul in ISO_IR 100") << s << QStringList{u"charset-unfit"_s} << u"'홍길동'"_s;
        s.rows = QList<ViewRow>{row(u"P1"_s, u"=홍길동"_s, u"CT"_s, u"\\ISO 2022 IR 149"_s)};
        s.answer.items = {item(u"P1"_s, u"=홍길동"_s, u"\\ISO 2022 IR 149"_s)};
        s.keys.characterSet = u"ISO 2022 IR 149"_s;
        QTest::newRow("Korean set, either spelling") << s << QStringList() << QString();
        s.keys.characterSet = u"ISO_IR 100"_s;
        QTest::newRow("asked in another set") << s << QStringList{u"charset-differs"_s} << u"'ISO 2022 IR 149'"_s;

        // Beyond KS X 1001 only UTF-8 helps; every text of the view is checked.
        s.rows = QList<ViewRow>{row(u"P1"_s, u"=똠순이"_s, u"CT"_s, u"\\ISO 2022 IR 149"_s)};
        s.answer.items = {item(u"P1"_s, u"=?순이"_s, u"\\ISO 2022 IR 149"_s)};
        s.keys.characterSet = u"\\ISO 2022 IR 149"_s;
        QTest::newRow("outside KS X 1001") << s << QStringList{u"charset-unfit"_s} << u"ISO_IR 192"_s;
        s = base();
        s.rows->first().referringPhysician = u"김내과"_s;
        QTest::newRow("a physician's name in ISO_IR 100")
            << s << QStringList{u"charset-unfit"_s} << u"의뢰 의사 이름 '김내과'"_s;
        s = base();
        s.rows->first().scheduledDescription = u"흉부 CT"_s;
        QTest::newRow("an exam name in ISO_IR 100") << s << QStringList{u"charset-unfit"_s} << u"\\ISO 2022 IR 149"_s;
        s = base();
        s.keys.characterSet = u"ISO_IR 100"_s;
        s.keys.patientName = u"=김민준"_s;
        QTest::newRow("a key the device's set cannot write") << s << QStringList{u"key-unfit"_s} << u"'=김민준'"_s;
        s.keys.characterSet = u"\\ISO 2022 IR 149"_s;
        s.keys.patientName = u"=똠순이"_s;
        QTest::newRow("a key beyond KS X 1001")
            << s << QStringList{u"key-unfit"_s, u"charset-differs"_s} << u"'ISO_IR 192'(UTF-8)로"_s;

        s = base();
        s.answer.items = {item(QString(), u"HONG"_s), item(QString(), u"KIM"_s)};
        QTest::newRow("empty required attribute, told once") << s << QStringList{u"empty-required"_s} << u"PatientID"_s;
    }

    void findingsOfSituations()
    {
        QFETCH(Situation, situation);
        QFETCH(QStringList, codes);
        QFETCH(QString, says);
        const QList<Finding> found = findings(situation);
        QStringList got;
        for (const Finding &f : found)
            got.append(f.code);
        QCOMPARE(got, codes);
        if (!codes.isEmpty())
            QVERIFY2(found.first().text.contains(says), qPrintable(found.first().text));
        const bool notError = codes.isEmpty() || codes == QStringList{u"not-registered"_s} ||
                              codes == QStringList{u"no-orders"_s} || codes == QStringList{u"fewer-items"_s} ||
                              codes == QStringList{u"charset-differs"_s};
        QCOMPARE(hasError(found), !notError);
    }

    // The keys of a logged query, as the device sent them, its dates moved to
    // today (2026-12-06) when it was logged on an earlier day.
    void keysOfLogEntries_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QDate>("loggedOn");
        QTest::addColumn<QStringList>("keys"); // cs, modality, date, station, id, name, AE title, date as logged

        QTest::newRow("gateway's query")
            << u"+//+CT09+///+*//*[\\ISO 2022 IR 149]*///*-//-FROM VMWL_KK_CT09 WHERE (1 = 1) AND modality = "
               "'CT' AND SCHEDULED_PROCEDURE_DATE = '20261206' AND scheduled_station_aetitle = 'CT09' AND "
               "specific_character_set = '\\ISO 2022 IR 149'-///-"_s
            << QDate(2026, 12, 6) << QStringList{u"\\ISO 2022 IR 149"_s,
                                                 u"CT"_s,
                                                 u"20261206"_s,
                                                 u"CT09"_s,
                                                 QString(),
                                                 QString(),
                                                 u"CT09"_s,
                                                 QString()};
        QTest::newRow("range, wildcards, quotes, two days old")
            << u"+//+MR01+///+-//-FROM VMWL WHERE (1 = 1) AND SCHEDULED_PROCEDURE_DATE >= '20261201' AND "
               "SCHEDULED_PROCEDURE_DATE <= '20261204' AND patient_id LIKE 'A\\_%' ESCAPE '\\' AND "
               "patient_name = 'O''BRIEN'-///-"_s
            << QDate(2026, 12, 4) << QStringList{QString(),    QString(), u"20261203-20261206"_s, QString(), u"A_*"_s,
                                                 u"O'BRIEN"_s, u"MR01"_s, u"20261201-20261204"_s};
        QTest::newRow("escaped values, yesterday's")
            << u"+//+CT\\x281\\x29+///+*//*[ISO_IR 100\\x3D]*///*-//-FROM VMWL WHERE (1 = 1) AND "
               "SCHEDULED_PROCEDURE_DATE = '20261205' AND patient_id = '\\x5Cx28' AND patient_name LIKE '\\x3D김%' "
               "ESCAPE '\\'-///-"_s
            << QDate(2026, 12, 5) << QStringList{u"ISO_IR 100="_s, QString(), u"20261206"_s, QString(),
                                                 u"\\x28"_s,       u"=김*"_s, u"CT(1)"_s,    u"20261205"_s};
        QTest::newRow("open range")
            << u"+//+DR01+///+-//-FROM V WHERE (1 = 1) AND SCHEDULED_PROCEDURE_DATE >= '20261205'-///-"_s
            << QDate(2026, 12, 5) << QStringList{QString(), QString(), u"20261206-"_s, QString(),
                                                 QString(), QString(), u"DR01"_s,      u"20261205-"_s};
        QTest::newRow("logged on a later day: as logged")
            << u"+//+DR01+///+-//-FROM V WHERE (1 = 1) AND SCHEDULED_PROCEDURE_DATE = '20261207'-///-"_s
            << QDate(2026, 12, 7)
            << QStringList{QString(), QString(), u"20261207"_s, QString(), QString(), QString(), u"DR01"_s, QString()};
        QTest::newRow("no query") << u"+//+DR01+///+"_s << QDate(2026, 12, 1)
                                  << QStringList{QString(), QString(), QString(), QString(),
                                                 QString(), QString(), u"DR01"_s, QString()};
    }

    void keysOfLogEntries()
    {
        QFETCH(QString, entry);
        QFETCH(QDate, loggedOn);
        QFETCH(QStringList, keys);
        QueryKeys k = keysFromEntry(entry);
        replayDates(k, loggedOn, QDate(2026, 12, 6));
        QCOMPARE((QStringList{k.characterSet, k.modality, k.date, k.stationAeTitle, k.patientId, k.patientName,
                              entryAeTitle(entry), k.loggedDate}),
                 keys);
        QCOMPARE(keysText(k).contains(u"(로그의 "_s + k.loggedDate + u"를 오늘 기준으로 바꿈)"_s),
                 !k.loggedDate.isEmpty());
    }

    void keysSetByHand_data()
    {
        QTest::addColumn<QString>("assignment");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<QString>("modality");
        QTest::newRow("keyword") << u"Modality=MR"_s << true << u"MR"_s;
        QTest::newRow("tag") << u"(0008,0060)=DX"_s << true << u"DX"_s;
        QTest::newRow("other key") << u"PatientID=P1"_s << true << u"CT"_s;
        QTest::newRow("not a matching key") << u"StudyDate=20261206"_s << false << u"CT"_s;
        QTest::newRow("no value") << u"Modality"_s << false << u"CT"_s;
        QTest::newRow("control character") << u"Modality=C\rT"_s << false << u"CT"_s;
    }

    void keysSetByHand()
    {
        QFETCH(QString, assignment);
        QFETCH(bool, taken);
        QFETCH(QString, modality);
        QueryKeys k = typicalKeys(u"CT09"_s, u"CT"_s, QDate(2026, 12, 6));
        QCOMPARE(!setKey(k, assignment).has_value(), taken);
        QCOMPARE(k.modality, modality);
    }

    void characterSets_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("set");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("fitsSet");
        QTest::newRow("Korean name groups") << QByteArray("=\x1b$)C\xc8\xab\x5e\x1b$)C\xb1\xe6\xb5\xbf")
                                            << u"\\ISO 2022 IR 149"_s << u"=홍^길동"_s << true;
        QTest::newRow("outside KS X 1001") << QByteArray("?") << u"\\ISO 2022 IR 149"_s << u"똠"_s << false;
        QTest::newRow("Hangul in Latin-1") << QByteArray("???") << u"ISO_IR 100"_s << u"홍길동"_s << false;
        QTest::newRow("Latin-1") << QByteArray("M\xfcller") << u"ISO_IR 100"_s << u"Müller"_s << true;
        QTest::newRow("UTF-8") << QByteArray("\xed\x99\x8d") << u"ISO_IR 192"_s << u"홍"_s << true;
        QTest::newRow("default set") << QByteArray("M\xfc") << QString() << u"M\ufffd"_s << false;
    }

    void characterSets()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, set);
        QFETCH(QString, text);
        QFETCH(bool, fitsSet);
        if (bytes != "?" && bytes != "???")
            QCOMPARE(decodeValue(bytes, set), text);
        QCOMPARE(fits(text, set), fitsSet);
    }

    void controlFileEntries()
    {
        QStringList lines{u"[Service]"_s,
                          u"CustomAETitle=CT01^^VMWL_KK_CT01^^^^||dr01^^VMWL_EE_DR01^^^^||US 2^^V W^^^^||"_s,
                          u"Port=35001"_s};
        const auto control = [](const QStringList &lines) {
            return ControlFile{true, lines, worklist::gateway::parseControlFile(lines)};
        };
        QCOMPARE(registeredView(control(lines), u"CT01"_s), std::optional<QString>(u"VMWL_KK_CT01"_s));
        QVERIFY(!registeredView(control(lines), u"DR01"_s)); // the gateway compares letter case exactly
        QCOMPARE(registeredView(control(lines), u"US 2"_s), std::optional<QString>(QString())); // refused
        QCOMPARE(aeTitleServedBy(lines, u"VMWL_EE_DR01"_s), u"dr01"_s);
        QCOMPARE(aeTitleServedBy(lines, u"VMWL_EK_US1_1A"_s), u"US-A"_s);
        QCOMPARE(control(lines).port(), 35001);
        QVERIFY(!control(lines).settings.fatal);
        lines.append(u"Port=x"_s); // the gateway does not start, and the check says why
        QCOMPARE(control(lines).port(), 104);
        QVERIFY(control(lines).settings.fatal);
        for (const char *refused : {"", "   ", "CT\r01", "A\\B", "SEVENTEEN_LETTERS"})
            QVERIFY2(!worklist::gateway::validAeTitle(QLatin1String(refused)), refused);
        QVERIFY(worklist::gateway::validAeTitle(u"FCR-CSL"_s));
    }
};

QTEST_MAIN(TestLogTools)
#include "test_log_tools.moc"

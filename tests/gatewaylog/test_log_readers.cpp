#include "gatewaylog/log_entry.h"
#include "gatewaylog/log_format.h"
#include "gatewaylog/log_scanner.h"
#include "gatewaylog/marked_lines.h"
#include "gatewaylog/order_lookup.h"
#include "platform/codepage.h"
#include "support/marked_lines_reference.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace fmt = gatewaylog::format;

// The scanner, the inspector and the order lookup over small logs written in
// the gateway's layout.
class TestLogReaders : public QObject
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
            l << fmt::line(at(minute), fmt::element(u"(0010,0020)"_s, u"LO"_s, u"["_s + id + u"]"_s, int(id.size()), 1,
                                                    u"PatientID"_s));
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

    void scanner_data()
    {
        QTest::addColumn<QList<QByteArray>>("files");
        QTest::addColumn<QStringList>("entries");
        const auto row = [](const char *name, const QList<QByteArray> &files, const QStringList &entries) {
            QTest::newRow(name) << files << entries;
        };
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
    }

    void scanner()
    {
        QFETCH(QList<QByteArray>, files);
        QFETCH(QStringList, entries);
        QCOMPARE(scan(files), entries);
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
    }

    void lookup()
    {
        QFETCH(QList<QByteArray>, files);
        QFETCH(QString, ae);
        QFETCH(QString, view);
        QFETCH(QString, expected);
        gatewaylog::OrderLookup lookup(ae, view);
        run(lookup, lookup.markers(), files, lookup.needsEveryLine());
        QCOMPARE(lookup.text(), expected);
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
    }

    void examples()
    {
        QFETCH(QList<QByteArray>, files);
        // A marker with a CR is never in a line, nor one that starts with the LF
        // of a line end.
        const QList<QByteArray> markers{"MARK", "END", "", "\rMARK", "END\r", "\nMARK"};
        for (bool everyLine : {false, true}) {
            const auto expected = testsupport::referenceLines(files, markers, everyLine);
            for (qint64 block : {1, 2, 3, 5, 8, 4096}) {
                const auto actual = testsupport::streamedLines(files, markers, everyLine, block);
                QVERIFY2(actual == expected, qPrintable(u"block %1, every line %2"_s.arg(block).arg(everyLine)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestLogReaders)
#include "test_log_readers.moc"

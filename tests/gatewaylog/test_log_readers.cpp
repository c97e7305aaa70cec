#include "gatewaylog/log_entry.h"
#include "gatewaylog/log_format.h"
#include "gatewaylog/log_scanner.h"
#include "gatewaylog/marked_lines.h"
#include "gatewaylog/order_lookup.h"
#include "platform/codepage.h"
#include "support/marked_lines_reference.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QTest>
#include <QTextCodec>

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
        QStringList l{
            fmt::callingLine(at(minute), ae),
            fmt::line(at(minute),
                      fmt::element("(0008,0005)", "CS", "[" + cs + "]", int(cs.size()), 1, "SpecificCharacterSet")),
            fmt::viewLine(at(minute), view),
            fmt::queryLine(at(minute), "SELECT a, b FROM " + view + " WHERE (1 = 1) AND modality = 'MR' AND x = 1")};
        for (const QString &id : ids)
            l << fmt::line(at(minute),
                           fmt::element("(0010,0020)", "LO", "[" + id + "]", int(id.size()), 1, "PatientID"));
        l << fmt::responseLine(at(minute), int(ids.size()) + 1) << fmt::endLine(at(minute));
        return l;
    }

    static QByteArray file(const QStringList &lines, const char *end = "\r\n")
    {
        QByteArray bytes;
        for (const QString &line : lines)
            bytes += platform::cp949Codec()->fromUnicode(line) + end;
        return bytes;
    }

    template <class Reader>
    static void run(Reader &reader, const QList<QByteArray> &markers, const QList<QByteArray> &files,
                    bool everyLine = false)
    {
        gatewaylog::MarkedLineReader lines(markers, everyLine, 64);
        for (QByteArray f : files) {
            QBuffer device(&f);
            device.open(QIODevice::ReadOnly);
            lines.read(device,
                       [&](QByteArrayView line, bool adjacent, quint32 found) { reader.feed(line, adjacent, found); });
        }
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
        const QString element = fmt::line(at(49), fmt::element("(0010,0020)", "LO", "[12345678]", 8, 1, "PatientID"));
        QCOMPARE(element.indexOf(QLatin1String("(0010,0020)")), 24); // character 25
        QCOMPARE(element.indexOf(QLatin1Char('[')), 39);             // character 40
        QCOMPARE(element.mid(39, 35).trimmed(), QStringLiteral("[12345678]"));
        const QString response = fmt::responseLine(at(49), 3);
        QCOMPARE(response.left(23) + response.mid(52), QStringLiteral("<2019-09-16 14:49:19> : 3 (Success)"));
    }

    void scanner_data()
    {
        QTest::addColumn<QList<QByteArray>>("files");
        QTest::addColumn<QStringList>("entries");
        const QString mr =
            "+//+MR01+///+*//*[ISO_IR 100]*///*-//-FROM VMWL_KK_MR01 WHERE (1 = 1) AND modality = 'MR' AND x = 1-///-";
        const QStringList mrLines = association("MR01", "ISO_IR 100", "VMWL_KK_MR01", {"P1", "P2"});
        QTest::newRow("duplicates merged")
            << QList<QByteArray>{file(mrLines + QStringList{"x"} + mrLines)} << QStringList{mr};
        QStringList other = association("MR01", "ISO_IR 100", "VMWL_EE_MR01", {"P1"});
        QTest::newRow("two views kept apart") << QList<QByteArray>{file(mrLines + QStringList{"x"} + other)}
                                              << QStringList{mr, QString(mr).replace("VMWL_KK_MR01", "VMWL_EE_MR01")};
        QTest::newRow("empty entry once")
            << QList<QByteArray>{file({"a", fmt::endLine(at(1)), "b", "c", fmt::endLine(at(2))})} << QStringList{""};
        QTest::newRow("line after an end is not taken")
            << QList<QByteArray>{file(QStringList{"a", fmt::endLine(at(1))} + mrLines)}
            << QStringList{"", mr.mid(QStringLiteral("+//+MR01+///+").size())};
        QTest::newRow("also across a file boundary")
            << QList<QByteArray>{file({"a", fmt::endLine(at(1))}), file(mrLines)}
            << QStringList{"", mr.mid(QStringLiteral("+//+MR01+///+").size())};
        QTest::newRow("association across two files")
            << QList<QByteArray>{file(mrLines.mid(0, 2)), file(mrLines.mid(2))} << QStringList{mr};
        QStringList twoCharsets = mrLines;
        twoCharsets.insert(2, fmt::line(at(1), fmt::element("(0008,0005)", "CS", "[ISO_IR 192]", 10, 1, "x")));
        QTest::newRow("first character set only") << QList<QByteArray>{file(twoCharsets)} << QStringList{mr};
        QTest::newRow("lone CR line ends") << QList<QByteArray>{file(mrLines, "\r")} << QStringList{mr};
        QTest::newRow("query from its first FROM")
            << QList<QByteArray>{file({fmt::queryLine(at(1), "SELECT xFROM FROM V WHERE a  "), fmt::endLine(at(1))})}
            << QStringList{"-//-FROM FROM V WHERE a  -///-"};
        QTest::newRow("a line with both query markers is not taken")
            << QList<QByteArray>{file({"Modality find query = CModalityFindMakeQuery = FROM V", fmt::endLine(at(1))})}
            << QStringList{""};
        QTest::newRow("other query form")
            << QList<QByteArray>{file({"CModalityFindMakeQuery = FROM V WHERE (1 = 1) AND a", fmt::endLine(at(1))})}
            << QStringList{"-//-FROM V WHERE (1 = 1) AND a-///-"};
        QTest::newRow("Korean in a line")
            << QList<QByteArray>{file({fmt::callingLine(at(1), "초음파1"), fmt::endLine(at(1))})}
            << QStringList{"+//+초음파1+///+"};
        QTest::newRow("character set without #")
            << QList<QByteArray>{file({"<2019-09-16 14:49:19> : (0008,0005) CS [ISO_IR 100]", fmt::endLine(at(1))})}
            << QStringList{"*//*[ISO_IR 100]*///*"};
        QTest::newRow("fragments after the last end are dropped")
            << QList<QByteArray>{file(mrLines.mid(0, 3))} << QStringList{};
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
        const auto row = [](const char *name, const char *entry, const char *text, const char *ae, const char *view) {
            QTest::newRow(name) << entry << text << ae << view;
        };
        row("complete entry",
            "+//+MR01+///+*//*[ISO_IR 100]*///*-//-FROM VMWL_KK_MR01 WHERE (1 = 1) AND A = 1 AND B = 2-///-",
            "장비 Ae Title : MR01\r\n\r\nCharacter_Set : [ISO_IR 100]\r\n\r\nTable 명 : VMWL_KK_MR01\r\n\r\nA = 1 "
            "\r\nB = 2",
            "MR01", "VMWL_KK_MR01");
        row("empty entry", "", "장비 Ae Title : \r\nCharacter_Set : \r\n", "", "<kept>");
        row("no query", "+//+CT01+///+*//*[ISO_IR 100]*///*",
            "장비 Ae Title : CT01\r\n\r\nCharacter_Set : [ISO_IR 100]\r\n", "CT01", "<kept>");
        row("entry beginning with its query", "-//-FROM VMWL_EE_X WHERE (1 = 1) AND A = 1-///-",
            "장비 Ae Title : \r\nCharacter_Set : \r\n\r\nTable 명 : \r\n\r\nA = 1", "", "");
        row("AND inside a value", "+//+A+///+-//-FROM V WHERE (1 = 1) AND name = 'SAND AND X'-///-",
            "장비 Ae Title : A\r\n\r\nCharacter_Set : \r\n\r\nTable 명 : V\r\n\r\nname = 'S\r\n\r\nX'", "A", "V");
        row("two queries: the first one",
            "+//+A+///+-//-FROM V1 WHERE (1 = 1) AND a = 1-///--//-FROM V2 WHERE (1 = 1) AND b = 2-///-",
            "장비 Ae Title : A\r\n\r\nCharacter_Set : \r\n\r\nTable 명 : V1\r\n\r\na = 1", "A", "V1");
        row("no WHERE", "+//+A+///+-//-FROM V1-///-",
            "장비 Ae Title : A\r\n\r\nCharacter_Set : \r\n\r\nTable 명 : V1\r\n\r\n", "A", "V1");
        row("no (1 = 1) AND", "+//+A+///+-//-FROM V1 WHERE a = 1 AND b = 2-///-",
            "장비 Ae Title : A\r\n\r\nCharacter_Set : \r\n\r\nTable 명 : V1\r\n\r\na = 1 \r\nb = 2", "A", "V1");
        row("unclosed AE title", "+//+MR01*//*[X]*///*", "장비 Ae Title : \r\n\r\nCharacter_Set : [X]\r\n", "",
            "<kept>");
        row("unclosed query", "+//+A+///+-//-FROM V WHERE (1 = 1) AND a = 1",
            "장비 Ae Title : A\r\n\r\nCharacter_Set : \r\n\r\nTable 명 : V\r\n\r\na = 1", "A", "V");
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
        QCOMPARE(r.view ? *r.view : QStringLiteral("<kept>"), view);
    }

    void lookup_data()
    {
        QTest::addColumn<QList<QByteArray>>("files");
        QTest::addColumn<QString>("ae");
        QTest::addColumn<QString>("view");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const QList<QByteArray> &files, const char *ae, const char *view,
                            const QString &expected) { QTest::newRow(name) << files << ae << view << expected; };
        const QString block =
            "    환자 번호 : [P1]\r\n    환자 번호 : [P2]\r\n<2019-09-16 14:01:19> : 3 (Success)\r\n\r\n";
        const QStringList mr = association("MR01", "ISO_IR 100", "VMWL_KK_MR01", {"P1", "P2"});
        row("two view lines before the responses", {file(mr)}, "MR01", "VMWL_KK_MR01", block);
        QStringList third = mr;
        third.insert(5, "a third line naming VMWL_KK_MR01");
        row("a third view line stops the listing", {file(third)}, "MR01", "VMWL_KK_MR01", "    환자 번호 : [P1]\r\n");
        row("another device", {file(mr)}, "CT01", "VMWL_KK_MR01", "");
        row("MR01 finds MR012", {file(association("MR012", "X", "VMWL_KK_MR01", {"P1", "P2"}))}, "MR01", "VMWL_KK_MR01",
            block);
        row("two associations", {file(mr + QStringList{"x"} + mr)}, "MR01", "VMWL_KK_MR01", block + block);
        row("calling line after an end is not examined", {file(QStringList{fmt::endLine(at(0))} + mr)}, "MR01",
            "VMWL_KK_MR01", "");
        row("across files", {file(mr.mid(0, 3)), file(mr.mid(3))}, "MR01", "VMWL_KK_MR01", block);
        row("empty AE title: every device", {file(mr)}, "", "VMWL_KK_MR01", block);
        // With no view every non-empty examined line names it, the calling line
        // included: only the line right after it can be listed.
        const QString p9 = fmt::line(at(1), fmt::element("(0010,0020)", "LO", "[P9]", 2, 1, "PatientID"));
        row("empty view name", {file({fmt::callingLine(at(1), "MR01"), p9, "", p9, fmt::endLine(at(1))})}, "MR01", "",
            "    환자 번호 : [P9]\r\n");
        row("nothing found", {file({"a", "b"})}, "MR01", "V", "");
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
                QVERIFY2(actual == expected,
                         qPrintable(QStringLiteral("block %1, every line %2").arg(block).arg(everyLine)));
            }
        }
    }

    void randomLogs()
    {
        QRandomGenerator random(7);
        const QList<QByteArray> pieces{"MARK", "END", "x", "yy ", "\r\n", "\r", "\n", "MA", "RK", "E", "ND", "한글"};
        const QList<QByteArray> markers{"MARK", "END"};
        for (int round = 0; round < 300; ++round) {
            QList<QByteArray> files;
            const int fileCount = 1 + int(random.bounded(3));
            for (int f = 0; f < fileCount; ++f) {
                QByteArray file;
                const int n = int(random.bounded(40));
                for (int i = 0; i < n; ++i)
                    file += pieces.at(int(random.bounded(pieces.size())));
                files.append(file);
            }
            const qint64 block = 1 + random.bounded(16);
            for (bool everyLine : {false, true}) {
                QVERIFY2(testsupport::streamedLines(files, markers, everyLine, block) ==
                             testsupport::referenceLines(files, markers, everyLine),
                         qPrintable(QStringLiteral("round %1 block %2").arg(round).arg(block)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestLogReaders)
#include "test_log_readers.moc"

#include "gatewaylog/marked_lines.h"
#include "platform/text_file.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QTest>

// The streaming reader against a plain reference: split every file into lines,
// number them across files, hand over the marked ones.
class TestMarkedLines : public QObject
{
    Q_OBJECT

    struct Seen
    {
        QByteArray line;
        bool adjacent;
        quint32 found;
        bool operator==(const Seen &o) const { return line == o.line && adjacent == o.adjacent && found == o.found; }
    };

    static QList<Seen> reference(const QList<QByteArray> &files, const QList<QByteArray> &markers, bool everyLine)
    {
        QList<Seen> seen;
        qint64 number = 0;
        qint64 last = -2;
        for (const QByteArray &file : files) {
            for (const QByteArray &line : platform::splitLines(file)) {
                quint32 found = 0;
                for (int i = 0; i < markers.size(); ++i) {
                    if (!markers[i].isEmpty() && line.contains(markers[i]))
                        found |= 1u << i;
                }
                if (found || everyLine) {
                    seen.append({line, number == last + 1, found});
                    last = number;
                }
                ++number;
            }
        }
        return seen;
    }

    static QList<Seen> streamed(const QList<QByteArray> &files, const QList<QByteArray> &markers, bool everyLine,
                                qint64 block)
    {
        QList<Seen> seen;
        gatewaylog::MarkedLineReader reader(markers, everyLine, block);
        for (QByteArray file : files) {
            QBuffer device(&file);
            device.open(QIODevice::ReadOnly);
            reader.read(device, [&](QByteArrayView line, bool adjacent, quint32 found) {
                seen.append({line.toByteArray(), adjacent, found});
            });
        }
        return seen;
    }

private Q_SLOTS:
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
        const QList<QByteArray> markers{"MARK", "END", ""};
        for (bool everyLine : {false, true}) {
            const QList<Seen> expected = reference(files, markers, everyLine);
            for (qint64 block : {1, 2, 3, 5, 8, 4096}) {
                const QList<Seen> actual = streamed(files, markers, everyLine, block);
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
                QVERIFY2(streamed(files, markers, everyLine, block) == reference(files, markers, everyLine),
                         qPrintable(QStringLiteral("round %1 block %2").arg(round).arg(block)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestMarkedLines)
#include "test_marked_lines.moc"

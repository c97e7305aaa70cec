#include "support/marked_lines_reference.h"

#include <QRandomGenerator>
#include <QTest>

class TestMarkedLines : public QObject
{
    Q_OBJECT

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

QTEST_GUILESS_MAIN(TestMarkedLines)
#include "test_marked_lines.moc"

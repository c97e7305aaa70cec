#include "support/app_harness.h"

#include "app/app_style.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QTest>

using namespace Qt::StringLiterals;

// The windows against the layout tables: every control's kind, caption,
// position, tab order, hidden, disabled and checked state, and font.
class TestFormLayout : public QObject
{
    Q_OBJECT

    struct Row
    {
        QString form, name, kind, caption;
        int left, top, width, height, tab;
        bool hidden, disabled, checked;
        double fontPt;
        bool bold;
    };

    QList<Row> m_rows;
    std::unique_ptr<AppHarness> m_app;

    QWidget *widget(const Row &row)
    {
        QWidget *form = row.form == QLatin1String("Form1") ? static_cast<QWidget *>(&m_app->form())
                                                           : static_cast<QWidget *>(&m_app->loginDialog());
        return form->findChild<QWidget *>(row.name, Qt::FindDirectChildrenOnly);
    }

    static int px(int twips) { return qRound(twips / 15.0); }

    // Whether the caption, in the font the style draws it in, shows whole in the
    // part of the control the style gives it, at a size that can still be read.
    static bool captionFits(QWidget *w, const QString &caption)
    {
        QRect rect = w->contentsRect();
        int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic;
        if (auto *label = qobject_cast<QLabel *>(w)) {
            flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
        } else if (auto *button = qobject_cast<QAbstractButton *>(w)) {
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = caption;
            if (qobject_cast<QPushButton *>(w)) {
                rect = w->style()->subElementRect(QStyle::SE_PushButtonContents, &option, w).adjusted(2, 1, -2, -1);
                flags = Qt::AlignCenter | Qt::TextShowMnemonic |
                        (caption.contains(QLatin1Char(' ')) ? Qt::TextWordWrap : Qt::TextWrapAnywhere);
            } else {
                const bool check = qobject_cast<QCheckBox *>(w);
                rect = w->style()->subElementRect(check ? QStyle::SE_CheckBoxContents : QStyle::SE_RadioButtonContents,
                                                  &option, w);
            }
        }
        const QFont font = AppStyle::captionFont(w->font(), caption, rect, flags);
        return AppStyle::fits(font, caption, rect, flags) && QFontInfo(font).pointSizeF() >= 6.5;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QFile table(TestSite::testData(u"form1_layout.tsv"_s));
        QVERIFY(table.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(table.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (const QString &line : lines.mid(1)) {
            const QStringList f = line.split(QLatin1Char('\t'));
            QCOMPARE(f.size(), 14);
            m_rows.append(Row{f[0], f[1], f[2], f[3], f[4].toInt(), f[5].toInt(), f[6].toInt(), f[7].toInt(),
                              f[8].isEmpty() ? -1 : f[8].toInt(), f[9] == u"1"_s, f[10] == u"1"_s, f[11] == u"1"_s,
                              f[12].isEmpty() ? 0.0 : f[12].toDouble(), f[13] == u"1"_s});
        }
        QCOMPARE(m_rows.size(), 82);
        m_app = std::make_unique<AppHarness>();
    }

    void control_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < m_rows.size(); ++i)
            QTest::newRow(qPrintable(m_rows[i].form + u'.' + m_rows[i].name)) << i;
    }

    void control()
    {
        QFETCH(int, index);
        const Row &row = m_rows.at(index);
        QWidget *w = widget(row);
        QVERIFY2(w, "no such control");

        QCOMPARE(m_app->control(row.name).value(u"kind"_s).toString(), row.kind);
        QCOMPARE(w->geometry(), QRect(px(row.left), px(row.top), px(row.width), px(row.height)));
        QCOMPARE(w->isHidden(), row.hidden);
        QCOMPARE(!w->isEnabled(), row.disabled);

        if (auto *label = qobject_cast<QLabel *>(w))
            QCOMPARE(label->text(), row.caption);
        else if (auto *button = qobject_cast<QAbstractButton *>(w)) {
            QCOMPARE(button->text(), row.caption);
            QCOMPARE(button->isChecked(), row.checked);
        } else if (auto *line = qobject_cast<QLineEdit *>(w))
            QCOMPARE(line->text(), row.caption);
        else if (auto *plain = qobject_cast<QPlainTextEdit *>(w)) {
            QCOMPARE(plain->toPlainText(), row.caption);
            QCOMPARE(plain->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        } else if (auto *combo = qobject_cast<QComboBox *>(w)) {
            QCOMPARE(combo->currentText(), row.caption);
            QVERIFY(combo->isEditable());
        } else if (auto *list = qobject_cast<QListWidget *>(w)) { // the account lists take several
            const bool several = row.name == u"List1"_s || row.name == u"List4"_s;
            QCOMPARE(list->selectionMode(),
                     several ? QAbstractItemView::MultiSelection : QAbstractItemView::SingleSelection);
        }

        if (!row.hidden && !row.caption.isEmpty() && (qobject_cast<QLabel *>(w) || qobject_cast<QAbstractButton *>(w)))
            QVERIFY2(captionFits(w, row.caption), qPrintable(row.caption));

        if (row.fontPt > 0) {
            QCOMPARE(w->font().family(), u"굴림"_s);
            QCOMPARE(w->font().pointSizeF(), row.fontPt);
            QCOMPARE(w->font().bold(), row.bold);
        }
    }

    void tabOrder_data()
    {
        QTest::addColumn<QString>("form");
        for (const char *form : {"Form1", "frmLogin"})
            QTest::newRow(form) << QString::fromLatin1(form);
    }

    void tabOrder()
    {
        QFETCH(QString, form);
        QList<Row> focusable;
        for (const Row &row : std::as_const(m_rows)) {
            if (row.form == form && row.tab >= 0 && (widget(row)->focusPolicy() & Qt::TabFocus))
                focusable.append(row);
        }
        std::sort(focusable.begin(), focusable.end(), [](const Row &a, const Row &b) { return a.tab < b.tab; });
        QStringList expected;
        for (const Row &row : focusable)
            expected.append(row.name);

        QStringList chain;
        QWidget *start = widget(focusable.first());
        QWidget *w = start;
        do {
            if (expected.contains(w->objectName()) && !chain.contains(w->objectName()))
                chain.append(w->objectName());
            w = w->nextInFocusChain();
        } while (w != start);
        QCOMPARE(chain, expected);
    }

    void hiddenControlsStayHiddenWhenEnlarged()
    {
        QCOMPARE(m_app->form().size(), QSize(px(10785), px(9510)));
        m_app->login();
        m_app->form().resize(1600, 1000);
        QCoreApplication::processEvents();
        for (const Row &row : std::as_const(m_rows))
            QVERIFY2(row.form != u"Form1"_s || widget(row)->isVisible() != row.hidden, qPrintable(row.name));
        QCOMPARE(m_app->form().windowTitle(), u"KALDEN-Z 설정 Tool - 23.06.02"_s);
        QCOMPARE(m_app->loginDialog().windowTitle(), u"로그인"_s);
    }
};

QTEST_MAIN(TestFormLayout)
#include "test_form_layout.moc"

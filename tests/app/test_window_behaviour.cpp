#include "support/window_checks.h"

#include "app/qt_message_boxes.h"

#include <QAbstractButton>

#include <QTest>

using namespace Qt::StringLiterals;

// The window's own behaviour: hover hints, the Enter path through the
// builder's fields, the station AE following the AE title, its edit switch.
class TestWindowBehaviour : public QObject
{
    Q_OBJECT

    std::unique_ptr<AppHarness> m_app;

    QString hint() const { return m_app->text(u"Label3"_s); }
    QString focus() const { return m_app->state().value(u"focus"_s).toString(); }

private Q_SLOTS:
    void init() { m_app = std::make_unique<AppHarness>(AppHarness::LoggedIn); }

    void cleanup() { m_app.reset(); }

    void hints_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("expected");
        const auto rows = [](const QString &hint, std::initializer_list<const char *> controls) {
            for (const char *control : controls)
                QTest::newRow(control) << QString::fromLatin1(control) << hint;
        };
        rows(u"기본 ISO_IR 100 설정 \r\nFCR 경우 한글 설정 및 Character_set : '\\ISO 2022 IR 149', 일부 FCR 장비는 "
             "Station Ae : FCR-CSL, Modality : CR 입력 필요"_s,
             {"Label2"});
        rows(u"장비에서 Worklist 요청 시 SCHEDULED_STATION_AETITLE 값이 있을 경우 사용"_s, {"Label4", "Text5"});
        rows(u"장비 Ae Title 입력\r\nAe Title 모를경우 Worklist Log 강화 후 확인 가능"_s, {"Label7", "Text2"});
        rows(u"PACS처방은 CR, 장비는 DX 요청     : DX <- CR\r\n"
             "PACS처방은 CR, 장비도 CR 요청     :      <- CR\r\n"
             "PACS처방은 CR,RF, 장비는 DX 요청 : DX <- CR,RF\r\n"
             "장비는 모든 처방을 받고 CR,RF 만 받고 싶을경우:    <- CR,RF\r\n"_s,
             {"Label8", "Text3", "Text6"});
        rows(u"특정 장비에서 Che001 사용자 코드만 필요한 경우 Che001 입력\r\n두개 이상일경우 ,로 구분 Che001, Che002"_s,
             {"Label9", "Text4"});
        rows(u"장비 Worklist에서 한글 표시 여부 설정"_s, {"Label13"});
    }

    void hints()
    {
        QFETCH(QString, control);
        QFETCH(QString, expected);
        m_app->act(u"click Check3\nhover "_s + control); // Check3 lets the station AE take the mouse
        QCOMPARE(hint(), expected);
        // Controls without a hint leave it; the bare window clears it.
        for (const char *other : {"Command6", "Check4", "Combo2", "List2", "Label6", "Label10", "Text8"}) {
            m_app->act(u"hover "_s + QLatin1String(other));
            QCOMPARE(hint(), expected);
        }
        m_app->act(u"hover Form1"_s);
        QCOMPARE(hint(), QString());
    }

    // Enter moves along the builder's fields; in a combo box it does nothing at
    // all: no item is added or picked, and the text stays exactly as typed.
    void enterKey_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("to");
        QTest::newRow("AE title") << u"Text2"_s << QString() << u"Text3"_s;
        QTest::newRow("station AE") << u"Text5"_s << QString() << u"Text6"_s;
        QTest::newRow("device modality") << u"Text6"_s << QString() << u"Text3"_s;
        QTest::newRow("order modalities") << u"Text3"_s << QString() << u"Text4"_s;
        QTest::newRow("user codes") << u"Text4"_s << QString() << u"Command6"_s;
        QTest::newRow("account, other case") << u"Combo1"_s << u"2 | PACSADM | PACS관리자| 500"_s << u"Combo1"_s;
        QTest::newRow("charset, other case") << u"Combo2"_s << u"iso_ir 100"_s << u"Combo2"_s;
        QTest::newRow("charset, new text") << u"Combo2"_s << u"ISO_IR 13"_s << u"Combo2"_s;
        QTest::newRow("kind caption") << u"Combo3"_s << u"영문이름 / 검사명영문(기초자료)"_s << u"Combo3"_s;
    }

    void enterKey()
    {
        QFETCH(QString, from);
        QFETCH(QString, typed);
        QFETCH(QString, to);
        m_app->act(u"click Check3"_s); // so that the station AE can take the focus
        if (!typed.isEmpty())
            m_app->act(u"type %1 %2"_s.arg(from, typed));
        const QStringList items = m_app->items(from);
        const QJsonObject cut = m_app->control(u"Check11"_s);
        const qsizetype statements = m_app->state().value(u"statements"_s).toArray().size();
        m_app->act(u"press %1 Enter"_s.arg(from));
        QCOMPARE(focus(), to);
        QVERIFY(m_app->messages().isEmpty());
        QCOMPARE(m_app->items(from), items);
        if (!typed.isEmpty())
            QCOMPARE(m_app->text(from), typed);
        QCOMPARE(m_app->control(u"Check11"_s), cut);
        QCOMPARE(m_app->state().value(u"statements"_s).toArray().size(), statements);
    }

    // The focus arriving in a list box, by Tab, Shift+Tab or from code, makes no
    // choice: no field changes, no statement runs, no item becomes current. Keys
    // that move the current item of List2 are a choice: that view is read back.
    void listFocusAndKeys_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("action");
        // The view read back, counted from the end if negative; none for no choice at all.
        QTest::addColumn<int>("readBack");
        const int none = std::numeric_limits<int>::min();
        QTest::newRow("List2 by Tab") << u"List2"_s << u"press Command6 Tab"_s << none;
        QTest::newRow("List2 by Shift+Tab") << u"List2"_s << u"press Command7 Shift+Tab"_s << none;
        QTest::newRow("List2 from code") << u"List2"_s << u"focus List2"_s << none;
        QTest::newRow("List3 by Tab") << u"List3"_s << u"press Text8 Tab"_s << none;
        QTest::newRow("List3 by Shift+Tab") << u"List3"_s << u"press Command3 Shift+Tab"_s << none;
        QTest::newRow("List1 by Tab") << u"List1"_s << u"press Combo1 Tab"_s << none;
        QTest::newRow("List1 by Shift+Tab") << u"List1"_s << u"press Command8 Shift+Tab"_s << none;
        QTest::newRow("List4 by Tab") << u"List4"_s << u"press Command14 Tab"_s << none;
        QTest::newRow("List4 by Shift+Tab") << u"List4"_s << u"press Check5 Shift+Tab"_s << none;
        QTest::newRow("Down") << u"List2"_s << u"focus List2\npress List2 Down"_s << 0;
        QTest::newRow("End") << u"List2"_s << u"focus List2\npress List2 End"_s << -1;
        QTest::newRow("End, Home") << u"List2"_s << u"focus List2\npress List2 End\npress List2 Home"_s << 0;
        QTest::newRow("End, Up") << u"List2"_s << u"focus List2\npress List2 End\npress List2 Up"_s << -2;
        QTest::newRow("a letter") << u"List2"_s << u"focus List2\npress List2 v"_s << 0;
    }

    void listFocusAndKeys()
    {
        QFETCH(QString, list);
        QFETCH(QString, action);
        QFETCH(int, readBack);
        // Every list filled: List2 with two more views, List3 with the scanned
        // entries, List4 with the account's groups; the fields unlike any view's.
        m_app->act(u"type Text2 CT1\nclick Command6\ntype Text2 CT2\nclick Command6\nclick Command7\npick Combo1 10\n"
                   "type Text2 CT9\ntype Text3 CR\npick Combo3 0"_s);
        const QStringList views = m_app->items(u"List2"_s);
        QVERIFY(views.size() >= 3 && !m_app->items(list).isEmpty());
        const QJsonObject before = m_app->state();
        m_app->act(action);
        const QJsonObject after = m_app->state();
        QCOMPARE(after.value(u"focus"_s).toString(), list);
        if (readBack != std::numeric_limits<int>::min()) {
            const QString expected = views.at(readBack < 0 ? views.size() + readBack : readBack);
            QCOMPARE(m_app->text(u"Text11"_s), expected);
            if (expected != QLatin1String("VMWL"))
                QVERIFY(checks::statements(*m_app).contains(u"SP_HELPTEXT "_s + expected));
            return;
        }
        QCOMPARE(after.value(u"statements"_s), before.value(u"statements"_s));
        QCOMPARE(after.value(u"messages"_s), before.value(u"messages"_s));
        QCOMPARE(after.value(u"controls"_s), before.value(u"controls"_s));
        QCOMPARE(m_app->control(list).value(u"index"_s).toInt(), -1);
    }

    // A refused statement: one short Korean sentence naming the operation and
    // the view; the server's text and the statement only under the details.
    void failedStatementIsToldShortly()
    {
        m_app->act(u"type Text11 VMWL_NOPE\nclick Command2"_s);
        const QJsonObject shown = m_app->messages().last().toObject();
        const QString text = shown.value(u"text"_s).toString();
        QVERIFY2(text.startsWith(u"처방조회: VMWL_NOPE "_s), qPrintable(text));
        QVERIFY(!text.contains(QLatin1String("Select")) && !text.contains(QLatin1Char('\n')));
        const QString detail = shown.value(u"detail"_s).toString();
        const QString statement = m_app->state().value(u"statements"_s).toArray().last().toString();
        QVERIFY(detail.contains(statement) && detail.contains(QLatin1String("VMWL_NOPE")));
    }

    void messageBoxesSpeakKorean()
    {
        QVERIFY(installKoreanTranslation(*QCoreApplication::instance()));
        const QString title = QString::fromUtf16(kAppTitle);
        const auto question = QtMessageBoxes::make(u"?"_s, title, platform::MessageButtons::YesNo, {});
        QVERIFY(question->button(QMessageBox::Yes)->text().startsWith(u"예"_s));
        QVERIFY(question->button(QMessageBox::No)->text().startsWith(u"아니요"_s));
        const auto failure = QtMessageBoxes::make(u"!"_s, title, platform::MessageButtons::Ok, u"server\n\nSelect 1"_s);
        QVERIFY(failure->button(QMessageBox::Ok)->text().startsWith(u"확인"_s));
        QCOMPARE(failure->detailedText(), u"server\n\nSelect 1"_s);
        // The short text makes no narrow box that would cut the title.
        QVERIFY(failure->sizeHint().width() > QFontMetrics(failure->font()).horizontalAdvance(title) + 100);
    }

    // The station AE copies the AE title when that is left, even over what was
    // typed; only while Check3 is on can it be typed into or show its hint.
    void stationAe()
    {
        m_app->act(u"type Text2 ct-1"_s);
        QCOMPARE(m_app->text(u"Text5"_s), QString());
        m_app->act(u"focus Text4"_s);
        QCOMPARE(m_app->text(u"Text5"_s), u"ct-1"_s);
        QVERIFY(!checks::enabled(*m_app, u"Text5"_s));
        m_app->act(u"focus Text5\nhover Label8\nhover Text5"_s);
        QVERIFY(focus() != u"Text5"_s);
        QVERIFY(hint().startsWith(u"PACS처방은"_s));

        m_app->act(u"click Check3\ntype Text5 FCR-CSL\nfocus Text2\nclick Check9"_s);
        QCOMPARE(m_app->text(u"Text5"_s), u"ct-1"_s);
        m_app->act(u"click Check3"_s);
        QVERIFY(!checks::enabled(*m_app, u"Text5"_s));
    }
};

QTEST_MAIN(TestWindowBehaviour)
#include "test_window_behaviour.moc"

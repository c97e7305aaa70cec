#include "support/app_harness.h"

#include "app/qt_message_boxes.h"

#include <QAbstractButton>

#include <QTest>

// The window's own behaviour: hover hints, the Enter path through the
// builder's fields, the station AE following the AE title, its edit switch.
class TestWindowBehaviour : public QObject
{
    Q_OBJECT

    std::unique_ptr<AppHarness> m_app;

    QString hint() const { return m_app->text(QStringLiteral("Label3")); }
    QString focus() const { return m_app->state().value(QStringLiteral("focus")).toString(); }

private Q_SLOTS:
    void init()
    {
        m_app = std::make_unique<AppHarness>();
        m_app->login();
    }

    void cleanup() { m_app.reset(); }

    void hints_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("expected");
        const QString modality = QStringLiteral("PACS처방은 CR, 장비는 DX 요청     : DX <- CR\r\n"
                                                "PACS처방은 CR, 장비도 CR 요청     :      <- CR\r\n"
                                                "PACS처방은 CR,RF, 장비는 DX 요청 : DX <- CR,RF\r\n"
                                                "장비는 모든 처방을 받고 CR,RF 만 받고 싶을경우:    <- CR,RF\r\n");
        const QString ae = QStringLiteral("장비 Ae Title 입력\r\nAe Title 모를경우 Worklist Log 강화 후 확인 가능");
        const QString codes = QStringLiteral("특정 장비에서 Che001 사용자 코드만 필요한 경우 Che001 입력\r\n"
                                             "두개 이상일경우 ,로 구분 Che001, Che002");
        QTest::newRow("Label2") << "Label2"
                                << QStringLiteral("기본 ISO_IR 100 설정 \r\nFCR 경우 한글 설정 및 Character_set : "
                                                  "'\\ISO 2022 IR 149', 일부 FCR 장비는 Station Ae : FCR-CSL, "
                                                  "Modality : CR 입력 필요");
        QTest::newRow("Label4") << "Label4"
                                << QStringLiteral(
                                       "장비에서 Worklist 요청 시 SCHEDULED_STATION_AETITLE 값이 있을 경우 사용");
        QTest::newRow("Label7") << "Label7" << ae;
        QTest::newRow("Text2") << "Text2" << ae;
        QTest::newRow("Label8") << "Label8" << modality;
        QTest::newRow("Text3") << "Text3" << modality;
        QTest::newRow("Text6") << "Text6" << modality;
        QTest::newRow("Label9") << "Label9" << codes;
        QTest::newRow("Text4") << "Text4" << codes;
        QTest::newRow("Label13") << "Label13" << QStringLiteral("장비 Worklist에서 한글 표시 여부 설정");
    }

    void hints()
    {
        QFETCH(QString, control);
        QFETCH(QString, expected);
        m_app->act(QStringLiteral("hover ") + control);
        QCOMPARE(hint(), expected);
        // Controls without a hint leave it; the bare window clears it.
        for (const char *other : {"Command6", "Check4", "Combo2", "List2", "Label6", "Label10", "Text8"}) {
            m_app->act(QStringLiteral("hover ") + QLatin1String(other));
            QCOMPARE(hint(), expected);
        }
        m_app->act(QStringLiteral("hover Form1"));
        QCOMPARE(hint(), QString());
    }

    // Enter moves along the builder's fields; in a combo box it does nothing at
    // all: no item is added or picked, and the text stays exactly as typed.
    void enterKey_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("to");
        QTest::newRow("AE title") << QStringLiteral("Text2") << QString() << QStringLiteral("Text3");
        QTest::newRow("station AE") << QStringLiteral("Text5") << QString() << QStringLiteral("Text6");
        QTest::newRow("device modality") << QStringLiteral("Text6") << QString() << QStringLiteral("Text3");
        QTest::newRow("order modalities") << QStringLiteral("Text3") << QString() << QStringLiteral("Text4");
        QTest::newRow("user codes") << QStringLiteral("Text4") << QString() << QStringLiteral("Command6");
        QTest::newRow("account, other case")
            << QStringLiteral("Combo1") << QStringLiteral("2 | PACSADM | PACS관리자| 500") << QStringLiteral("Combo1");
        QTest::newRow("charset, other case")
            << QStringLiteral("Combo2") << QStringLiteral("iso_ir 100") << QStringLiteral("Combo2");
        QTest::newRow("charset, new text")
            << QStringLiteral("Combo2") << QStringLiteral("ISO_IR 13") << QStringLiteral("Combo2");
        QTest::newRow("kind caption") << QStringLiteral("Combo3") << QStringLiteral("영문이름 / 검사명영문(기초자료)")
                                      << QStringLiteral("Combo3");
    }

    void enterKey()
    {
        QFETCH(QString, from);
        QFETCH(QString, typed);
        QFETCH(QString, to);
        m_app->act(QStringLiteral("click Check3")); // so that the station AE can take the focus
        if (!typed.isEmpty())
            m_app->act(QStringLiteral("type %1 %2").arg(from, typed));
        const QStringList items = m_app->items(from);
        const QJsonObject cut = m_app->control(QStringLiteral("Check11"));
        const qsizetype statements = m_app->state().value(QStringLiteral("statements")).toArray().size();
        m_app->act(QStringLiteral("press %1 Enter").arg(from));
        QCOMPARE(focus(), to);
        QVERIFY(m_app->messages().isEmpty());
        QCOMPARE(m_app->items(from), items);
        if (!typed.isEmpty())
            QCOMPARE(m_app->text(from), typed);
        QCOMPARE(m_app->control(QStringLiteral("Check11")), cut);
        QCOMPARE(m_app->state().value(QStringLiteral("statements")).toArray().size(), statements);
    }

    // The focus arriving in a list box, by Tab, Shift+Tab or from code, makes no
    // choice: no field changes, no statement runs, no item becomes current.
    void focusIntoAListChangesNothing_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("action");
        QTest::newRow("List2 by Tab") << QStringLiteral("List2") << QStringLiteral("press Command6 Tab");
        QTest::newRow("List2 by Shift+Tab") << QStringLiteral("List2") << QStringLiteral("press Command7 Shift+Tab");
        QTest::newRow("List2 from code") << QStringLiteral("List2") << QStringLiteral("focus List2");
        QTest::newRow("List3 by Tab") << QStringLiteral("List3") << QStringLiteral("press Text8 Tab");
        QTest::newRow("List3 by Shift+Tab") << QStringLiteral("List3") << QStringLiteral("press Command3 Shift+Tab");
        QTest::newRow("List1 by Tab") << QStringLiteral("List1") << QStringLiteral("press Combo1 Tab");
        QTest::newRow("List1 by Shift+Tab") << QStringLiteral("List1") << QStringLiteral("press Command8 Shift+Tab");
        QTest::newRow("List4 by Tab") << QStringLiteral("List4") << QStringLiteral("press Command14 Tab");
        QTest::newRow("List4 by Shift+Tab") << QStringLiteral("List4") << QStringLiteral("press Check5 Shift+Tab");
    }

    void focusIntoAListChangesNothing()
    {
        QFETCH(QString, list);
        QFETCH(QString, action);
        m_app->act(QStringLiteral("click Command7")); // List3 gets the scanned entries
        m_app->act(QStringLiteral("pick Combo1 10")); // List4 gets the account's groups
        m_app->act(QStringLiteral("type Text2 CT9"));
        m_app->act(QStringLiteral("type Text3 CR"));
        m_app->act(QStringLiteral("pick Combo3 0"));
        QVERIFY(!m_app->items(list).isEmpty());
        const QJsonObject before = m_app->state();
        m_app->act(action);
        const QJsonObject after = m_app->state();
        QCOMPARE(after.value(QStringLiteral("focus")).toString(), list);
        QCOMPARE(after.value(QStringLiteral("statements")), before.value(QStringLiteral("statements")));
        QCOMPARE(after.value(QStringLiteral("messages")), before.value(QStringLiteral("messages")));
        QCOMPARE(after.value(QStringLiteral("controls")), before.value(QStringLiteral("controls")));
        QCOMPARE(m_app->control(list).value(QStringLiteral("index")).toInt(), -1);
    }

    // Keys that move the current item of List2 are a choice: the view is read back.
    void keysInTheViewListReadItBack_data()
    {
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<int>("row");
        QTest::newRow("Down") << QStringList{QStringLiteral("Down")} << 0;
        QTest::newRow("End") << QStringList{QStringLiteral("End")} << -1;
        QTest::newRow("End, Home") << QStringList{QStringLiteral("End"), QStringLiteral("Home")} << 0;
        QTest::newRow("End, Up") << QStringList{QStringLiteral("End"), QStringLiteral("Up")} << -2;
        QTest::newRow("a letter") << QStringList{QStringLiteral("v")} << 0;
    }

    void keysInTheViewListReadItBack()
    {
        QFETCH(QStringList, keys);
        QFETCH(int, row);
        for (const char *title : {"CT1", "CT2"}) {
            m_app->act(QStringLiteral("type Text2 ") + QLatin1String(title));
            m_app->act(QStringLiteral("click Command6"));
        }
        const QStringList views = m_app->items(QStringLiteral("List2"));
        QVERIFY(views.size() >= 3);
        const QString expected = views.at(row < 0 ? views.size() + row : row);
        m_app->act(QStringLiteral("focus List2"));
        for (const QString &key : keys)
            m_app->act(QStringLiteral("press List2 ") + key);
        QCOMPARE(m_app->text(QStringLiteral("Text11")), expected);
        const QJsonArray statements = m_app->state().value(QStringLiteral("statements")).toArray();
        if (expected != QLatin1String("VMWL"))
            QVERIFY(statements.contains(QJsonValue(QStringLiteral("SP_HELPTEXT ") + expected)));
    }

    // A refused statement: one short Korean sentence naming the operation and
    // the view; the server's text and the statement only under the details.
    void failedStatementIsToldShortly()
    {
        m_app->act(QStringLiteral("type Text11 VMWL_NOPE"));
        m_app->act(QStringLiteral("click Command2"));
        const QJsonObject shown = m_app->messages().last().toObject();
        const QString text = shown.value(QStringLiteral("text")).toString();
        QVERIFY2(text.startsWith(QStringLiteral("처방조회: VMWL_NOPE ")), qPrintable(text));
        QVERIFY(!text.contains(QLatin1String("Select")) && !text.contains(QLatin1Char('\n')));
        const QString detail = shown.value(QStringLiteral("detail")).toString();
        const QString statement = m_app->state().value(QStringLiteral("statements")).toArray().last().toString();
        QVERIFY(detail.contains(statement) && detail.contains(QLatin1String("VMWL_NOPE")));
    }

    void messageBoxesSpeakKorean()
    {
        QVERIFY(installKoreanTranslation(*QCoreApplication::instance()));
        const QString title = QString::fromUtf16(kAppTitle);
        const auto question = QtMessageBoxes::make(QStringLiteral("?"), title, platform::MessageButtons::YesNo, {});
        QVERIFY(question->button(QMessageBox::Yes)->text().startsWith(QStringLiteral("예")));
        QVERIFY(question->button(QMessageBox::No)->text().startsWith(QStringLiteral("아니요")));
        const auto failure = QtMessageBoxes::make(QStringLiteral("!"), title, platform::MessageButtons::Ok,
                                                  QStringLiteral("server\n\nSelect 1"));
        QVERIFY(failure->button(QMessageBox::Ok)->text().startsWith(QStringLiteral("확인")));
        QCOMPARE(failure->detailedText(), QStringLiteral("server\n\nSelect 1"));
        // The short text makes no narrow box that would cut the title.
        QVERIFY(failure->sizeHint().width() > QFontMetrics(failure->font()).horizontalAdvance(title) + 100);
    }

    // The station AE copies the AE title when that is left, even over what was
    // typed; only while Check3 is on can it be typed into, with a hint of its own.
    void stationAe()
    {
        const auto enabled = [&] {
            return m_app->control(QStringLiteral("Text5")).value(QStringLiteral("enabled")).toBool();
        };
        m_app->act(QStringLiteral("type Text2 ct-1"));
        QCOMPARE(m_app->text(QStringLiteral("Text5")), QString());
        m_app->act(QStringLiteral("focus Text4"));
        QCOMPARE(m_app->text(QStringLiteral("Text5")), QStringLiteral("ct-1"));
        QVERIFY(!enabled());
        m_app->act(QStringLiteral("focus Text5"));
        QVERIFY(focus() != QStringLiteral("Text5"));
        m_app->act(QStringLiteral("hover Label8"));
        m_app->act(QStringLiteral("hover Text5"));
        QVERIFY(hint().startsWith(QStringLiteral("PACS처방은")));

        m_app->act(QStringLiteral("click Check3"));
        QVERIFY(enabled());
        m_app->act(QStringLiteral("hover Text5"));
        QCOMPARE(hint(), QStringLiteral("장비에서 Worklist 요청 시 SCHEDULED_STATION_AETITLE 값이 있을 경우 사용"));
        m_app->act(QStringLiteral("type Text5 FCR-CSL"));
        m_app->act(QStringLiteral("focus Text2"));
        m_app->act(QStringLiteral("click Check9"));
        QCOMPARE(m_app->text(QStringLiteral("Text5")), QStringLiteral("ct-1"));
        m_app->act(QStringLiteral("click Check3"));
        QVERIFY(!enabled());
    }
};

QTEST_MAIN(TestWindowBehaviour)
#include "test_window_behaviour.moc"

#include "support/app_harness.h"

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

    void stationAeHintOnlyWhileEnabled()
    {
        m_app->act(QStringLiteral("hover Label8"));
        m_app->act(QStringLiteral("hover Text5"));
        QVERIFY(hint().startsWith(QStringLiteral("PACS처방은")));
        m_app->act(QStringLiteral("click Check3"));
        m_app->act(QStringLiteral("hover Text5"));
        QCOMPARE(hint(), QStringLiteral("장비에서 Worklist 요청 시 SCHEDULED_STATION_AETITLE 값이 있을 경우 사용"));
    }

    void enterPath_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::newRow("AE title") << "Text2"
                                  << "Text3";
        QTest::newRow("station AE") << "Text5"
                                    << "Text6";
        QTest::newRow("device modality") << "Text6"
                                         << "Text3";
        QTest::newRow("order modalities") << "Text3"
                                          << "Text4";
        QTest::newRow("user codes") << "Text4"
                                    << "Command6";
    }

    void enterPath()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        m_app->act(QStringLiteral("click Check3")); // so that the station AE can take the focus
        m_app->act(QStringLiteral("key ") + from + QStringLiteral(" Enter"));
        QCOMPARE(focus(), to);
        QVERIFY(m_app->messages().isEmpty());
        QVERIFY(m_app->items(QStringLiteral("List2")).contains(QStringLiteral("VMWL")));
    }

    void stationAeFollowsTheAeTitle()
    {
        m_app->act(QStringLiteral("type Text2 ct-1"));
        QCOMPARE(m_app->text(QStringLiteral("Text5")), QString());
        m_app->act(QStringLiteral("focus Text4"));
        QCOMPARE(m_app->text(QStringLiteral("Text5")), QStringLiteral("ct-1"));

        // A station AE typed by hand is overwritten by the next visit to the AE title.
        m_app->act(QStringLiteral("click Check3"));
        m_app->act(QStringLiteral("type Text5 FCR-CSL"));
        m_app->act(QStringLiteral("focus Text2"));
        m_app->act(QStringLiteral("click Check9"));
        QCOMPARE(m_app->text(QStringLiteral("Text5")), QStringLiteral("ct-1"));
    }

    void checkThreeSwitchesTheStationAe()
    {
        QVERIFY(!m_app->control(QStringLiteral("Text5")).value(QStringLiteral("enabled")).toBool());
        m_app->act(QStringLiteral("click Check3"));
        QVERIFY(m_app->control(QStringLiteral("Text5")).value(QStringLiteral("enabled")).toBool());
        m_app->act(QStringLiteral("click Check3"));
        QVERIFY(!m_app->control(QStringLiteral("Text5")).value(QStringLiteral("enabled")).toBool());
        // The disabled field cannot be typed into.
        m_app->act(QStringLiteral("focus Text5"));
        QVERIFY(focus() != QStringLiteral("Text5"));
    }
};

QTEST_MAIN(TestWindowBehaviour)
#include "test_window_behaviour.moc"

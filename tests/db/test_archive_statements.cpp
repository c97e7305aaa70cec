#include "db/db_session.h"
#include "platform/error.h"

#include "support/test_site.h"

#include <QTest>

// Every statement text the tool sends, run against the demo archive as the
// tool sends it, and checked by its effect.
class TestArchiveStatements : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestSite> m_site;
    db::DbSession m_db;

    int count(const QString &sql) { return m_db.open(sql).recordCount(); }
    QString scalar(const QString &sql) { return m_db.queryScalar(sql); }

    // The device view of a registration: marker lines replaced, filters appended.
    static QString deviceView(const QString &verb, const QString &name)
    {
        return verb + QStringLiteral(" ") + name + QStringLiteral("(\r\n") +
               QStringLiteral(
                   " scheduled_station_aetitle, modality, patient_id, patient_name, specific_character_set,\r\n"
                   " scheduled_procedure_desc, requested_procedure_desc, SCHEDULED_CODE_MEANING, "
                   "REQUESTED_CODE_MEANING,\r\n"
                   " order_code, SCHEDULED_PROCEDURE_DATE, SCHEDULED_PROCEDURE_TIME\r\n"
                   ") AS\r\n"
                   "SELECT\r\n"
                   " 'CT01' AS scheduled_station_aetitle, \r\n"
                   " 'CT' AS modality, \r\n"
                   " p.PATIENT_ID AS patient_id,\r\n"
                   "'=' + p.PATIENT_NAME AS patient_name, \r\n"
                   " /* scheduled Procedure Step*/'\\ISO 2022 IR 149' AS specific_character_set, \r\n"
                   "Substring(VUR_TCOMMON.F_HANCONVERT(a.ORDER_NAME,1), 1, 18) AS scheduled_procedure_desc,\r\n"
                   "Substring(VUR_TCOMMON.F_HANCONVERT(a.ORDER_NAME,1), 1, 18) AS requested_procedure_desc,\r\n"
                   "Substring(VUR_TCOMMON.F_HANCONVERT(a.ORDER_NAME,1), 1, 18) AS SCHEDULED_CODE_MEANING,\r\n"
                   "Substring(VUR_TCOMMON.F_HANCONVERT(a.ORDER_NAME,1), 1, 18) AS REQUESTED_CODE_MEANING \r\n"
                   ", Replace(a.ORDER_CODE + '#', '8#' , '#8') AS order_code,\r\n"
                   " a.ORDER_DATE AS SCHEDULED_PROCEDURE_DATE,\r\n"
                   " a.ORDER_TIME AS SCHEDULED_PROCEDURE_TIME\r\n"
                   "FROM TORDER a, TPATIENT p\r\n"
                   "WHERE a.PATIENT_KEY = p.PATIENT_KEY\r\n"
                   "And a.Order_Modality IN ('CT','MR') \r\n"
                   "And a.Order_Code NOT IN ('Che001',' Che002') \r\n");
    }

    // An account of the demo archive that has settings rows, and one other.
    QPair<QString, QString> twoAccounts()
    {
        const QString source =
            scalar(QStringLiteral("Select top 1 USER_KEY From Tusersetting Where ITEM = 'WINDOW_POSITION' Order by 1"));
        const QString target = scalar(QStringLiteral("Select top 1 user_key From Tuser Where user_key <> ") + source +
                                      QStringLiteral(" Order by 1 Desc"));
        return {source, target};
    }

private Q_SLOTS:
    void init()
    {
        m_site = std::make_unique<TestSite>(QDate(2026, 12, 6));
        QVERIFY2(m_db.connect(m_site->dir(), m_site->today()), qPrintable(m_db.lastError()));
    }

    void cleanup()
    {
        m_db.close();
        m_site.reset();
    }

    void catalogueAndViewLifecycle()
    {
        QVERIFY(m_db.objectExists(QStringLiteral("vmwl"), 1));
        QVERIFY(m_db.objectExists(QStringLiteral("SEQ_TGROUP"), 2));
        const int before = count(QStringLiteral("Select * From   Sys.Objects Where  Name like  'VMWL%'"));
        QVERIFY(before >= 1);

        m_db.executeSql(deviceView(QStringLiteral("Create View"), QStringLiteral("VMWL_KK_CT01")));
        QCOMPARE(count(QStringLiteral("Select * From   Sys.Objects Where  Name like  'VMWL%'")), before + 1);
        QVERIFY(m_db.objectExists(QStringLiteral("VMWL_kk_ct01"), 1));

        db::Recordset text = m_db.open(QStringLiteral("SP_HELPTEXT VMWL_KK_CT01"));
        QCOMPARE(text.text(0), QStringLiteral("Create View VMWL_KK_CT01("));
        QVERIFY(text.recordCount() > 20);

        const QString preview = QStringLiteral("Select patient_Id, Patient_Name, SCHEDULED_PROCEDURE_DATE, "
                                               "SCHEDULED_PROCEDURE_TIME, Scheduled_procedure_desc, "
                                               "Modality From  VMWL_KK_CT01 Where SCHEDULED_PROCEDURE_DATE  >= "
                                               "20261129 Order by SCHEDULED_PROCEDURE_DATE, "
                                               "SCHEDULED_PROCEDURE_TIME Desc");
        db::Recordset rows = m_db.open(preview);
        QVERIFY(rows.recordCount() > 0);
        QCOMPARE(rows.text(QStringLiteral("Modality")), QStringLiteral("CT"));
        QVERIFY(rows.text(QStringLiteral("Patient_Name")).startsWith(QLatin1Char('=')));
        QString previous;
        for (; !rows.eof(); rows.moveNext()) {
            const QString date = rows.text(2);
            QVERIFY(date >= QStringLiteral("20261129") && date <= QStringLiteral("20261206"));
            QVERIFY(previous <= date);
            previous = date;
        }
        QVERIFY(count(QStringLiteral(
                    "Select patient_Id, Patient_Name, SCHEDULED_PROCEDURE_DATE, SCHEDULED_PROCEDURE_TIME, "
                    "Scheduled_procedure_desc, Modality From  VMWL Where SCHEDULED_PROCEDURE_DATE  = 20261206 Order by "
                    "SCHEDULED_PROCEDURE_DATE, SCHEDULED_PROCEDURE_TIME Desc")) > 0);

        m_db.executeSql(deviceView(QStringLiteral("Alter View"), QStringLiteral("VMWL_KK_CT01")));
        QCOMPARE(m_db.open(QStringLiteral("SP_HELPTEXT VMWL_KK_CT01")).text(0),
                 QStringLiteral("Alter View VMWL_KK_CT01("));

        m_db.executeSql(QStringLiteral("Drop View VMWL_KK_CT01"));
        QCOMPARE(count(QStringLiteral("Select * From   Sys.Objects Where  Name like  'VMWL%'")), before);
    }

    void accountLists()
    {
        db::Recordset users =
            m_db.open(QStringLiteral("Select user_key, user_id, user_name, userlevel_key  From   Tuser Order by 1"));
        QVERIFY(users.recordCount() >= 8);
        const QString owner = scalar(QStringLiteral("Select top 1 OWNER_KEY From TGROUP g Where GROUP_TYPE = 'G04' And "
                                                    "STAT_FLAG = 'Y' And Exists (Select * From "
                                                    "TCOMMONREPORT k Where k.GROUP_KEY = g.GROUP_KEY)"));
        QVERIFY(count(QStringLiteral("Select DISTINCT g.group_key, g.GROUP_NAME ") +
                      QStringLiteral("From   TGROUP G, TCOMMONREPORT k ") +
                      QStringLiteral("Where  g.Group_type ='G04' ") + QStringLiteral("And    g.Stat_flag = 'Y' ") +
                      QStringLiteral("And    g.group_key = k.group_key ") + QStringLiteral("And    g.owner_key = ") +
                      owner) > 0);
    }

    void settingsResetAndCopy()
    {
        const auto [source, target] = twoAccounts();
        m_db.executeSql(QStringLiteral("Delete Tusersetting Where USER_KEY = ") + target);
        m_db.executeSql(QStringLiteral("Insert into Tusersetting (USERSETTING_KEY, USER_KEY, PART, ITEM, SET_TYPE, "
                                       "SET_VALUE, SAVE_FLAG, FLAG) ") +
                        QStringLiteral("\r\n") + QStringLiteral("(Select Next Value For Seq_Tusersetting, ") + target +
                        QStringLiteral(", ") + QStringLiteral("'WORKLIST','WINDOW_POSITION','C', '") +
                        QStringLiteral("Left=0\r\nTop=0\r\n") + QStringLiteral("', 'Y','Y')"));
        QCOMPARE(scalar(QStringLiteral("Select SET_VALUE From Tusersetting Where USER_KEY = ") + target),
                 QStringLiteral("Left=0\r\nTop=0\r\n"));

        const int sourceRows = count(QStringLiteral("Select * From Tusersetting Where USER_KEY = ") + source +
                                     QStringLiteral(" And Item <> 'WINDOW_POSITION'"));
        m_db.executeSql(QStringLiteral("Delete Tusersetting Where USER_KEY = ") + target +
                        QStringLiteral(" And Item <> 'WINDOW_POSITION'"));
        m_db.executeSql(
            QStringLiteral("Insert into Tusersetting ") +
            QStringLiteral("(Usersetting_key, user_key, part, item, set_type, SET_VALUE, save_flag, flag) ") +
            QStringLiteral("(Select Next Value For Seq_Tusersetting, ") + target +
            QStringLiteral(", Part, Item, Set_type, Set_Value, Save_Flag, Flag ") +
            QStringLiteral("From Tusersetting ") + QStringLiteral("Where  User_key= ") + source +
            QStringLiteral(" And Item <> 'WINDOW_POSITION')"));
        QCOMPARE(count(QStringLiteral("Select * From Tusersetting Where USER_KEY = ") + target), sourceRows + 1);

        m_db.executeSql(QStringLiteral("Delete Tusersetting Where USER_KEY = ") + target);
        m_db.executeSql(
            QStringLiteral("Insert into Tusersetting ") +
            QStringLiteral("(Usersetting_key, user_key, part, item, set_type, SET_VALUE, save_flag, flag) ") +
            QStringLiteral("(Select Next Value For Seq_Tusersetting, ") + target +
            QStringLiteral(", Part, Item, Set_type, Set_Value, Save_Flag, Flag ") +
            QStringLiteral("From Tusersetting ") + QStringLiteral("Where  User_key= ") + source + QStringLiteral(")"));
        QCOMPARE(count(QStringLiteral("Select * From Tusersetting Where USER_KEY = ") + target),
                 count(QStringLiteral("Select * From Tusersetting Where USER_KEY = ") + source));
    }

    void macroCopy()
    {
        const QString source = scalar(QStringLiteral("Select top 1 USER_KEY From TMACROTEXT Order by 1"));
        const QString target = scalar(QStringLiteral("Select top 1 user_key From Tuser Where user_key <> ") + source +
                                      QStringLiteral(" Order by 1 Desc"));
        const int macros = count(QStringLiteral("Select * From Tmacrotext Where User_key = ") + source);
        const QString copy = QStringLiteral("Insert into TMACROTEXT ") +
                             QStringLiteral("([MACROTEXT_KEY], [INSTITUTION_KEY], [MACRO_NAME], [USER_KEY] ") +
                             QStringLiteral(",[SPECIAL_CHAR], [KEY_TEXT] ,[MACRO_TEXT]) ") +
                             QStringLiteral("(Select Next value For Seq_TMACROTEXT,  1, Macro_name, ") + target +
                             QStringLiteral(", SPECIAL_CHAR, Key_text, Macro_text ") +
                             QStringLiteral("From Tmacrotext ") + QStringLiteral("Where  User_key= ") + source +
                             QStringLiteral(")");
        const int before = count(QStringLiteral("Select * From Tmacrotext Where User_key = ") + target);
        m_db.executeSql(copy);
        m_db.executeSql(copy);
        QCOMPARE(count(QStringLiteral("Select * From Tmacrotext Where User_key = ") + target), before + 2 * macros);
        QCOMPARE(count(QStringLiteral("Select DISTINCT MACROTEXT_KEY From Tmacrotext")),
                 count(QStringLiteral("Select * From Tmacrotext")));
    }

    void standardReportCopy()
    {
        const QString sourceGroup = scalar(QStringLiteral("Select top 1 GROUP_KEY From TGROUP g Where GROUP_TYPE = "
                                                          "'G04' And STAT_FLAG = 'Y' And Exists (Select * From "
                                                          "TCOMMONREPORT k Where k.GROUP_KEY = g.GROUP_KEY)"));
        const QString groupName =
            scalar(QStringLiteral("Select GROUP_NAME From TGROUP Where GROUP_KEY = ") + sourceGroup).toLower();
        const QString owner = scalar(QStringLiteral("Select OWNER_KEY From TGROUP Where GROUP_KEY = ") + sourceGroup);
        const QString target =
            scalar(QStringLiteral("Select top 1 user_key From Tuser Where user_key <> ") + owner +
                   QStringLiteral(" And user_key Not In (Select OWNER_KEY From TGROUP) Order by 1 Desc"));
        const QString search = QStringLiteral("Select top 1 Group_key From Tgroup ") +
                               QStringLiteral("Where Group_type='G04' And Stat_flag ='Y' ") +
                               QStringLiteral("And OwNer_key = ") + target +
                               QStringLiteral(" And Upper(Group_name) = Upper('") + groupName + QStringLiteral("')");
        QCOMPARE(scalar(search), QStringLiteral("0"));
        m_db.executeSql(QStringLiteral("Insert Into Tgroup (GROUP_KEY,  INSTITUTION_KEY,    GROUP_TYPE, OWNER_KEY, ") +
                        QStringLiteral("GROUP_NAME, GROUP_DESC, SORTING_NO, STAT_FLAG,  FLAG) ") +
                        QStringLiteral("(Select Next value For Seq_Tgroup, 1, 'G04', ") + target +
                        QStringLiteral(",'") + groupName + QStringLiteral("', 'Default', NULL, 'Y','Y')"));
        const QString targetGroup = scalar(search);
        QVERIFY(targetGroup != QStringLiteral("0"));
        m_db.executeSql(QStringLiteral("Insert Into Tgroupuser (GROUP_KEY,  USER_KEY, FLAG) ") +
                        QStringLiteral("(Select ") + targetGroup + QStringLiteral(", ") + target +
                        QStringLiteral(", 'Y')"));
        QCOMPARE(count(QStringLiteral("Select * From TGROUPUSER Where GROUP_KEY = ") + targetGroup), 1);

        const QString copy =
            QStringLiteral("IF Not Exists ") + QStringLiteral(" ( ") + QStringLiteral(" Select * ") +
            QStringLiteral(" From  TCOMMONREPORT  ") + QStringLiteral(" Where GROUP_KEY = '") + targetGroup +
            QStringLiteral("' ") + QStringLiteral(" And   REPORT_NAME in ") + QStringLiteral(" ( ") +
            QStringLiteral(" Select REPORT_NAME ") + QStringLiteral(" From   TCOMMONREPORT ") +
            QStringLiteral(" Where  GROUP_KEY = '") + sourceGroup + QStringLiteral("' ") + QStringLiteral(" ) ") +
            QStringLiteral(" ) ") + QStringLiteral(" Begin ") + QStringLiteral("Insert into TCOMMONREPORT ") +
            QStringLiteral("(COMMONRPT_KEY, GROUP_KEY, REPORT_NAME, REPORT_TEXT, CONCLUSION, ") +
            QStringLiteral("CLASS_A,    CLASS_B, CLASS_C, HOTKEY,   DISPLAY_NO, ") +
            QStringLiteral("CREATE_DATE, MODIFY_DATE, FLAG) ") +
            QStringLiteral("(Select Next value For Seq_TCOMMONRPT, ") + targetGroup +
            QStringLiteral(", REPORT_NAME, REPORT_TEXT, CONCLUSION, ") +
            QStringLiteral("CLASS_A,    CLASS_B, CLASS_C, HOTKEY,   DISPLAY_NO, ") +
            QStringLiteral("CREATE_DATE, MODIFY_DATE, FLAG ") + QStringLiteral("FROM TCOMMONREPORT ") +
            QStringLiteral("Where  GROUP_KEY = ") + sourceGroup + QStringLiteral(") ") + QStringLiteral(" End");
        const int reports = count(QStringLiteral("Select * From TCOMMONREPORT Where GROUP_KEY = ") + sourceGroup);
        m_db.executeSql(copy);
        QCOMPARE(count(QStringLiteral("Select * From TCOMMONREPORT Where GROUP_KEY = ") + targetGroup), reports);
        m_db.executeSql(copy);
        QCOMPARE(count(QStringLiteral("Select * From TCOMMONREPORT Where GROUP_KEY = ") + targetGroup), reports);
    }

    void romanization()
    {
        const QString name = scalar(QStringLiteral("Select top 1 KOR_NAME From THANCONVERT Where FAMILY_NAME Is Null"));
        db::Recordset row =
            m_db.open(QStringLiteral("Select FAMILY_NAME, ENG_NAME ") + QStringLiteral("From   THANCONVERT ") +
                      QStringLiteral("Where  KOR_NAME = '") + name + QStringLiteral("'"));
        QCOMPARE(row.recordCount(), 1);
        QVERIFY(row.isNull(0));
        m_db.executeSql(QStringLiteral("Update  THANCONVERT ") + QStringLiteral("Set     FAMILY_NAME = '") +
                        QStringLiteral("") + QStringLiteral("', ") + QStringLiteral("ENG_NAME = '") +
                        QStringLiteral("GIL DONG ") + QStringLiteral("' ") + QStringLiteral("Where   KOR_NAME = '") +
                        name + QStringLiteral("'"));
        row = m_db.open(QStringLiteral("Select FAMILY_NAME, ENG_NAME From   THANCONVERT Where  KOR_NAME = '") + name +
                        QStringLiteral("'"));
        QVERIFY(!row.isNull(0));
        QCOMPARE(row.text(0), QString());
        QCOMPARE(row.text(1), QStringLiteral("GIL DONG "));
    }
};

QTEST_GUILESS_MAIN(TestArchiveStatements)
#include "test_archive_statements.moc"

#include "account_statements.h"

#include "db/sql_text.h"

namespace accounts {

QString accountList()
{
    return QStringLiteral("Select user_key, user_id, user_name, userlevel_key  ") + QStringLiteral("From   Tuser ") +
           QStringLiteral("Order by 1");
}

QString reportGroups(qint32 owner)
{
    return QStringLiteral("Select DISTINCT g.group_key, g.GROUP_NAME ") +
           QStringLiteral("From   TGROUP G, TCOMMONREPORT k ") + QStringLiteral("Where  g.Group_type ='G04' ") +
           QStringLiteral("And    g.Stat_flag = 'Y' ") + QStringLiteral("And    g.group_key = k.group_key ") +
           QStringLiteral("And    g.owner_key = ") + QString::number(owner);
}

const SettingsRow (&defaultRows())[9]
{
    static const SettingsRow rows[9] = {
        {"VIEWER", "VIEWER_PROPERTY", "-VIEWER-VIEWER_PROPERTY.txt"},
        {"WORKLIST", "SEARCH_FILTER1", "-WORKLIST-SEARCH_FILTER1.txt"},
        {"WORKLIST", "LIST_COL", "-WORKLIST-LIST_COL.txt"},
        {"WORKLIST", "PROFILE", "-WORKLIST-PROFILE.txt"},
        {"WORKLIST", "SEARCH_WIZARD", "-WORKLIST-SEARCH_WIZARD.txt"},
        {"WORKLIST", "SEARCH_WIZARD_TREE", "-WORKLIST-SEARCH_WIZARD_TREE.txt"},
        {"VIEWER", "DLPTLS", "-VIEWER-DLPTLS.txt"},
        {"WORKLIST", "WORKLIST_PROPERTY", "-WORKLIST-WORKLIST_PROPERTY.txt"},
        {"WORKLIST", "WINDOW_POSITION", "-WORKLIST-WINDOW_POSITION.txt"},
    };
    return rows;
}

QString levelCode(const QString &levelCaption)
{
    QString code = levelCaption;
    code.replace(QStringLiteral("판독"), QStringLiteral("400"));
    code.replace(QStringLiteral("촬영"), QStringLiteral("300"));
    code.replace(QStringLiteral("조회"), QStringLiteral("110"));
    return code;
}

QString defaultFile(const QString &levelCode, const SettingsRow &row)
{
    return QStringLiteral("TUSERSETTING\\") + levelCode + QLatin1String(row.fileEnding);
}

QString resetDelete(qint32 key)
{
    return QStringLiteral("Delete Tusersetting Where USER_KEY = ") + QString::number(key);
}

QString resetInsert(qint32 key, const SettingsRow &row, const QString &value)
{
    return QStringLiteral("Insert into Tusersetting (USERSETTING_KEY, USER_KEY, PART, ITEM, SET_TYPE, SET_VALUE, "
                          "SAVE_FLAG, FLAG) ") +
           QStringLiteral("\r\n") + QStringLiteral("(Select Next Value For Seq_Tusersetting, ") + QString::number(key) +
           QStringLiteral(", ") +
           QStringLiteral("'%1','%2','C', '").arg(QLatin1String(row.part), QLatin1String(row.item)) +
           db::quotedKeepingLineEnds(value) + QStringLiteral("', 'Y','Y')");
}

QString copyDelete(qint32 target, bool keepWindowLayout)
{
    QString sql = QStringLiteral("Delete Tusersetting Where USER_KEY = ") + QString::number(target);
    if (keepWindowLayout)
        sql += QStringLiteral(" And Item <> 'WINDOW_POSITION'");
    return sql;
}

QString copyInsert(qint32 target, qint32 source, bool keepWindowLayout)
{
    return QStringLiteral("Insert into Tusersetting ") +
           QStringLiteral("(Usersetting_key, user_key, part, item, set_type, SET_VALUE, save_flag, flag) ") +
           QStringLiteral("(Select Next Value For Seq_Tusersetting, ") + QString::number(target) +
           QStringLiteral(", Part, Item, Set_type, Set_Value, Save_Flag, Flag ") +
           QStringLiteral("From Tusersetting ") + QStringLiteral("Where  User_key= ") + QString::number(source) +
           (keepWindowLayout ? QStringLiteral(" And Item <> 'WINDOW_POSITION')") : QStringLiteral(")"));
}

QString macroCopy(qint32 target, qint32 source)
{
    return QStringLiteral("Insert into TMACROTEXT ") +
           QStringLiteral("([MACROTEXT_KEY], [INSTITUTION_KEY], [MACRO_NAME], [USER_KEY] ") +
           QStringLiteral(",[SPECIAL_CHAR], [KEY_TEXT] ,[MACRO_TEXT]) ") +
           QStringLiteral("(Select Next value For Seq_TMACROTEXT,  1, Macro_name, ") + QString::number(target) +
           QStringLiteral(", SPECIAL_CHAR, Key_text, Macro_text ") + QStringLiteral("From Tmacrotext ") +
           QStringLiteral("Where  User_key= ") + QString::number(source) + QStringLiteral(")");
}

QString groupSearch(qint32 target, const QString &groupName)
{
    return QStringLiteral("Select top 1 Group_key From Tgroup ") +
           QStringLiteral("Where Group_type='G04' And Stat_flag ='Y' ") + QStringLiteral("And OwNer_key = ") +
           QString::number(target) + QStringLiteral(" And Upper(Group_name) = Upper('") + db::quoted(groupName) +
           QStringLiteral("')");
}

QString groupCreate(qint32 target, const QString &groupName)
{
    return QStringLiteral("Insert Into Tgroup (GROUP_KEY,  INSTITUTION_KEY,    GROUP_TYPE, OWNER_KEY, ") +
           QStringLiteral("GROUP_NAME, GROUP_DESC, SORTING_NO, STAT_FLAG,  FLAG) ") +
           QStringLiteral("(Select Next value For Seq_Tgroup, 1, 'G04', ") + QString::number(target) +
           QStringLiteral(",'") + db::quoted(groupName) + QStringLiteral("', 'Default', NULL, 'Y','Y')");
}

QString groupLink(qint32 group, qint32 target)
{
    return QStringLiteral("Insert Into Tgroupuser (GROUP_KEY,  USER_KEY, FLAG) ") + QStringLiteral("(Select ") +
           QString::number(group) + QStringLiteral(", ") + QString::number(target) + QStringLiteral(", 'Y')");
}

QString reportCopy(qint32 targetGroup, qint32 sourceGroup)
{
    const QString t = QString::number(targetGroup);
    const QString s = QString::number(sourceGroup);
    return QStringLiteral("IF Not Exists ") + QStringLiteral(" ( ") + QStringLiteral(" Select * ") +
           QStringLiteral(" From  TCOMMONREPORT  ") + QStringLiteral(" Where GROUP_KEY = '") + t +
           QStringLiteral("' ") + QStringLiteral(" And   REPORT_NAME in ") + QStringLiteral(" ( ") +
           QStringLiteral(" Select REPORT_NAME ") + QStringLiteral(" From   TCOMMONREPORT ") +
           QStringLiteral(" Where  GROUP_KEY = '") + s + QStringLiteral("' ") + QStringLiteral(" ) ") +
           QStringLiteral(" ) ") + QStringLiteral(" Begin ") + QStringLiteral("Insert into TCOMMONREPORT ") +
           QStringLiteral("(COMMONRPT_KEY, GROUP_KEY, REPORT_NAME, REPORT_TEXT, CONCLUSION, ") +
           QStringLiteral("CLASS_A,    CLASS_B, CLASS_C, HOTKEY,   DISPLAY_NO, ") +
           QStringLiteral("CREATE_DATE, MODIFY_DATE, FLAG) ") +
           QStringLiteral("(Select Next value For Seq_TCOMMONRPT, ") + t +
           QStringLiteral(", REPORT_NAME, REPORT_TEXT, CONCLUSION, ") +
           QStringLiteral("CLASS_A,    CLASS_B, CLASS_C, HOTKEY,   DISPLAY_NO, ") +
           QStringLiteral("CREATE_DATE, MODIFY_DATE, FLAG ") + QStringLiteral("FROM TCOMMONREPORT ") +
           QStringLiteral("Where  GROUP_KEY = ") + s + QStringLiteral(") ") + QStringLiteral(" End");
}

} // namespace accounts

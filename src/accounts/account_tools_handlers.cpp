#include "app/form1.h"

#include "accounts/account_entries.h"
#include "accounts/account_statements.h"
#include "accounts/report_copy.h"
#include "platform/error.h"
#include "platform/paths.h"
#include "platform/text_file.h"

namespace {

const QString kChooseSource = QStringLiteral("복사할 계정을 선택 하십시오.");

} // namespace

// The source account of Combo1, or nothing after telling the operator to choose one.
std::optional<qint32> Form1::sourceAccount()
{
    const QString text = m_ui.Combo1->currentText();
    if (!text.contains(QLatin1Char('|')) || text == QString::fromUtf16(kAccountPlaceholder)) {
        message(kChooseSource);
        return std::nullopt;
    }
    return accounts::accountKeyOf(text);
}

// The selected target accounts of List1 in list order, the source left out.
QList<qint32> Form1::targetAccounts(std::optional<qint32> source)
{
    QList<qint32> targets;
    for (int i = 0; i < m_ui.List1->count(); ++i) {
        const QListWidgetItem *item = m_ui.List1->item(i);
        const qint32 key = accounts::accountKeyOf(item->text());
        if (item->isSelected() && key != source)
            targets.append(key);
    }
    return targets;
}

// "계정 설정 초기(최초 설치한 설정 값으로 복원)": the selected accounts get the
// nine settings rows of a fresh installation for their level.
void Form1::Command1_Click()
{
    for (int i = 0; i < m_ui.List1->count(); ++i) {
        const QListWidgetItem *item = m_ui.List1->item(i);
        const qint32 key = accounts::accountKeyOf(item->text());
        const QString caption = accounts::levelCaptionOf(item->text());
        if (item->isSelected())
            ResetUserSettings(key, caption);
    }
    LoadAccounts();
    message(QStringLiteral("완료되었습니다."));
}

// All nine default files are read before anything is deleted, and the delete
// and the nine inserts stand or fall together: an account is never left
// without its settings.
void Form1::ResetUserSettings(qint32 key, const QString &levelCaption)
{
    const QString code = accounts::levelCode(levelCaption);
    QStringList values;
    for (const accounts::SettingsRow &row : accounts::defaultRows())
        values.append(platform::readTextFile(m_context.paths.appFile(accounts::defaultFile(code, row))));
    db::Transaction transaction(m_db);
    m_db.executeSql(accounts::resetDelete(key));
    for (qsizetype i = 0; i < values.size(); ++i)
        m_db.executeSql(accounts::resetInsert(key, accounts::defaultRows()[i], values.at(i)));
    transaction.commit();
}

// "계정 설정값 복사"
void Form1::Command3_Click()
{
    const std::optional<qint32> source = sourceAccount();
    if (!source)
        return;
    const bool keepLayout = m_ui.Check6->isChecked();
    for (const qint32 target : targetAccounts(source)) {
        db::Transaction transaction(m_db);
        m_db.executeSql(accounts::copyDelete(target, keepLayout));
        m_db.executeSql(accounts::copyInsert(target, *source, keepLayout));
        transaction.commit();
    }
    LoadAccounts();
    message(QStringLiteral("완료되었습니다."));
}

// "GKey복사"
void Form1::Command13_Click()
{
    const std::optional<qint32> source = sourceAccount();
    if (!source)
        return;
    for (const qint32 target : targetAccounts(source))
        m_db.executeSql(accounts::macroCopy(target, *source));
    LoadAccounts();
    message(QStringLiteral("완료되었습니다."));
}

// "표준판독복사": each selected report group of the source, for each target,
// found or made with its link, then its reports copied, all in one go.
void Form1::Command14_Click()
{
    const std::optional<qint32> source = sourceAccount();
    if (!source)
        return;
    for (const qint32 target : targetAccounts(source)) {
        for (int g = 0; g < m_ui.List4->count(); ++g) {
            const QListWidgetItem *item = m_ui.List4->item(g);
            if (!item->isSelected())
                continue;
            accounts::copyReportGroup(m_db, target, accounts::groupKeyOf(item->text()),
                                      accounts::groupNameOf(item->text()));
        }
    }
    LoadAccounts();
    message(QStringLiteral("완료되었습니다."));
}

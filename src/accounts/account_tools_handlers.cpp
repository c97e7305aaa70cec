#include "app/failure_text.h"
#include "app/form1.h"

#include "accounts/account_entries.h"
#include "accounts/account_statements.h"
#include "accounts/report_copy.h"
#include "platform/error.h"
#include "platform/paths.h"
#include "platform/text_file.h"

#include <QHash>

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
QList<Form1::AccountTarget> Form1::targetAccounts(std::optional<qint32> source)
{
    QList<AccountTarget> targets;
    for (int i = 0; i < m_ui.List1->count(); ++i) {
        const QListWidgetItem *item = m_ui.List1->item(i);
        const qint32 key = accounts::accountKeyOf(item->text());
        if (item->isSelected() && key != source)
            targets.append({key, accounts::accountLabelOf(item->text())});
    }
    return targets;
}

// Runs the copy to each target in turn. A statement refused part way stops
// the run, and the operator is told which accounts were done, at which account
// and table it stopped, and which were not reached; the server's text and the
// statement go under the details. Each target's own part stands or falls
// together, so a target is either done or untouched (copyTo says otherwise
// through partsDone).
bool Form1::copyToTargets(const QString &operation, const QList<AccountTarget> &targets,
                          const std::function<void(qint32 target, QStringList &partsDone)> &copyTo)
{
    accounts::CopyStop stop;
    for (qsizetype i = 0; i < targets.size(); ++i) {
        QStringList partsDone;
        try {
            copyTo(targets.at(i).key, partsDone);
        } catch (const db::StatementError &e) {
            stop.failed = targets.at(i).label;
            stop.failedTable = accounts::tableOf(e.statement());
            stop.failedPartsDone = partsDone;
            for (qsizetype j = i + 1; j < targets.size(); ++j)
                stop.notReached.append(targets.at(j).label);
            message(accounts::copyStopped(operation, stop), platform::MessageButtons::Ok,
                    app::statementFailureDetail(e.serverText(), e.statement()));
            return false;
        }
        stop.done.append(targets.at(i).label);
    }
    return true;
}

// "계정 설정 초기(최초 설치한 설정 값으로 복원)": the selected accounts get the
// nine settings rows of a fresh installation for their level.
// A statement refused part way stops the run as the copies do: the operator
// learns which accounts were reset, at which one it stopped, and which were
// not reached.
void Form1::Command1_Click()
{
    QHash<qint32, QString> levels;
    for (int i = 0; i < m_ui.List1->count(); ++i) {
        const QString entry = m_ui.List1->item(i)->text();
        levels.insert(accounts::accountKeyOf(entry), accounts::levelCaptionOf(entry));
    }
    if (!copyToTargets(QStringLiteral("계정 설정 초기화"), targetAccounts(std::nullopt),
                       [&](qint32 target, QStringList &) { ResetUserSettings(target, levels.value(target)); }))
        return;
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
    if (!copyToTargets(QStringLiteral("계정 설정값 복사"), targetAccounts(source), [&](qint32 target, QStringList &) {
            db::Transaction transaction(m_db);
            m_db.executeSql(accounts::copyDelete(target, keepLayout));
            m_db.executeSql(accounts::copyInsert(target, *source, keepLayout));
            transaction.commit();
        }))
        return;
    LoadAccounts();
    message(QStringLiteral("완료되었습니다."));
}

// "GKey복사"
void Form1::Command13_Click()
{
    const std::optional<qint32> source = sourceAccount();
    if (!source)
        return;
    if (!copyToTargets(QStringLiteral("GKey복사"), targetAccounts(source),
                       [&](qint32 target, QStringList &) { m_db.executeSql(accounts::macroCopy(target, *source)); }))
        return;
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
    QStringList groups;
    for (int g = 0; g < m_ui.List4->count(); ++g) {
        if (m_ui.List4->item(g)->isSelected())
            groups.append(m_ui.List4->item(g)->text());
    }
    if (!copyToTargets(
            QStringLiteral("표준판독복사"), targetAccounts(source), [&](qint32 target, QStringList &groupsDone) {
                for (const QString &group : groups) {
                    accounts::copyReportGroup(m_db, target, accounts::groupKeyOf(group), accounts::groupNameOf(group));
                    groupsDone.append(accounts::groupNameOf(group));
                }
            }))
        return;
    LoadAccounts();
    message(QStringLiteral("완료되었습니다."));
}

#include "app/form1.h"

#include "accounts/account_entries.h"
#include "accounts/account_statements.h"

void Form1::LoadAccounts()
{
    m_ui.List1->clear();
    m_ui.Combo1->clear();
    setComboText(m_ui.Combo1, QString::fromUtf16(kAccountPlaceholder));
    db::Recordset users = m_db.open(accounts::accountList());
    const QString placeholder = m_ui.Combo1->currentText();
    for (int i = 0; i < users.recordCount(); ++i, users.moveNext()) {
        if (!accounts::listedAsSource(i))
            continue;
        const QString key = accounts::keyText(users.text(0));
        const QString id = users.text(1);
        const QString name = users.text(2);
        const QString level = users.text(3);
        if (accounts::listedAsTarget(i))
            m_ui.List1->addItem(accounts::targetEntry(key, id, name, level));
        m_ui.Combo1->addItem(accounts::sourceEntry(key, id, name, level));
    }
    setComboText(m_ui.Combo1, placeholder);
}

void Form1::Combo1_Click()
{
    m_ui.List4->clear();
    if (m_ui.Combo1->currentText() == QString::fromUtf16(kAccountPlaceholder))
        return;
    const qint32 key = accounts::accountKeyOf(m_ui.Combo1->currentText());
    db::Recordset groups = m_db.open(accounts::reportGroups(key));
    for (int i = 0; i < groups.recordCount(); ++i, groups.moveNext()) {
        m_ui.List4->addItem(accounts::groupEntry(accounts::keyText(groups.text(0)), groups.text(1)));
        m_ui.List4->item(i)->setSelected(true);
    }
}

#include "app/form1.h"

#include "accounts/account_entries.h"

void Form1::LoadAccounts()
{
    m_ui.List1->clear();
    m_ui.Combo1->clear();
    setComboText(m_ui.Combo1, QString::fromUtf16(kAccountPlaceholder));
    db::Recordset users = m_db.open(QStringLiteral("Select user_key, user_id, user_name, userlevel_key  ") +
                                    QStringLiteral("From   Tuser ") + QStringLiteral("Order by 1"));
    const QString placeholder = m_ui.Combo1->currentText();
    for (int i = 0; i < users.recordCount(); ++i, users.moveNext()) {
        if (i == 0)
            continue; // the lowest key is never listed
        const QString key = accounts::keyText(users.text(0));
        const QString id = users.text(1);
        const QString name = users.text(2);
        const QString level = users.text(3);
        if (i >= 2)
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
    db::Recordset groups =
        m_db.open(QStringLiteral("Select DISTINCT g.group_key, g.GROUP_NAME ") +
                  QStringLiteral("From   TGROUP G, TCOMMONREPORT k ") + QStringLiteral("Where  g.Group_type ='G04' ") +
                  QStringLiteral("And    g.Stat_flag = 'Y' ") + QStringLiteral("And    g.group_key = k.group_key ") +
                  QStringLiteral("And    g.owner_key = ") + QString::number(key));
    for (int i = 0; i < groups.recordCount(); ++i, groups.moveNext()) {
        m_ui.List4->addItem(accounts::groupEntry(accounts::keyText(groups.text(0)), groups.text(1)));
        m_ui.List4->item(i)->setSelected(true);
    }
}

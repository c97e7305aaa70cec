#include "app/form1.h"

#include "romanize/romanize_statements.h"

// "검색": the romanized family and given name of the Korean name in Text16.
void Form1::Command9_Click()
{
    m_ui.Text17->clear();
    m_ui.Text18->clear();
    db::Recordset row = m_db.open(romanize::lookup(m_ui.Text16->text()));
    if (row.recordCount() == 0)
        return;
    if (!row.isNull(QStringLiteral("FAMILY_NAME")))
        m_ui.Text17->setText(row.text(QStringLiteral("FAMILY_NAME")));
    if (!row.isNull(QStringLiteral("ENG_NAME")))
        m_ui.Text18->setText(row.text(QStringLiteral("ENG_NAME")));
}

// "한글 로마자 표기변경"
void Form1::Command4_Click()
{
    if (m_ui.Text18->text().isEmpty()) {
        message(QStringLiteral("영문 이름 입력되지 않았습니다."));
        return;
    }
    if (message(romanize::confirmation(m_ui.Text17->text(), m_ui.Text18->text()), platform::MessageButtons::YesNo) !=
        platform::MessageAnswer::Yes)
        return;
    m_db.executeSql(romanize::update(m_ui.Text17->text(), m_ui.Text18->text(), m_ui.Text16->text()));
    m_ui.Label3->setText(QStringLiteral("변경되었습니다."));
}

#include "app/form1.h"

#include "worklist/view_kinds.h"
#include "worklist/view_statements.h"

// Appends the name of every object named like a worklist view; callers empty
// the list first.
void Form1::LoadViewList()
{
    db::Recordset views = m_db.open(worklist::statements::viewList());
    for (; !views.eof(); views.moveNext())
        m_ui.List2->addItem(views.text(0));
}

void Form1::Combo3_Click()
{
    const bool offered = worklist::offersExamNameCut(m_ui.Combo3->currentText());
    m_ui.Check11->setChecked(offered);
    m_ui.Check11->setEnabled(offered);
}

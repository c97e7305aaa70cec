#include "app/form1.h"

#include "platform/error.h"
#include "platform/services.h"
#include "worklist/order_preview.h"
#include "worklist/view_reader.h"
#include "worklist/view_statements.h"

namespace reader = worklist::reader;

// A click on a view: what it was built from goes back into the builder's
// fields, and its orders are previewed. The definition is read before any
// field changes: a read that fails leaves the builder as it was, never the
// name of the clicked view beside emptied fields (a "DB 등록" then would alter
// that view without its filters).
void Form1::List2_Click()
{
    const QListWidgetItem *item = m_ui.List2->currentItem();
    if (!item)
        return;
    const QString name = item->text();
    const bool baseView = name == QLatin1String("VMWL");
    const QStringList definition = baseView ? QStringList() : ReadViewDefinition(name);

    m_ui.Text11->setText(name);
    const QString title = reader::titleOf(name);
    m_ui.Text2->setText(title);
    m_ui.Text10->setText(title);
    const reader::KindReading kind = reader::kindOf(name);
    setComboText(m_ui.Combo3, kind.caption);
    if (kind.cut) {
        m_ui.Check11->setChecked(*kind.cut);
        m_ui.Check11->setEnabled(*kind.cut);
    }
    for (QLineEdit *field : {m_ui.Text3, m_ui.Text4, m_ui.Text5, m_ui.Text6, m_ui.Text9})
        field->clear();
    m_ui.Check9->setChecked(false);
    m_ui.Check10->setChecked(false);

    if (baseView) {
        message(QStringLiteral("해당 데이터는 수정 할 수 없습니다."));
        m_ui.Text10->clear();
    } else {
        ParseViewDefinition(definition);
    }
    Command2_Click();
}

// The rows SP_HELPTEXT gives for a view, read whole.
QStringList Form1::ReadViewDefinition(const QString &name)
{
    db::Recordset definition = m_db.open(worklist::statements::definition(name));
    QStringList rows;
    for (; !definition.eof(); definition.moveNext())
        rows.append(definition.text(0));
    return rows;
}

void Form1::ParseViewDefinition(const QStringList &rows)
{
    const reader::DefinitionReading r = reader::readDefinition(reader::definitionLines(rows));
    if (r.stationAe)
        m_ui.Text5->setText(*r.stationAe);
    if (r.deviceModality)
        m_ui.Text6->setText(*r.deviceModality);
    if (r.orderModalities)
        m_ui.Text3->setText(*r.orderModalities);
    if (r.orderCodes)
        m_ui.Text4->setText(*r.orderCodes);
    if (r.excludeCodes)
        m_ui.Check9->setChecked(*r.excludeCodes);
    if (r.characterSet)
        setComboText(m_ui.Combo2, *r.characterSet);
}

// "처방조회"
void Form1::Command2_Click()
{
    const bool baseView = m_ui.Check10->isChecked();
    const QString name = m_ui.Text11->text();
    if (name.isEmpty() && !baseView)
        return;
    setBoxText(m_ui.Text8, QString());
    // Whatever stands in the field goes into the statement as it is, so only a
    // plain name may; blanks around it are blanks of the statement.
    if (const QString fault = baseView ? QString() : worklist::preview::objectNameFault(name.trimmed());
        !fault.isEmpty()) {
        message(QStringLiteral("조회할 View 이름이 올바르지 않습니다: %1\n%2").arg(name, fault));
        return;
    }
    db::Recordset orders =
        m_db.open(worklist::preview::statement(name, baseView, m_ui.Check1->isChecked(), m_context.clock.today()));
    setBoxText(m_ui.Text8, worklist::preview::listing(orders));
}

void Form1::Check10_Click()
{
    Command2_Click();
}

// "당일" and "7일": exactly one of the two is checked.
void Form1::Check1_Click()
{
    m_ui.Check2->setChecked(!m_ui.Check1->isChecked());
}

void Form1::Check2_Click()
{
    m_ui.Check1->setChecked(!m_ui.Check2->isChecked());
}

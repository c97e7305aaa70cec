#include "app/form1.h"

#include "platform/paths.h"
#include "platform/text_file.h"
#include "worklist/control_file.h"
#include "worklist/field_checks.h"
#include "worklist/gateway_control.h"
#include "worklist/view_generator.h"
#include "worklist/view_kinds.h"
#include "worklist/view_statements.h"

using worklist::ViewKind;

namespace {

const QString kDefaultCharacterSet = QStringLiteral("ISO_IR 100");

int value(const QCheckBox *box)
{
    return box->isChecked() ? 1 : 0;
}

} // namespace

// "DB 등록": the device's view from its kind's template, then the device in
// the gateway's control file. Every check that can refuse runs before the
// first statement: a registration is made whole or not at all.
void Form1::Command6_Click()
{
    const ViewKind kind = worklist::kindFromCaption(m_ui.Combo3->currentText());
    const QString ae = m_ui.Text2->text();
    if (!ae.isEmpty()) {
        std::optional<QString> problem = worklist::checks::aeTitleProblem(ae);
        if (!problem)
            problem = worklist::checks::stationAeTitleProblem(m_ui.Text5->text());
        if (!problem && m_ui.Check11->isChecked())
            problem = worklist::checks::examNameCutProblem(m_ui.Text14->text(), m_ui.Text15->text());
        const QString path = worklist::gateway::findControlFile(m_context.paths);
        if (!problem && !path.isEmpty())
            problem = worklist::gateway::controlFileProblem(path, registration(ae, worklist::viewName(kind, ae)));
        if (problem) {
            message(*problem);
            return;
        }
    }
    m_ui.List2->clear();
    if (ae.isEmpty()) {
        message(QStringLiteral("AE Title 테이블명 입력 후 생성 하시기 바랍니다."));
        LoadViewList();
        return;
    }
    m_ui.Text3->setText(m_ui.Text3->text().toUpper());
    m_ui.Text6->setText(m_ui.Text6->text().toUpper());

    const QString viewName = worklist::viewName(kind, ae);
    const QString templatePath = m_context.paths.appFile(QLatin1String(worklist::info(kind).templateFile));

    bool alter = false;
    if (m_db.objectExists(viewName, 1)) {
        if (message(QStringLiteral("동일한 이름의 View 생성되어 있습니다.") + QStringLiteral("\r\n") +
                        QStringLiteral("수정 하시겠습니까?"),
                    platform::MessageButtons::YesNo) != platform::MessageAnswer::Yes) {
            LoadViewList();
            return;
        }
        alter = true;
    }

    worklist::ViewFields fields;
    fields.stationAe = m_ui.Text5->text();
    fields.deviceModality = m_ui.Text6->text();
    fields.orderModalities = m_ui.Text3->text();
    fields.orderCodes = m_ui.Text4->text();
    fields.excludeCodes = value(m_ui.Check9);
    fields.characterSet = m_ui.Combo2->currentText();
    fields.kindCaption = m_ui.Combo3->currentText();
    fields.codeMapping = value(m_ui.Check7);
    fields.codeMappingText = m_ui.Text13->text();
    fields.cutExamName = value(m_ui.Check11);
    fields.cutStart = m_ui.Text14->text();
    fields.cutLength = m_ui.Text15->text();
    const QString statement =
        worklist::generateView(worklist::viewHeader(alter, viewName), platform::readLines(templatePath), fields);

    m_db.executeSql(statement);
    // The view exists now: the device is registered with the gateway even when
    // the list cannot be read again, and that failure is told after.
    std::exception_ptr listFailure;
    try {
        LoadViewList();
    } catch (const platform::Error &) {
        listFailure = std::current_exception();
    }
    const std::optional<QString> silent = RegisterGatewayEntry();
    m_ui.Check4->setChecked(false);
    message(QStringLiteral("완료되었습니다."));
    warnGatewaySilent(silent);
    if (listFailure)
        guard([&] { std::rethrow_exception(listFailure); }, QStringLiteral("View 목록"));
    Command8_Click();
}

// The control file's lines with the device added, as the fields stand now.
std::function<QStringList(const QStringList &)> Form1::registration(const QString &ae, const QString &viewName) const
{
    const bool fcrXg5000 = m_ui.Check8->isChecked();
    return [ae, viewName, fcrXg5000](const QStringList &lines) {
        return worklist::control::registerDevice(lines, ae, viewName, fcrXg5000);
    };
}

std::function<QStringList(const QStringList &)> Form1::removal(const QString &viewName) const
{
    const QString ae = m_ui.Text2->text();
    return [ae, viewName](const QStringList &lines) {
        return worklist::control::removeDevice(lines, ae, viewName, worklist::control::olderViewName(viewName));
    };
}

std::optional<QString> Form1::RegisterGatewayEntry()
{
    // The gateway is stopped only when there is a file to edit: without one it
    // keeps serving the devices it knows.
    const QString path = worklist::gateway::findControlFile(m_context.paths);
    if (path.isEmpty()) {
        message(QStringLiteral("ZORadoDidServiceControl.ini 파일이 없어 View만 생성 되었습니다. "
                               "ZORadoDidServiceControl.exe 실행 후 직접 입력하십시오."));
        return std::nullopt;
    }
    const QString ae = m_ui.Text2->text();
    const QString viewName = worklist::viewName(worklist::kindFromCaption(m_ui.Combo3->currentText()), ae);
    return restartGatewayAround([&] {
        rebuildControlText(path, registration(ae, viewName));
        platform::writeTextFile(path, boxText(m_ui.Text1));
    });
}

std::optional<QString> Form1::RemoveGatewayEntry(const QString &viewName)
{
    const QString path = worklist::gateway::findControlFile(m_context.paths);
    if (path.isEmpty()) {
        message(QStringLiteral("ZORadoDidServiceControl.ini 파일이 없습니다. 확인 후 실행하시기 바랍니다."));
        return std::nullopt;
    }
    return restartGatewayAround([&] {
        rebuildControlText(path, removal(viewName));
        platform::writeTextFile(path, boxText(m_ui.Text1));
    });
}

// --- presets

static void clearedPreset(Ui::Form1 &ui)
{
    ui.Text2->clear();
    ui.Text5->clear();
    Form1::setComboText(ui.Combo2, kDefaultCharacterSet);
    ui.Text3->clear();
    ui.Text6->clear();
    ui.Check3->setChecked(false);
}

static void preset(Ui::Form1 &ui, const QString &ae, const QString &characterSet)
{
    Form1::setComboText(ui.Combo3, worklist::caption(ViewKind::KK));
    ui.Text2->setText(ae);
    ui.Text5->setText(ae);
    Form1::setComboText(ui.Combo2, characterSet);
    ui.Text3->setText(QStringLiteral("CR"));
    ui.Text6->setText(QStringLiteral("CR"));
}

// "FCR연동"
void Form1::Check4_Click()
{
    if (m_ui.Check4->isChecked()) {
        m_ui.Check5->setChecked(false);
        preset(m_ui, QStringLiteral("FCR-CSL"), QStringLiteral("\\ISO 2022 IR 149"));
    } else if (!m_ui.Check5->isChecked()) {
        clearedPreset(m_ui);
    }
}

// "AGFA연동"
void Form1::Check5_Click()
{
    if (m_ui.Check5->isChecked()) {
        m_ui.Check4->setChecked(false);
        m_ui.Check8->setChecked(false);
        preset(m_ui, QStringLiteral("QSSERVER"), QStringLiteral("ISO_IR 192"));
    } else if (!m_ui.Check4->isChecked()) {
        clearedPreset(m_ui);
    }
}

// "FCR_XG5000": read when a device is registered.
void Form1::Check8_Click()
{
    if (m_ui.Check8->isChecked())
        m_ui.Check5->setChecked(false);
}

// "삭제": drops the device's view and takes the device out of the control
// file. The fields other than the AE title are emptied in every case, a
// refusal included.
void Form1::Command5_Click()
{
    const auto emptyFields = [this] {
        for (QLineEdit *field : {m_ui.Text3, m_ui.Text4, m_ui.Text5, m_ui.Text6, m_ui.Text9})
            field->clear();
        setComboText(m_ui.Combo2, kDefaultCharacterSet);
    };
    const ViewKind kind = worklist::kindFromCaption(m_ui.Combo3->currentText());
    if (!m_ui.Text2->text().isEmpty()) {
        if (const std::optional<QString> problem = worklist::checks::aeTitleProblem(m_ui.Text2->text())) {
            message(*problem);
            emptyFields();
            return;
        }
    }
    QString viewName = worklist::viewName(kind, m_ui.Text2->text());
    if (worklist::deletionFallsBackToOlderName(kind) && !m_db.objectExists(viewName, 1))
        viewName = worklist::control::olderViewName(viewName);
    if (m_db.objectExists(viewName, 1)) {
        const QString path = worklist::gateway::findControlFile(m_context.paths);
        if (!path.isEmpty()) {
            if (const std::optional<QString> problem = worklist::gateway::controlFileProblem(path, removal(viewName))) {
                message(*problem);
                emptyFields();
                return;
            }
        }
        m_db.executeSql(worklist::statements::dropView(viewName));
        const std::optional<QString> silent = RemoveGatewayEntry(viewName);
        m_ui.List2->clear();
        m_ui.Text2->clear();
        LoadViewList();
        emptyFields();
        warnGatewaySilent(silent);
        return;
    }
    emptyFields();
}

// "초기화"
void Form1::Command8_Click()
{
    for (QLineEdit *field : {m_ui.Text2, m_ui.Text3, m_ui.Text4, m_ui.Text5, m_ui.Text6, m_ui.Text9})
        field->clear();
    m_ui.Check9->setChecked(false);
    setComboText(m_ui.Combo3, worklist::defaultCaption());
    setComboText(m_ui.Combo2, kDefaultCharacterSet);
}

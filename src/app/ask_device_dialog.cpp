#include "ask_device_dialog.h"

#include "form1.h"

#include "devicequery/device_check.h"
#include "devicequery/worklist_client.h"
#include "platform/paths.h"
#include "platform/services.h"

#include <QMenu>
#include <QPointer>
#include <QThread>

AskDeviceDialog::AskDeviceDialog(devicequery::Situation prepared, QWidget *parent)
    : QDialog(parent), m_situation(std::move(prepared))
{
    m_ui.setupUi(this);
    m_ui.aeEdit->setText(m_situation.aeTitle);
    m_ui.hostEdit->setText(m_situation.host);
    m_ui.portSpin->setValue(m_situation.port);
    connect(m_ui.askButton, &QPushButton::clicked, this, &AskDeviceDialog::ask);
    connect(m_ui.cancelButton, &QPushButton::clicked, this, &AskDeviceDialog::cancel);
    connect(m_ui.closeButton, &QPushButton::clicked, this, &AskDeviceDialog::reject);
    showSituation();
}

AskDeviceDialog::~AskDeviceDialog()
{
    if (m_thread) {
        // The query stops at its next look at the flag (a second at most).
        m_cancel->store(true);
        m_thread->wait();
        delete m_thread;
    }
}

void AskDeviceDialog::showSituation()
{
    Form1::setBoxText(m_ui.keysText, devicequery::keysText(m_situation.keys));
    Form1::setBoxText(m_ui.rowsText, devicequery::rowsText(m_situation));
}

void AskDeviceDialog::ask()
{
    if (m_thread)
        return;
    if (!worklist::gateway::validAeTitle(m_ui.aeEdit->text().trimmed())) {
        m_ui.progressLabel->setText(QStringLiteral("AE Title은 1~16자의 영문, 숫자, 기호입니다."));
        return;
    }
    m_situation.aeTitle = m_ui.aeEdit->text().trimmed();
    m_situation.host = m_ui.hostEdit->text().trimmed();
    m_situation.port = m_ui.portSpin->value();
    if (m_situation.timeoutSeconds <= 0)
        m_situation.timeoutSeconds = 15;
    devicequery::Request request;
    request.callingAeTitle = m_situation.aeTitle;
    request.calledAeTitle = m_situation.calledAeTitle;
    request.host = m_situation.host;
    request.port = m_situation.port;
    request.keys = m_situation.keys;
    request.timeoutSeconds = m_situation.timeoutSeconds;

    m_answer = std::make_shared<devicequery::Answer>();
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    m_ui.itemsText->clear();
    m_ui.findingsList->clear();
    m_ui.askButton->setEnabled(false);
    m_ui.cancelButton->setEnabled(true);
    m_ui.progressBar->setVisible(true);
    m_ui.progressLabel->setText(QStringLiteral("조회 중입니다."));

    // The worker owns nothing of the window: it reports progress by posting to it.
    QPointer<QLabel> label = m_ui.progressLabel;
    auto answer = m_answer;
    auto cancelFlag = m_cancel;
    m_thread = QThread::create([request, answer, cancelFlag, label] {
        *answer = devicequery::askWorklist(request, *cancelFlag, [label](int n) {
            QMetaObject::invokeMethod(
                label,
                [label, n] {
                    if (label)
                        label->setText(QStringLiteral("항목 %1건 받는 중입니다.").arg(n));
                },
                Qt::QueuedConnection);
        });
    });
    connect(m_thread, &QThread::finished, this, &AskDeviceDialog::queryEnded);
    m_thread->start();
}

void AskDeviceDialog::cancel()
{
    if (!m_thread)
        return;
    m_cancel->store(true);
    m_ui.cancelButton->setEnabled(false);
    m_ui.progressLabel->setText(QStringLiteral("취소하는 중입니다."));
}

// Closed while a query runs, the dialog hides at once and goes when its worker ends.
void AskDeviceDialog::reject()
{
    cancel();
    QDialog::reject();
    if (!m_thread)
        deleteLater();
}

QJsonObject AskDeviceDialog::record() const
{
    return devicequery::toJson(m_situation, m_findings);
}

void AskDeviceDialog::queryEnded()
{
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    if (!isVisible()) {
        deleteLater();
        return;
    }
    m_situation.answer = *m_answer;
    m_findings = devicequery::findings(m_situation);
    Form1::setBoxText(m_ui.itemsText, devicequery::itemsText(m_situation.answer));
    m_ui.findingsList->clear();
    if (m_findings.isEmpty())
        m_ui.findingsList->addItem(devicequery::findingsText(m_findings));
    for (const devicequery::Finding &f : m_findings)
        m_ui.findingsList->addItem(devicequery::findingsText({f}));
    m_ui.askButton->setEnabled(true);
    m_ui.cancelButton->setEnabled(false);
    m_ui.progressBar->setVisible(false);
    m_ui.progressLabel->setText(devicequery::hasError(m_findings) ? QStringLiteral("문제가 있습니다.")
                                                                  : QStringLiteral("조회를 마쳤습니다."));
}

AskDeviceDialog *openAskDevice(Form1 &form, const QString &aeTitle,
                               const std::optional<devicequery::LoggedEntry> &entry)
{
    if (!worklist::gateway::validAeTitle(aeTitle)) {
        form.message(QStringLiteral("장비의 AE Title을 알 수 없어 조회할 수 없습니다."));
        return nullptr;
    }
    const AppContext &context = form.context();
    const QDate today = context.clock.today();
    QList<devicequery::LoggedEntry> entries;
    if (entry)
        entries.append(*entry);
    else
        entries = devicequery::scanLogEntries(context.paths.resolve(form.ui().Text12->text()));
    auto *dialog = new AskDeviceDialog(
        devicequery::prepare(context.paths, &form.database(), aeTitle, entries, QString(), today), &form);
    dialog->setWindowTitle(QStringLiteral("장비로 조회 - ") + aeTitle);
    dialog->show();
    dialog->ask();
    return dialog;
}

AskDeviceDialog *askDeviceFromList(Form1 &form, QListWidget *list, int row)
{
    const QListWidgetItem *item = list->item(row);
    if (list == form.ui().List3) {
        const devicequery::LoggedEntry entry{Form1::loggedEntry(item), item->data(Form1::kLoggedDayRole).toDate()};
        return openAskDevice(form, devicequery::entryAeTitle(entry.text), entry);
    }
    const devicequery::ControlFile control = devicequery::readControlFile(form.context().paths);
    return openAskDevice(form, devicequery::aeTitleServedBy(control.lines, item->text()), std::nullopt);
}

void installAskDeviceMenus(Form1 &form)
{
    for (QListWidget *list : {form.ui().List2, form.ui().List3}) {
        list->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(list, &QWidget::customContextMenuRequested, &form, [&form, list](const QPoint &pos) {
            const QListWidgetItem *item = list->itemAt(pos);
            if (!item)
                return;
            const int row = list->row(item);
            QMenu menu;
            const QAction *askAction = menu.addAction(QStringLiteral("장비로 조회"));
            if (menu.exec(list->viewport()->mapToGlobal(pos)) == askAction)
                form.guard([&] { askDeviceFromList(form, list, row); });
        });
    }
}

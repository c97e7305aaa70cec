#include "app/form1.h"

#include "gatewaylog/log_entry.h"
#include "gatewaylog/log_files.h"
#include "gatewaylog/log_scanner.h"
#include "gatewaylog/order_lookup.h"
#include "platform/paths.h"
#include "platform/services.h"
#include "worklist/gateway_control.h"

#include <QFileInfo>

// The files of the log folder in Text12 shown in File1; the gateway's logs
// among them, and the folder they lie in.
QStringList Form1::gatewayLogsIn(QString &folder)
{
    folder = m_context.paths.resolve(m_ui.Text12->text());
    const QStringList all = gatewaylog::folderFiles(folder, m_ui.Text12->text());
    m_ui.File1->clear();
    m_ui.File1->addItems(all);
    return gatewaylog::gatewayLogFiles(all, m_ui.Text7->text());
}

// " 워크리스트   로그확인": one entry per distinct device association in the logs.
void Form1::Command7_Click()
{
    m_ui.List3->clear();
    QString folder;
    const QStringList logs = gatewayLogsIn(folder);

    gatewaylog::Scanner scanner;
    gatewaylog::MarkedLineReader reader(gatewaylog::Scanner::markers(), false);
    runBusy(QStringLiteral("로그 확인 중입니다."), int(logs.size()), [&](const BusyProgress &progress) {
        gatewaylog::readLogs(
            folder, logs, reader,
            [&](QByteArrayView line, bool adjacent, quint32 found) { scanner.feed(line, adjacent, found); }, progress);
    });
    for (const QString &entry : scanner.entries()) {
        auto *item = new QListWidgetItem(gatewaylog::format::unescape(entry), m_ui.List3);
        item->setData(kLoggedEntryRole, entry);
        item->setData(kLoggedDayRole, scanner.lastDay(entry));
    }
    if (scanner.cut())
        m_ui.Label3->setText(gatewaylog::cutNote());
}

QString Form1::loggedEntry(const QListWidgetItem *item)
{
    const QVariant logged = item->data(kLoggedEntryRole);
    return logged.isValid() ? logged.toString() : item->text();
}

// A scanned entry taken apart into Text8, with its AE title and view handed to
// the fields below the list.
void Form1::List3_Click()
{
    const QListWidgetItem *item = m_ui.List3->currentItem();
    if (!item)
        return;
    const gatewaylog::Inspection r = gatewaylog::inspect(loggedEntry(item));
    setBoxText(m_ui.Text8, r.text);
    m_ui.Text10->setText(r.aeTitle);
    if (r.view)
        m_ui.Text11->setText(*r.view);
}

// The orders the device in Text10 received from the view in Text11.
void Form1::Command11_Click()
{
    setBoxText(m_ui.Text8, QString());
    QString folder;
    const QStringList logs = gatewayLogsIn(folder);

    gatewaylog::OrderLookup lookup(m_ui.Text10->text(), m_ui.Text11->text());
    gatewaylog::MarkedLineReader reader = lookup.reader();
    runBusy(QStringLiteral("처방 조회 중입니다."), int(logs.size()), [&](const BusyProgress &progress) {
        gatewaylog::readLogs(
            folder, logs, reader,
            [&](QByteArrayView line, bool adjacent, quint32 found) { lookup.feed(line, adjacent, found); }, progress);
    });
    setBoxText(m_ui.Text8, lookup.text());
    m_ui.Label3->setText(gatewaylog::OrderLookup::helpText() +
                         (lookup.cut() ? QStringLiteral("\r\n") + gatewaylog::cutNote() : QString()));
}

// "로그 삭제": the gateway's log files go, with the gateway stopped meanwhile.
void Form1::Command12_Click()
{
    // Without the folder there is nothing to delete: the gateway is left running.
    const QString windowsFolder = m_ui.Text12->text();
    const QString folder = m_context.paths.resolve(windowsFolder);
    if (!QFileInfo(folder).isDir())
        return;
    worklist::gateway::stopGateway(m_context.commands);
    gatewaylog::deleteLogs(folder, windowsFolder);
    m_context.commands.start(QString::fromUtf16(worklist::gateway::kStartGateway));
    m_ui.List3->clear();
}

void Form1::Text12_DblClick()
{
    if (QFileInfo(m_context.paths.resolve(m_ui.Text12->text())).isDir())
        m_context.commands.openFolder(m_ui.Text12->text());
}

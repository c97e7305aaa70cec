#pragma once

#include "ui_ask_device_dialog.h"

#include "devicequery/findings.h"

#include <QDialog>
#include <QJsonObject>

#include <atomic>
#include <memory>

class Form1;
class QListWidget;
class QThread;

// Asks the gateway as one device and shows, side by side, the device's keys,
// the rows its view gives in SQL, the items the gateway sends over DICOM and
// what is wrong. The query runs on a thread of its own that holds only the
// DICOM association; the keys, the view's rows and the findings are made on
// the window's thread.
class AskDeviceDialog final : public QDialog
{
    Q_OBJECT

public:
    AskDeviceDialog(devicequery::Situation prepared, QWidget *parent = nullptr);
    ~AskDeviceDialog() override;

    Ui::AskDeviceDialog &ui() { return m_ui; }
    void ask();
    void cancel();
    bool running() const { return m_thread != nullptr; }
    const QList<devicequery::Finding> &findings() const { return m_findings; }
    // The keys, the view's rows, the items and the findings, as the command line prints them.
    QJsonObject record() const;

protected:
    void reject() override;

private:
    void queryEnded();
    void showSituation();

    Ui::AskDeviceDialog m_ui;
    devicequery::Situation m_situation;
    QList<devicequery::Finding> m_findings;
    std::shared_ptr<devicequery::Answer> m_answer;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    QThread *m_thread = nullptr;
};

// The context menus "장비로 조회" on the view list (that view's device) and on
// the scanned log entries (that entry's device and its keys).
void installAskDeviceMenus(Form1 &form);

// Opens the dialog for a device; entry: its scanned log entry, if any.
AskDeviceDialog *openAskDevice(Form1 &form, const QString &aeTitle,
                               const std::optional<devicequery::LoggedEntry> &entry);
// The same for item `row` of List2 or List3, as their menus open it.
AskDeviceDialog *askDeviceFromList(Form1 &form, QListWidget *list, int row);

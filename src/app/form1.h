#pragma once

#include "app_context.h"
#include "ui_form1.h"

#include "db/db_session.h"
#include "platform/services.h"

#include <QWidget>

#include <functional>
#include <optional>

// The tool's one working window. Every operation is a handler here, reading
// its inputs from the controls and writing its results into them. Each handler
// is defined in the folder of the subsystem that owns it.
class Form1 final : public QWidget
{
    Q_OBJECT

public:
    explicit Form1(AppContext context, QWidget *parent = nullptr);
    ~Form1() override;

    Ui::Form1 &ui() { return m_ui; }
    db::DbSession &database() { return m_db; }
    const AppContext &context() const { return m_context; }

    // Runs a handler inside the window's guard: an error that escapes it is shown
    // in a message box under the application's title; the window stays open.
    // A refused statement is told in a short sentence naming the operation and
    // what it worked on; the database's text and the statement go under details.
    void guard(const std::function<void()> &handler, const QString &operation = QString());

    // Long work on the window's own thread: Label3 shows its progress and the
    // window keeps repainting, but takes no input until the work ends.
    using BusyProgress = std::function<void(int file, qint64 done, qint64 total)>;
    void runBusy(const QString &what, int files, const std::function<void(const BusyProgress &)> &work);
    bool busy() const { return m_busy; }

    bool logOptionArmed() const { return m_logOptionArmed != 0; }

    // Message boxes under the application's title.
    platform::MessageAnswer message(const QString &text,
                                    platform::MessageButtons buttons = platform::MessageButtons::Ok,
                                    const QString &detail = QString());

    // An editable combo box's text, set without choosing an item.
    static void setComboText(QComboBox *combo, const QString &text);
    static void repaintNow(QWidget *widget);
    // A multi-line box's text with its CR LF line ends: the box itself keeps
    // paragraphs, which would turn every CR LF of a file into a bare LF.
    static void setBoxText(QPlainTextEdit *box, const QString &text);
    static QString boxText(const QPlainTextEdit *box);

    static constexpr const char16_t *kAccountPlaceholder = u"복사 대상 계정 선택";
    // A List3 item shows its entry as the devices sent it; it keeps the entry as
    // logged, which the inspector and the device query take apart, and the day
    // of its newest association.
    static constexpr int kLoggedEntryRole = Qt::UserRole;
    static constexpr int kLoggedDayRole = Qt::UserRole + 1;
    static QString loggedEntry(const QListWidgetItem *item);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // The login dialog loads the window once the access code matches.
    friend class frmLogin;

    // --- start-up and end (app/form1.cpp)
    void Form_Load();
    void Form_Unload();
    void Com_End_Click();
    bool ConnectDatabase();
    void CloseDatabase();

    // --- the window's own behaviour (app/form1.cpp)
    void Form_MouseMove();
    void showHint(QWidget *control);
    void enterPressed(QWidget *field);
    void Text2_LostFocus();
    void Check3_Click();

    // --- view kinds and catalogue (worklist/view_catalogue_handlers.cpp)
    void LoadViewList();
    void Combo3_Click();

    // --- view builder: registration, presets, deletion, reset (worklist/view_builder_handlers.cpp)
    void Command6_Click();
    // The gateway's address when it did not answer after the edit.
    std::optional<QString> RegisterGatewayEntry();
    std::optional<QString> RemoveGatewayEntry(const QString &viewName);
    // The control file's edits, made of the fields as they stand.
    std::function<QStringList(const QStringList &)> registration(const QString &ae, const QString &viewName) const;
    std::function<QStringList(const QStringList &)> removal(const QString &viewName) const;
    void Check4_Click();
    void Check5_Click();
    void Check8_Click();
    void Command5_Click();
    void Command8_Click();

    // --- view reader and order preview (worklist/view_reader_handlers.cpp)
    void List2_Click();
    QStringList ReadViewDefinition(const QString &name);
    void ParseViewDefinition(const QStringList &rows);
    void Command2_Click();
    void Check10_Click();
    void Check1_Click();
    void Check2_Click();

    // --- the gateway's control file and restart (worklist/gateway_handlers.cpp)
    // Empties Text1, reads the control file and leaves its rewritten text in Text1.
    void rebuildControlText(const QString &path, const std::function<QStringList(const QStringList &)> &rewrite);
    // Stops the gateway, runs the edit, and one second later starts it again.
    // A failed edit leaves the control file as it was (it is only ever replaced
    // whole), so the gateway is started on it all the same before the error is shown.
    // The address the gateway did not answer at after its start, when the
    // control file names one and it stayed silent; nothing otherwise.
    std::optional<QString> restartGatewayAround(const std::function<void()> &edit,
                                                const std::function<void()> &beforeStart = {});
    // After the operation's own message: the gateway did not answer there.
    void warnGatewaySilent(const std::optional<QString> &silent);

    // --- log level (gatewaylog/log_level_handlers.cpp)
    void SyncLogLevel(int mode);
    void Option1_Click();
    void Option2_Click();
    void Command10_Click();

    // --- gateway log tools (gatewaylog/log_tools_handlers.cpp)
    void Command7_Click();
    void List3_Click();
    void Command11_Click();
    void Command12_Click();
    void Text12_DblClick();
    QStringList gatewayLogsIn(QString &folder);

    // --- account lists (accounts/account_list_handlers.cpp)
    void LoadAccounts();
    void Combo1_Click();

    // --- account settings tools (accounts/account_tools_handlers.cpp)
    void Command1_Click();
    void ResetUserSettings(qint32 key, const QString &levelCaption);
    void Command3_Click();
    void Command13_Click();
    void Command14_Click();
    std::optional<qint32> sourceAccount();
    struct AccountTarget
    {
        qint32 key;
        QString label;
    };
    QList<AccountTarget> targetAccounts(std::optional<qint32> source);
    // False when a statement was refused part way; the operator has been told.
    bool copyToTargets(const QString &operation, const QList<AccountTarget> &targets,
                       const std::function<void(qint32 target, QStringList &partsDone)> &copyTo);

    // --- romanization (romanize/romanize_handlers.cpp)
    void Command9_Click();
    void Command4_Click();

    void wireSignals();
    void applyDesignProperties();

    Ui::Form1 m_ui;
    AppContext m_context;
    db::DbSession m_db;
    qint16 m_logOptionArmed = 0;
    bool m_unloaded = false;
    bool m_busy = false;
};

#include "automation.h"

#include "ask_device_dialog.h"

#include "form1.h"
#include "frmlogin.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QHash>
#include <QJsonDocument>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>

#include <cstdio>
#include <stdexcept>

namespace app {

using platform::MessageAnswer;
using platform::MessageButtons;

MessageAnswer ScriptedMessageBoxes::show(const QString &text, const QString &title, MessageButtons buttons,
                                         const QString &detail)
{
    MessageAnswer answer = buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
    if (!m_answers.isEmpty())
        answer = m_answers.takeFirst();
    if (buttons == MessageButtons::Ok)
        answer = MessageAnswer::Ok;
    else if (answer == MessageAnswer::Ok)
        answer = MessageAnswer::No;
    const QLatin1String answerText(answer == MessageAnswer::Yes ? "Yes" : answer == MessageAnswer::No ? "No" : "OK");
    QJsonObject record{{QStringLiteral("text"), text},
                       {QStringLiteral("title"), title},
                       {QStringLiteral("buttons"), QLatin1String(buttons == MessageButtons::YesNo ? "YesNo" : "OK")},
                       {QStringLiteral("answer"), answerText}};
    // What the box holds under its details button, kept apart from the text it shows.
    if (!detail.isEmpty())
        record.insert(QStringLiteral("detail"), detail);
    m_record.append(record);
    return answer;
}

void RecordingPause::sleep(int milliseconds)
{
    m_record.append(QJsonObject{{QStringLiteral("ms"), milliseconds},
                                {QStringLiteral("afterCommands"), static_cast<int>(m_commands.history().size())}});
    if (m_waits)
        platform::ThreadPause().sleep(milliseconds);
}

namespace {

QString kindOf(QWidget *w)
{
    if (qobject_cast<QLabel *>(w))
        return QStringLiteral("label");
    if (qobject_cast<QPushButton *>(w))
        return QStringLiteral("button");
    if (qobject_cast<QCheckBox *>(w))
        return QStringLiteral("checkbox");
    if (qobject_cast<QRadioButton *>(w))
        return QStringLiteral("option");
    if (qobject_cast<QLineEdit *>(w) || qobject_cast<QPlainTextEdit *>(w))
        return QStringLiteral("textbox");
    if (qobject_cast<QComboBox *>(w))
        return QStringLiteral("combobox");
    if (qobject_cast<QListWidget *>(w))
        return w->objectName() == QLatin1String("File1") ? QStringLiteral("filelist") : QStringLiteral("listbox");
    if (qobject_cast<QFrame *>(w))
        return QStringLiteral("shape");
    return QStringLiteral("control");
}

QJsonObject describe(QWidget *w)
{
    QJsonObject c;
    c[QStringLiteral("kind")] = kindOf(w);
    c[QStringLiteral("enabled")] = w->isEnabled();
    c[QStringLiteral("visible")] = !w->isHidden();
    if (auto *label = qobject_cast<QLabel *>(w)) {
        c[QStringLiteral("caption")] = label->text();
    } else if (auto *button = qobject_cast<QAbstractButton *>(w)) {
        c[QStringLiteral("caption")] = button->text();
        if (button->isCheckable())
            c[QStringLiteral("value")] = button->isChecked() ? 1 : 0;
    } else if (auto *line = qobject_cast<QLineEdit *>(w)) {
        c[QStringLiteral("text")] = line->text();
    } else if (auto *plain = qobject_cast<QPlainTextEdit *>(w)) {
        c[QStringLiteral("text")] = Form1::boxText(plain);
    } else if (auto *combo = qobject_cast<QComboBox *>(w)) {
        c[QStringLiteral("text")] = combo->currentText();
        QJsonArray items;
        for (int i = 0; i < combo->count(); ++i)
            items.append(combo->itemText(i));
        c[QStringLiteral("items")] = items;
        c[QStringLiteral("index")] = combo->currentIndex();
    } else if (auto *list = qobject_cast<QListWidget *>(w)) {
        QJsonArray items;
        QJsonArray selected;
        for (int i = 0; i < list->count(); ++i) {
            items.append(list->item(i)->text());
            if (list->item(i)->isSelected())
                selected.append(i);
        }
        c[QStringLiteral("items")] = items;
        c[QStringLiteral("selected")] = selected;
        c[QStringLiteral("index")] = list->currentRow();
    }
    return c;
}

struct KeyStroke
{
    int key = 0;
    Qt::KeyboardModifiers modifiers;
    QString text;
};

// "Tab", "Shift+Tab", "Enter", "Down", "Ctrl+A", "x": one key as the keyboard sends it.
KeyStroke keyStroke(const QString &name)
{
    KeyStroke stroke;
    QString key = name;
    for (;;) {
        if (key.startsWith(QLatin1String("Shift+")) && key.size() > 6) {
            stroke.modifiers |= Qt::ShiftModifier;
            key = key.mid(6);
        } else if (key.startsWith(QLatin1String("Ctrl+")) && key.size() > 5) {
            stroke.modifiers |= Qt::ControlModifier;
            key = key.mid(5);
        } else {
            break;
        }
    }
    static const QHash<QString, std::pair<int, QString>> named{
        {QStringLiteral("Tab"), {Qt::Key_Tab, QStringLiteral("\t")}},
        {QStringLiteral("Enter"), {Qt::Key_Return, QStringLiteral("\r")}},
        {QStringLiteral("Escape"), {Qt::Key_Escape, QString(QChar(0x1b))}},
        {QStringLiteral("Space"), {Qt::Key_Space, QStringLiteral(" ")}},
        {QStringLiteral("Backspace"), {Qt::Key_Backspace, QString(QChar(0x08))}},
        {QStringLiteral("Delete"), {Qt::Key_Delete, QString(QChar(0x7f))}},
        {QStringLiteral("Up"), {Qt::Key_Up, QString()}},
        {QStringLiteral("Down"), {Qt::Key_Down, QString()}},
        {QStringLiteral("Left"), {Qt::Key_Left, QString()}},
        {QStringLiteral("Right"), {Qt::Key_Right, QString()}},
        {QStringLiteral("Home"), {Qt::Key_Home, QString()}},
        {QStringLiteral("End"), {Qt::Key_End, QString()}},
        {QStringLiteral("PageUp"), {Qt::Key_PageUp, QString()}},
        {QStringLiteral("PageDown"), {Qt::Key_PageDown, QString()}},
        {QStringLiteral("F4"), {Qt::Key_F4, QString()}},
    };
    if (const auto it = named.constFind(key); it != named.constEnd()) {
        stroke.key = it->first;
        stroke.text = it->second;
        if (stroke.key == Qt::Key_Tab && stroke.modifiers & Qt::ShiftModifier) {
            stroke.key = Qt::Key_Backtab;
            stroke.text.clear();
        }
    } else if (key.size() == 1) {
        const QChar c = key.at(0);
        stroke.text = key;
        if (c.isLetter() && c.unicode() < 0x80) {
            stroke.key = Qt::Key_A + (c.toUpper().unicode() - 'A');
            if (c.isUpper())
                stroke.modifiers |= Qt::ShiftModifier;
        } else if (c.unicode() < 0x80) {
            stroke.key = c.unicode(); // Qt's key codes are the characters' own codes for ASCII
        } else {
            stroke.key = Qt::Key_unknown;
        }
        if (stroke.modifiers & Qt::ControlModifier)
            stroke.text.clear();
    } else {
        throw ScriptError("unknown key: " + name.toStdString());
    }
    return stroke;
}

void sendKey(QWidget *target, const KeyStroke &stroke)
{
    QKeyEvent press(QEvent::KeyPress, stroke.key, stroke.modifiers, stroke.text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, stroke.key, stroke.modifiers, stroke.text);
    QApplication::sendEvent(target, &release);
}

// Where the operator clicks a button: its middle, or for a check box or an
// option button the box or circle, which takes the click however wide the control.
QPoint clickPoint(QAbstractButton *button)
{
    const bool check = qobject_cast<QCheckBox *>(button);
    if (!check && !qobject_cast<QRadioButton *>(button))
        return button->rect().center();
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    return button->style()
        ->subElementRect(check ? QStyle::SE_CheckBoxIndicator : QStyle::SE_RadioButtonIndicator, &option, button)
        .center();
}

QList<QWidget *> controlsOf(QWidget *form)
{
    QList<QWidget *> controls;
    for (QWidget *w : form->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_")) && !w->isWindow())
            controls.append(w);
    }
    return controls;
}

} // namespace

class ScriptRunner::Impl
{
public:
    Impl(frmLogin &login, Form1 &main, ScriptedMessageBoxes &messages, AutomationState &state)
        : m_login(login), m_main(main), m_messages(messages), m_state(state)
    {
    }

    void run(const QString &verb, const QString &afterVerb, const QString &control, const QString &rest);
    QJsonArray &snapshots() { return m_snapshots; }

private:
    QWidget *find(const QString &name);
    void settle();
    void activateFor(QWidget *w);
    void focusControl(QWidget *w, Qt::FocusReason reason);
    void focusForKeys(QWidget *w);
    void pressKey(const KeyStroke &stroke);
    void mouseClick(QWidget *target, const QPoint &at, bool doubleClick = false,
                    Qt::MouseButton button = Qt::LeftButton);
    void mouseDrag(QWidget *target, const QPoint &from, const QPoint &to);
    QPoint itemPoint(QListWidget *list, int n, const QString &control);

    frmLogin &m_login;
    Form1 &m_main;
    ScriptedMessageBoxes &m_messages;
    AutomationState &m_state;
    QJsonArray m_snapshots;
};

QWidget *ScriptRunner::Impl::find(const QString &name)
{
    if (name == QLatin1String("Form1"))
        return &m_main;
    if (name == QLatin1String("frmLogin"))
        return &m_login;
    for (QWidget *form : {static_cast<QWidget *>(&m_main), static_cast<QWidget *>(&m_login)}) {
        for (QWidget *w : controlsOf(form)) {
            if (w->objectName() == name)
                return w;
        }
    }
    throw ScriptError("unknown control: " + name.toStdString());
}

void ScriptRunner::Impl::settle()
{
    QApplication::processEvents();
    QApplication::processEvents();
}

void ScriptRunner::Impl::activateFor(QWidget *w)
{
    QWidget *window = w->window();
    if (window->isVisible() && QApplication::activeWindow() != window) {
        window->activateWindow();
        settle();
    }
}

void ScriptRunner::Impl::focusControl(QWidget *w, Qt::FocusReason reason)
{
    activateFor(w);
    w->setFocus(reason);
    settle();
}

// The keys go where the operator's would: to the control, once it has the focus.
// A control that has it already keeps it as it is (caret, current item).
void ScriptRunner::Impl::focusForKeys(QWidget *w)
{
    activateFor(w);
    if (!w->isEnabled() || !w->isVisible())
        throw ScriptError("the control cannot take keys: " + w->objectName().toStdString());
    if (QApplication::focusWidget() != w && w->focusProxy() != QApplication::focusWidget())
        focusControl(w, Qt::MouseFocusReason);
}

void ScriptRunner::Impl::pressKey(const KeyStroke &stroke)
{
    QWidget *target = QApplication::focusWidget();
    if (!target)
        throw ScriptError("no control has the focus");
    sendKey(target, stroke);
    settle();
}

void ScriptRunner::Impl::mouseClick(QWidget *target, const QPoint &at, bool doubleClick, Qt::MouseButton button)
{
    const QPointF local(at);
    const QPointF global(target->mapToGlobal(at));
    auto send = [&](QEvent::Type type) {
        QMouseEvent event(type, local, global, button, type == QEvent::MouseButtonRelease ? Qt::NoButton : button,
                          Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    };
    send(QEvent::MouseButtonPress);
    send(QEvent::MouseButtonRelease);
    if (doubleClick) {
        send(QEvent::MouseButtonDblClick);
        send(QEvent::MouseButtonRelease);
    }
}

// The left button pressed on one point, the pointer moved with it held to
// another, and released there.
void ScriptRunner::Impl::mouseDrag(QWidget *target, const QPoint &from, const QPoint &to)
{
    auto send = [&](QEvent::Type type, const QPoint &at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(at), QPointF(target->mapToGlobal(at)), button, held, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    const QPoint middle = (from + to) / 2;
    send(QEvent::MouseMove, middle, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

// Item N of a list box, scrolled into sight, and the point at its middle.
QPoint ScriptRunner::Impl::itemPoint(QListWidget *list, int n, const QString &control)
{
    if (n < 0 || n >= list->count())
        throw ScriptError("no such item in " + control.toStdString());
    list->scrollToItem(list->item(n));
    settle();
    return list->visualItemRect(list->item(n)).center();
}

void ScriptRunner::Impl::run(const QString &verb, const QString &afterVerb, const QString &control, const QString &rest)
{
    if (verb == QLatin1String("dump")) {
        m_snapshots.append(snapshot(m_login, m_main, m_state));
        return;
    }
    if (verb == QLatin1String("answer")) {
        if (control == QLatin1String("Yes"))
            m_messages.queue(MessageAnswer::Yes);
        else if (control == QLatin1String("No"))
            m_messages.queue(MessageAnswer::No);
        else if (control == QLatin1String("OK"))
            m_messages.queue(MessageAnswer::Ok);
        else
            throw ScriptError("answer takes Yes, No or OK");
        return;
    }
    if (m_state.ended)
        return; // the program has ended: nothing is left to act on
    if (verb == QLatin1String("login")) {
        focusControl(m_login.ui().txtPassword, Qt::OtherFocusReason);
        m_login.ui().txtPassword->setText(afterVerb);
        mouseClick(m_login.ui().cmdOK, clickPoint(m_login.ui().cmdOK));
    } else if (verb == QLatin1String("cancel")) {
        mouseClick(m_login.ui().cmdCancel, clickPoint(m_login.ui().cmdCancel));
    } else if (verb == QLatin1String("close")) {
        if (m_main.isVisible())
            m_main.close();
        else
            m_login.close();
    } else {
        QWidget *w = find(control);
        if (verb == QLatin1String("type")) {
            if (!w->isEnabled())
                return; // nothing can be typed into a disabled field
            focusControl(w, Qt::OtherFocusReason);
            if (auto *line = qobject_cast<QLineEdit *>(w))
                line->setText(rest);
            else if (auto *combo = qobject_cast<QComboBox *>(w))
                combo->setEditText(rest);
            else if (auto *plain = qobject_cast<QPlainTextEdit *>(w))
                plain->setPlainText(rest);
            else
                throw ScriptError("type needs a text box or combo box: " + control.toStdString());
        } else if (verb == QLatin1String("key")) {
            if (rest != QLatin1String("Enter"))
                throw ScriptError("key takes Enter");
            focusControl(w, Qt::OtherFocusReason);
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
            QApplication::sendEvent(w, &press);
            QApplication::sendEvent(w, &release);
        } else if (verb == QLatin1String("press")) {
            const KeyStroke stroke = keyStroke(rest);
            focusForKeys(w);
            pressKey(stroke);
        } else if (verb == QLatin1String("keys")) {
            focusForKeys(w);
            for (const QChar c : rest)
                pressKey(keyStroke(QString(c)));
        } else if (verb == QLatin1String("focus")) {
            focusControl(w, Qt::OtherFocusReason);
        } else if (verb == QLatin1String("click")) {
            auto *button = qobject_cast<QAbstractButton *>(w);
            if (!button)
                throw ScriptError("click needs a button, check box or option button: " + control.toStdString());
            if (button->isEnabled() && button->isVisible() && (button->focusPolicy() & Qt::ClickFocus))
                focusControl(button, Qt::MouseFocusReason);
            mouseClick(button, clickPoint(button));
        } else if (verb == QLatin1String("pick")) {
            bool ok = false;
            const int n = rest.toInt(&ok);
            if (!ok)
                throw ScriptError("pick needs an item number");
            if (auto *combo = qobject_cast<QComboBox *>(w)) {
                if (n < 0 || n >= combo->count())
                    throw ScriptError("no such item in " + control.toStdString());
                // The list drops down (F4), the first item is marked, Down moves
                // the mark to item N and Enter takes it, as with the keyboard.
                focusControl(combo, Qt::MouseFocusReason);
                sendKey(combo, keyStroke(QStringLiteral("F4")));
                settle();
                QAbstractItemView *list = combo->view();
                if (!list->isVisible())
                    throw ScriptError("the list of " + control.toStdString() + " does not drop down");
                sendKey(list, keyStroke(QStringLiteral("Home")));
                for (int i = 0; i < n; ++i)
                    sendKey(list, keyStroke(QStringLiteral("Down")));
                sendKey(list, keyStroke(QStringLiteral("Enter")));
            } else if (auto *list = qobject_cast<QListWidget *>(w)) {
                focusControl(list, Qt::MouseFocusReason);
                mouseClick(list->viewport(), itemPoint(list, n, control));
            } else {
                throw ScriptError("pick needs a combo box or list box: " + control.toStdString());
            }
        } else if (verb == QLatin1String("rclick") || verb == QLatin1String("drag")) {
            // The right button on item N; the left button from item N to item M.
            auto *list = qobject_cast<QListWidget *>(w);
            const QStringList numbers = rest.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            bool ok = list && numbers.size() == (verb == QLatin1String("drag") ? 2 : 1);
            QList<int> items;
            for (const QString &number : numbers) {
                bool isNumber = false;
                items.append(number.toInt(&isNumber));
                ok = ok && isNumber;
            }
            if (!ok)
                throw ScriptError(verb.toStdString() + " needs a list box and item numbers");
            focusControl(list, Qt::MouseFocusReason);
            if (verb == QLatin1String("rclick"))
                mouseClick(list->viewport(), itemPoint(list, items.at(0), control), false, Qt::RightButton);
            else
                mouseDrag(list->viewport(), itemPoint(list, items.at(0), control),
                          itemPoint(list, items.at(1), control));
        } else if (verb == QLatin1String("ask")) {
            // "장비로 조회" from the list's menu on item N; the query is waited for.
            auto *list = qobject_cast<QListWidget *>(w);
            bool ok = false;
            const int n = rest.toInt(&ok);
            if (!list || (list != m_main.ui().List2 && list != m_main.ui().List3) || !ok || n < 0 || n >= list->count())
                throw ScriptError("ask needs List2 or List3 and an item number");
            AskDeviceDialog *dialog = nullptr;
            m_main.guard([&] { dialog = askDeviceFromList(m_main, list, n); });
            while (dialog && dialog->running())
                QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        } else if (verb == QLatin1String("dblclick")) {
            focusControl(w, Qt::MouseFocusReason);
            mouseClick(w, w->rect().center(), true);
        } else if (verb == QLatin1String("hover")) {
            if (w == &m_main) {
                QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), m_main.mapToGlobal(QPointF(2, 2)), Qt::NoButton,
                                 Qt::NoButton, Qt::NoModifier);
                QApplication::sendEvent(&m_main, &move);
            } else {
                QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), w->mapToGlobal(QPointF(1, 1)));
                QApplication::sendEvent(w, &enter);
            }
        } else {
            throw ScriptError("unknown action: " + verb.toStdString());
        }
    }
    settle();
}

ScriptRunner::ScriptRunner(frmLogin &login, Form1 &main, ScriptedMessageBoxes &messages, AutomationState &state)
    : m_impl(std::make_unique<Impl>(login, main, messages, state))
{
}

ScriptRunner::~ScriptRunner() = default;

const QJsonArray &ScriptRunner::snapshots() const
{
    return m_impl->snapshots();
}

void ScriptRunner::run(const QString &line)
{
    const qsizetype first = line.indexOf(QLatin1Char(' '));
    const QString verb = first < 0 ? line : line.left(first);
    const QString afterVerb = first < 0 ? QString() : line.mid(first + 1);
    const qsizetype second = afterVerb.indexOf(QLatin1Char(' '));
    const QString control = second < 0 ? afterVerb : afterVerb.left(second);
    const QString rest = second < 0 ? QString() : afterVerb.mid(second + 1);
    m_impl->run(verb, afterVerb, control, rest);
}

QJsonObject snapshot(frmLogin &login, Form1 &main, const AutomationState &state)
{
    QJsonObject controls;
    for (QWidget *form : {static_cast<QWidget *>(&login), static_cast<QWidget *>(&main)}) {
        for (QWidget *w : controlsOf(form))
            controls[w->objectName()] = describe(w);
    }
    QWidget *focus = QApplication::focusWidget();
    QJsonArray statements;
    for (const QString &s : main.database().journal())
        statements.append(s);
    QJsonArray commands;
    for (const QString &c : state.commands->history())
        commands.append(c);
    // The device queries still open, the newest last.
    QJsonArray asked;
    for (const AskDeviceDialog *dialog : main.findChildren<AskDeviceDialog *>())
        asked.append(dialog->record());
    return QJsonObject{{QStringLiteral("controls"), controls},
                       {QStringLiteral("asked"), asked},
                       {QStringLiteral("focus"), focus ? focus->objectName() : QString()},
                       {QStringLiteral("messages"), state.messages->record()},
                       {QStringLiteral("commands"), commands},
                       {QStringLiteral("pauses"), state.pause ? state.pause->record() : QJsonArray()},
                       {QStringLiteral("statements"), statements},
                       {QStringLiteral("ended"), state.ended}};
}

int runAutomation(const QString &scriptPath, const QString &statePath, const QString &screenshotPath, frmLogin &login,
                  Form1 &main, ScriptedMessageBoxes &messages, AutomationState &state)
{
    QFile script(scriptPath);
    if (!script.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read the script %s\n", qPrintable(scriptPath));
        return 2;
    }
    ScriptRunner runner(login, main, messages, state);
    int exitCode = 0;
    const QStringList lines = QString::fromUtf8(script.readAll()).split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        try {
            runner.run(line);
        } catch (const ScriptError &e) {
            std::fprintf(stderr, "%s:%d: %s\n", qPrintable(scriptPath), i + 1, e.what());
            exitCode = 3;
            break;
        }
    }
    QJsonObject state_json{{QStringLiteral("snapshots"), runner.snapshots()},
                           {QStringLiteral("final"), snapshot(login, main, state)}};
    QFile out(statePath);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(statePath));
        return 2;
    }
    out.write(QJsonDocument(state_json).toJson(QJsonDocument::Indented));
    out.close();
    if (!screenshotPath.isEmpty()) {
        // The window in front: a device's query when one is open.
        const QList<AskDeviceDialog *> asked = main.findChildren<AskDeviceDialog *>();
        QWidget *front = asked.isEmpty() ? static_cast<QWidget *>(&main) : asked.last();
        if (!front->grab().save(screenshotPath, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(screenshotPath));
            return 2;
        }
    }
    return exitCode;
}

} // namespace app

#include "form1.h"

#include "ask_device_dialog.h"
#include "failure_text.h"

#include "platform/error.h"
#include "platform/paths.h"
#include "platform/services.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopeGuard>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The hint each control shows in Label3 while the pointer is over it.
QString hintFor(const QString &control)
{
    if (control == QLatin1String("Label2"))
        return QStringLiteral("기본 ISO_IR 100 설정 ") + kCrLf +
               QStringLiteral("FCR 경우 한글 설정 및 Character_set : '\\ISO 2022 IR 149', 일부 FCR 장비는 Station Ae : "
                              "FCR-CSL, Modality : CR 입력 필요");
    if (control == QLatin1String("Label4") || control == QLatin1String("Text5"))
        return QStringLiteral("장비에서 Worklist 요청 시 SCHEDULED_STATION_AETITLE 값이 있을 경우 사용");
    if (control == QLatin1String("Label7") || control == QLatin1String("Text2"))
        return QStringLiteral("장비 Ae Title 입력") + kCrLf +
               QStringLiteral("Ae Title 모를경우 Worklist Log 강화 후 확인 가능");
    if (control == QLatin1String("Label8") || control == QLatin1String("Text3") || control == QLatin1String("Text6"))
        return QStringLiteral("PACS처방은 CR, 장비는 DX 요청     : DX <- CR") + kCrLf +
               QStringLiteral("PACS처방은 CR, 장비도 CR 요청     :      <- CR") + kCrLf +
               QStringLiteral("PACS처방은 CR,RF, 장비는 DX 요청 : DX <- CR,RF") + kCrLf +
               QStringLiteral("장비는 모든 처방을 받고 CR,RF 만 받고 싶을경우:    <- CR,RF") + kCrLf;
    if (control == QLatin1String("Label9") || control == QLatin1String("Text4"))
        return QStringLiteral("특정 장비에서 Che001 사용자 코드만 필요한 경우 Che001 입력") + kCrLf +
               QStringLiteral("두개 이상일경우 ,로 구분 Che001, Che002");
    if (control == QLatin1String("Label13"))
        return QStringLiteral("장비 Worklist에서 한글 표시 여부 설정");
    return QString();
}

const char *const kHintControls[] = {"Label2", "Label4", "Label7", "Label8", "Label9", "Label13",
                                     "Text2",  "Text3",  "Text4",  "Text5",  "Text6"};

} // namespace

Form1::Form1(AppContext context, QWidget *parent) : QWidget(parent), m_context(std::move(context))
{
    m_ui.setupUi(this);
    applyDesignProperties();
    wireSignals();
    installAskDeviceMenus(*this);
}

Form1::~Form1()
{
    // Closing the window moves the focus out of its fields, and an edited combo
    // box then reports an activation: no handler may run on a window that is
    // being taken apart.
    for (QObject *child : findChildren<QObject *>()) {
        child->disconnect(this);
        child->removeEventFilter(this);
    }
}

void Form1::applyDesignProperties()
{
    setMouseTracking(true);
    for (QWidget *child : findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        const QVariant size = child->property("pointSizeF");
        if (size.isValid()) {
            QFont font = child->font();
            font.setPointSizeF(size.toDouble());
            child->setFont(font);
        }
        if (child->objectName().startsWith(QLatin1String("Shape"))) {
            // The rectangles are drawings on the window's surface, not controls.
            child->setAttribute(Qt::WA_TransparentForMouseEvents);
        } else {
            // A move over a control belongs to the control, never to the window.
            child->setAttribute(Qt::WA_NoMousePropagation);
        }
        if (auto *button = qobject_cast<QPushButton *>(child))
            button->setAutoDefault(true);
    }
    for (QComboBox *combo : {m_ui.Combo1, m_ui.Combo2, m_ui.Combo3}) {
        // What the operator types stays as typed: Enter adds no item and picks
        // none, and nothing completes or re-cases the text.
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setCompleter(nullptr);
        // Leaving the field would make an item whose caption matches the text
        // current and report it as picked: only a pick from the list, or an
        // arrow key in the box, is the operator's choice.
        QObject::disconnect(combo->lineEdit(), &QLineEdit::editingFinished, combo, nullptr);
        setComboText(combo, combo->property("designText").toString());
    }
    m_ui.Label3->setTextFormat(Qt::PlainText);
    // The hint panel's colour as a palette rather than a style sheet, so that
    // its text is drawn by the application's style and fitted like every caption.
    m_ui.Label3->setStyleSheet(QString());
    QPalette hintColours = m_ui.Label3->palette();
    hintColours.setColor(QPalette::Window, QColor(192, 255, 255));
    m_ui.Label3->setPalette(hintColours);
}

void Form1::wireSignals()
{
    for (const char *name : kHintControls)
        findChild<QWidget *>(QLatin1String(name))->installEventFilter(this);
    m_ui.Text2->installEventFilter(this);
    m_ui.Text12->installEventFilter(this);
    for (QComboBox *combo : {m_ui.Combo1, m_ui.Combo2, m_ui.Combo3}) {
        combo->installEventFilter(this);
        combo->lineEdit()->installEventFilter(this);
    }

    // Each handler runs in the guard under the name the operator knows its
    // operation by, which a failure's message starts with.
    auto run = [this](const char16_t *operation, void (Form1::*handler)()) {
        return [this, operation, handler] {
            guard([this, handler] { (this->*handler)(); }, QString::fromUtf16(operation));
        };
    };
    auto when = [this](const char16_t *operation, void (Form1::*handler)()) {
        return [this, operation, handler](bool on) {
            if (on)
                guard([this, handler] { (this->*handler)(); }, QString::fromUtf16(operation));
        };
    };

    for (QLineEdit *field : {m_ui.Text2, m_ui.Text3, m_ui.Text4, m_ui.Text5, m_ui.Text6})
        connect(field, &QLineEdit::returnPressed, this,
                [this, field] { guard([this, field] { enterPressed(field); }); });
    connect(m_ui.Check3, &QCheckBox::toggled, this, run(u"수정", &Form1::Check3_Click));
    connect(m_ui.Com_End, &QPushButton::clicked, this, run(u"종료", &Form1::Com_End_Click));

    connect(m_ui.Combo3, &QComboBox::activated, this, run(u"View 종류 선택", &Form1::Combo3_Click));
    connect(m_ui.Option1, &QRadioButton::toggled, this, when(u"로그없음", &Form1::Option1_Click));
    connect(m_ui.Option2, &QRadioButton::toggled, this, when(u"로그강화", &Form1::Option2_Click));
    connect(m_ui.Command6, &QPushButton::clicked, this, run(u"DB 등록", &Form1::Command6_Click));
    connect(m_ui.Command5, &QPushButton::clicked, this, run(u"삭제", &Form1::Command5_Click));
    connect(m_ui.Command8, &QPushButton::clicked, this, run(u"초기화", &Form1::Command8_Click));
    connect(m_ui.Check4, &QCheckBox::toggled, this, run(u"FCR연동", &Form1::Check4_Click));
    connect(m_ui.Check5, &QCheckBox::toggled, this, run(u"AGFA연동", &Form1::Check5_Click));
    connect(m_ui.Check8, &QCheckBox::toggled, this, run(u"FCR_XG5000", &Form1::Check8_Click));
    connect(m_ui.List2, &ListBox::picked, this, run(u"View 정의 읽기", &Form1::List2_Click));
    connect(m_ui.Command2, &QPushButton::clicked, this, run(u"처방조회", &Form1::Command2_Click));
    connect(m_ui.Check10, &QCheckBox::toggled, this, run(u"VMWL조회", &Form1::Check10_Click));
    connect(m_ui.Check1, &QCheckBox::toggled, this, run(u"처방조회 당일", &Form1::Check1_Click));
    connect(m_ui.Check2, &QCheckBox::toggled, this, run(u"처방조회 7일", &Form1::Check2_Click));
    connect(m_ui.Command7, &QPushButton::clicked, this, run(u"워크리스트 로그확인", &Form1::Command7_Click));
    connect(m_ui.List3, &ListBox::picked, this, run(u"로그 항목 확인", &Form1::List3_Click));
    connect(m_ui.Command11, &QPushButton::clicked, this, run(u"로그 처방조회", &Form1::Command11_Click));
    connect(m_ui.Command12, &QPushButton::clicked, this, run(u"로그 삭제", &Form1::Command12_Click));
    connect(m_ui.Command1, &QPushButton::clicked, this, run(u"계정 설정 초기화", &Form1::Command1_Click));
    connect(m_ui.Command3, &QPushButton::clicked, this, run(u"계정 설정값 복사", &Form1::Command3_Click));
    connect(m_ui.Command13, &QPushButton::clicked, this, run(u"GKey복사", &Form1::Command13_Click));
    connect(m_ui.Command14, &QPushButton::clicked, this, run(u"표준판독복사", &Form1::Command14_Click));
    connect(m_ui.Command9, &QPushButton::clicked, this, run(u"한글 이름 검색", &Form1::Command9_Click));
    connect(m_ui.Command4, &QPushButton::clicked, this, run(u"한글 로마자 표기변경", &Form1::Command4_Click));
    connect(m_ui.Text16, &QLineEdit::returnPressed, this, [this] {
        guard(
            [this] {
                Command9_Click();
                m_ui.Text17->setFocus();
            },
            QStringLiteral("한글 이름 검색"));
    });
    connect(m_ui.Text17, &QLineEdit::returnPressed, this, [this] { m_ui.Text18->setFocus(); });
    connect(m_ui.Text18, &QLineEdit::returnPressed, this, run(u"한글 로마자 표기변경", &Form1::Command4_Click));
    connect(m_ui.Command10, &QPushButton::clicked, this, run(u"로그 설정", &Form1::Command10_Click));
    connect(m_ui.Combo1, &QComboBox::activated, this, run(u"원본 계정 선택", &Form1::Combo1_Click));
}

void Form1::guard(const std::function<void()> &handler, const QString &operation)
{
    try {
        handler();
    } catch (const db::StatementError &e) {
        message(app::statementFailure(operation, e.statement()), platform::MessageButtons::Ok,
                app::statementFailureDetail(e.serverText(), e.statement()));
    } catch (const platform::Error &e) {
        message(e.text());
    } catch (const std::exception &e) {
        message(QString::fromLocal8Bit(e.what()));
    }
}

platform::MessageAnswer Form1::message(const QString &text, platform::MessageButtons buttons, const QString &detail)
{
    return m_context.messages.show(text, QString::fromUtf16(kAppTitle), buttons, detail);
}

void Form1::setComboText(QComboBox *combo, const QString &text)
{
    const QSignalBlocker block(combo);
    combo->setCurrentIndex(-1);
    combo->setEditText(text);
}

void Form1::setBoxText(QPlainTextEdit *box, const QString &text)
{
    box->setProperty("rawText", text);
    box->setPlainText(text);
}

QString Form1::boxText(const QPlainTextEdit *box)
{
    const QString shown = box->toPlainText();
    const QVariant raw = box->property("rawText");
    if (raw.isValid() && QString(raw.toString()).replace(QLatin1String("\r\n"), QLatin1String("\n")) == shown)
        return raw.toString();
    // Typed by the operator: a line break in a text box is CR LF.
    return QString(shown).replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}

void Form1::repaintNow(QWidget *widget)
{
    widget->repaint();
}

// --- start-up and end

void Form1::Form_Load()
{
    show();
    for (QPushButton *button : {m_ui.Command1, m_ui.Command3, m_ui.Command5, m_ui.Command6})
        button->setEnabled(false);
    repaintNow(this);
    if (!ConnectDatabase()) {
        message(QStringLiteral("DB 연결 실패"));
        m_context.endProgram();
        return;
    }
    const QString charsetText = m_ui.Combo2->currentText();
    m_ui.Combo2->addItems(QStringLiteral("ISO_IR 100|ISO 2022 IR 149|\\ISO 2022 IR 149|ISO_IR 192|ISO_IR 101|"
                                         "ISO_IR 109|ISO_IR 110|ISO_IR 144|ISO_IR 126|ISO_IR 127|ISO_IR 138|"
                                         "ISO_IR 148|ISO_IR 13|ISO_IR 166|ISO 2022 IR 6|ISO 2022 IR 100|"
                                         "ISO 2022 IR 101|ISO 2022 IR 109|ISO 2022 IR 110|ISO 2022 IR 144|"
                                         "ISO 2022 IR 127|ISO 2022 IR 126|ISO 2022 IR 138|ISO 2022 IR 148|"
                                         "ISO 2022 IR 13|ISO 2022 IR 166")
                              .split(u'|'));
    setComboText(m_ui.Combo2, charsetText);
    for (QPushButton *button : {m_ui.Command1, m_ui.Command3, m_ui.Command5, m_ui.Command6})
        button->setEnabled(true);
    const QString kindText = m_ui.Combo3->currentText();
    m_ui.Combo3->addItems({QStringLiteral("한글이름 / 검사명한글"), QStringLiteral("한글이름 / 검사명영문"),
                           QStringLiteral("영문이름 / 검사명한글"), QStringLiteral("영문이름 / 검사명영문"),
                           QStringLiteral("영문이름 / 검사명영문(기초자료)")});
    setComboText(m_ui.Combo3, kindText);

    // A failure in one of the steps below is shown; the window keeps what was loaded.
    guard([this] { LoadAccounts(); }, QStringLiteral("계정 목록 읽기"));
    guard([this] { LoadViewList(); }, QStringLiteral("View 목록 읽기"));
    const QString logFolder = m_context.paths.resolve(QStringLiteral("C:\\RUDIVUV\\Log\\"));
    if (!QFileInfo(logFolder).isDir())
        m_ui.Text12->setText(QStringLiteral("C:\\Brevan\\Log\\"));
    guard([this] { SyncLogLevel(0); }, QStringLiteral("로그 설정 읽기"));
    m_ui.Text2->setFocus();
}

bool Form1::ConnectDatabase()
{
    return m_db.connect(m_context.paths.appDir(), m_context.clock.today());
}

void Form1::CloseDatabase()
{
    m_db.close();
}

void Form1::Com_End_Click()
{
    CloseDatabase();
    m_unloaded = true;
    m_context.endProgram();
}

void Form1::Form_Unload()
{
    m_unloaded = true;
    guard([this] { m_ui.Option1->setChecked(true); }, QStringLiteral("종료"));
    CloseDatabase();
    m_context.endProgram();
}

void Form1::closeEvent(QCloseEvent *event)
{
    if (m_busy) {
        event->ignore();
        return;
    }
    if (!m_unloaded)
        Form_Unload();
    event->accept();
}

// --- long work

namespace {

// Swallows the operator's input while long work runs on the window's thread.
class InputBlocker final : public QObject
{
public:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::ShortcutOverride:
            return true;
        default:
            return false;
        }
    }
};

} // namespace

void Form1::runBusy(const QString &what, int files, const std::function<void(const BusyProgress &)> &work)
{
    const QString hint = m_ui.Label3->text();
    InputBlocker blocker;
    qApp->installEventFilter(&blocker);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_busy = true;
    const auto restore = qScopeGuard([&] {
        m_busy = false;
        QApplication::restoreOverrideCursor();
        qApp->removeEventFilter(&blocker);
        m_ui.Label3->setText(hint);
    });
    std::optional<qint64> shown;
    const BusyProgress progress = [&](int file, qint64 done, qint64 total) {
        const qint64 now = m_context.clock.elapsedMilliseconds();
        if (shown && now - *shown < 100)
            return;
        shown = now;
        auto mb = [](qint64 bytes) { return QString::number(double(bytes) / (1024.0 * 1024.0), 'f', 1); };
        m_ui.Label3->setText(
            what + QStringLiteral("\r\n%1 / %2 파일, %3 MB / %4 MB").arg(file).arg(files).arg(mb(done), mb(total)));
        repaintNow(m_ui.Label3);
        QCoreApplication::processEvents();
    };
    progress(0, 0, 0);
    work(progress);
}

// --- the window's own behaviour

void Form1::Form_MouseMove()
{
    m_ui.Label3->setText(QString());
}

void Form1::mouseMoveEvent(QMouseEvent *event)
{
    Form_MouseMove();
    QWidget::mouseMoveEvent(event);
}

void Form1::showHint(QWidget *control)
{
    const QString hint = hintFor(control->objectName());
    if (!hint.isEmpty())
        m_ui.Label3->setText(hint);
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    auto *widget = qobject_cast<QWidget *>(watched);
    if (widget && (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove)) {
        if (widget->isEnabled())
            showHint(widget);
    } else if (widget == m_ui.Text2 && event->type() == QEvent::FocusOut) {
        // A message box or a switch to another program takes the focus only
        // for a while; the field is left when the focus moves within the window.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            guard([this] { Text2_LostFocus(); });
    } else if (event->type() == QEvent::KeyPress &&
               (qobject_cast<QComboBox *>(widget) || qobject_cast<QComboBox *>(widget->parentWidget()))) {
        // Enter in a combo box's field does nothing; picks come from its list.
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return true;
    } else if (widget == m_ui.Text12 && event->type() == QEvent::MouseButtonDblClick) {
        guard([this] { Text12_DblClick(); }, QStringLiteral("로그 폴더 열기"));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::enterPressed(QWidget *field)
{
    if (field == m_ui.Text2)
        m_ui.Text3->setFocus();
    else if (field == m_ui.Text5)
        m_ui.Text6->setFocus();
    else if (field == m_ui.Text6)
        m_ui.Text3->setFocus();
    else if (field == m_ui.Text3)
        m_ui.Text4->setFocus();
    else if (field == m_ui.Text4)
        m_ui.Command6->setFocus();
}

void Form1::Text2_LostFocus()
{
    m_ui.Text5->setText(m_ui.Text2->text());
}

void Form1::Check3_Click()
{
    m_ui.Text5->setEnabled(m_ui.Check3->isChecked());
}

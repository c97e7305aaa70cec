#include "frmlogin.h"

#include "access_code.h"
#include "form1.h"

#include "platform/services.h"

#include <QScreen>

frmLogin::frmLogin(AppContext context, Form1 &main, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      m_context(std::move(context)), m_main(main)
{
    m_ui.setupUi(this);
    setFixedSize(size());
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    connect(m_ui.cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(m_ui.cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

void frmLogin::cmdOK_Click()
{
    if (m_ui.txtPassword->text() == app::accessCode(m_context.clock.today())) {
        hide();
        m_main.Form_Load();
        return;
    }
    m_context.messages.show(QStringLiteral("암호가 잘못되었습니다. 다시 시도하십시오"), QStringLiteral("로그인"),
                            platform::MessageButtons::Ok);
    m_ui.txtPassword->setFocus();
    m_ui.txtPassword->setCursorPosition(0);
    m_ui.txtPassword->selectAll();
}

void frmLogin::cmdCancel_Click()
{
    hide();
    m_context.endProgram();
}

// Escape and the close box.
void frmLogin::reject()
{
    cmdCancel_Click();
}

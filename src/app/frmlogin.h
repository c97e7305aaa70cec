#pragma once

#include "app_context.h"
#include "ui_frmlogin.h"

#include <QDialog>

class Form1;

// The access-code dialog in front of everything: the day's code opens the main
// window; Cancel, Escape or the close box end the program.
class frmLogin final : public QDialog
{
    Q_OBJECT

public:
    frmLogin(AppContext context, Form1 &main, QWidget *parent = nullptr);

    Ui::frmLogin &ui() { return m_ui; }

    void cmdOK_Click();
    void cmdCancel_Click();

protected:
    void reject() override;

private:
    Ui::frmLogin m_ui;
    AppContext m_context;
    Form1 &m_main;
};

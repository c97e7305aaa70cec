#pragma once

#include "platform/services.h"

#include <QMessageBox>

#include <memory>

class QCoreApplication;

// Modal message boxes without an icon, as the operator knows them.
class QtMessageBoxes final : public platform::MessageBoxes
{
public:
    using platform::MessageBoxes::show;
    platform::MessageAnswer show(const QString &text, const QString &title, platform::MessageButtons buttons,
                                 const QString &detail) override;

    // The box as shown: wide enough for its whole title, a failure's long text
    // under its details button.
    static std::unique_ptr<QMessageBox> make(const QString &text, const QString &title,
                                             platform::MessageButtons buttons, const QString &detail,
                                             QWidget *parent = nullptr);
};

// Qt's own Korean texts for the buttons of message boxes and the edit menus.
// False when the translation is not installed: the buttons then stay English.
bool installKoreanTranslation(QCoreApplication &app);

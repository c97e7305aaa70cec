#pragma once

#include "platform/services.h"

class QWidget;

// Modal message boxes without an icon, as the operator knows them.
class QtMessageBoxes final : public platform::MessageBoxes
{
public:
    platform::MessageAnswer show(const QString &text, const QString &title, platform::MessageButtons buttons) override;
};

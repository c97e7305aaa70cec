#include "app_style.h"

#include <QFont>
#include <QPainter>
#include <QStyleOptionButton>

int AppStyle::styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                        QStyleHintReturn *returnData) const
{
    if (hint == SH_LineEdit_PasswordCharacter)
        return '*';
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

void AppStyle::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                           const QWidget *widget) const
{
    if (element == CE_PushButtonLabel) {
        if (const auto *button = qstyleoption_cast<const QStyleOptionButton *>(option)) {
            // A caption of one long word breaks anywhere rather than being cut.
            const int wrap = button->text.contains(QLatin1Char(' ')) ? Qt::TextWordWrap : Qt::TextWrapAnywhere;
            const int flags = Qt::AlignCenter | wrap | Qt::TextShowMnemonic;
            const QRect rect = button->rect.adjusted(2, 1, -2, -1);
            if (button->icon.isNull() && button->fontMetrics.horizontalAdvance(button->text) > rect.width()) {
                proxy()->drawItemText(painter, rect, flags, button->palette, button->state & State_Enabled,
                                      button->text, QPalette::ButtonText);
                return;
            }
        }
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void installKoreanFontFallbacks()
{
    const QStringList fallbacks{QStringLiteral("Gulim"),
                                QStringLiteral("NanumGothic"),
                                QStringLiteral("NanumBarunGothic"),
                                QStringLiteral("Noto Sans CJK KR"),
                                QStringLiteral("UnDotum"),
                                QStringLiteral("Baekmuk Gulim"),
                                QStringLiteral("Malgun Gothic")};
    QFont::insertSubstitutions(QStringLiteral("굴림"), fallbacks);
}

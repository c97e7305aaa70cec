#include "app_style.h"

#include <QFont>
#include <QFontInfo>
#include <QFontMetrics>
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

bool AppStyle::fits(const QFont &font, const QString &text, const QRect &rect, int flags)
{
    const QRect needed = QFontMetrics(font).boundingRect(rect, flags, text);
    return needed.width() <= rect.width() && needed.height() <= rect.height();
}

QFont AppStyle::captionFont(const QFont &font, const QString &text, const QRect &rect, int flags)
{
    QFont fitted = font;
    if (text.isEmpty() || rect.isEmpty() || fits(font, text, rect, flags))
        return fitted;
    qreal size = QFontInfo(font).pointSizeF();
    while (size > kSmallestPointSize && !fits(fitted, text, rect, flags)) {
        size = qMax(kSmallestPointSize, size - 0.25);
        fitted.setPointSizeF(size);
    }
    return fitted;
}

void AppStyle::drawItemText(QPainter *painter, const QRect &rect, int flags, const QPalette &palette, bool enabled,
                            const QString &text, QPalette::ColorRole textRole) const
{
    const QFont fitted = captionFont(painter->font(), text, rect, flags);
    if (fitted == painter->font()) {
        QProxyStyle::drawItemText(painter, rect, flags, palette, enabled, text, textRole);
        return;
    }
    painter->save();
    painter->setFont(fitted);
    QProxyStyle::drawItemText(painter, rect, flags, palette, enabled, text, textRole);
    painter->restore();
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

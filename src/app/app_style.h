#pragma once

#include <QProxyStyle>

// The look the site's operators know: passwords shown as "*", and button
// captions that do not fit on one line wrapped onto the next.
class AppStyle final : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override;
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override;
    void drawItemText(QPainter *painter, const QRect &rect, int flags, const QPalette &palette, bool enabled,
                      const QString &text, QPalette::ColorRole textRole = QPalette::NoRole) const override;

    // The font a caption is drawn in: the control's own, or a smaller one where
    // the caption would not fit its rectangle whole (the fallback fonts for
    // 굴림 are wider than 굴림 itself).
    static QFont captionFont(const QFont &font, const QString &text, const QRect &rect, int flags);
    static bool fits(const QFont &font, const QString &text, const QRect &rect, int flags);
    static constexpr qreal kSmallestPointSize = 5.0;
};

// Korean fonts the machine may have in place of 굴림.
void installKoreanFontFallbacks();

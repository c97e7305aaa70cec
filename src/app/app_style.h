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
};

// Korean fonts the machine may have in place of 굴림.
void installKoreanFontFallbacks();

#pragma once

#include <QListWidget>

// A list box that tells what the operator did from what the program did: picked()
// follows a click on an item or a keyboard move of the current item while the
// list has the focus. The focus arriving, by Tab or from code, makes no item
// current, and filling or clearing the list from code raises nothing.
class ListBox final : public QListWidget
{
    Q_OBJECT

public:
    using QListWidget::QListWidget;

Q_SIGNALS:
    void picked();

protected:
    void focusInEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
};

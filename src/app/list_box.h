#pragma once

#include <QListWidget>
#include <QPersistentModelIndex>

// A list box that tells what the operator did from what the program did: picked()
// follows a click on an item (the left button pressed and released on it, the
// highlighted item too) or a keyboard move of the current item while the list
// has the focus. The focus arriving, by Tab or from code, a right press, a drag
// and a double click's second press choose nothing and change no mark; filling
// or clearing the list from code raises nothing.
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
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QPersistentModelIndex m_pressed;
};

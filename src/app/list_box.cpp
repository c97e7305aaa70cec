#include "list_box.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>

void ListBox::focusInEvent(QFocusEvent *event)
{
    const bool noCurrent = !currentIndex().isValid();
    QListWidget::focusInEvent(event);
    if (noCurrent && currentIndex().isValid()) {
        const QSignalBlocker block(this);
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
}

void ListBox::keyPressEvent(QKeyEvent *event)
{
    const int before = currentRow();
    if (before < 0 && count() > 0 && event->key() == Qt::Key_End && event->modifiers() == Qt::NoModifier) {
        // Qt starts every move from the first item when none is current; End
        // goes to the last one all the same.
        const auto command =
            selectionMode() == SingleSelection ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::NoUpdate;
        selectionModel()->setCurrentIndex(model()->index(count() - 1, 0), command);
        Q_EMIT picked();
        return;
    }
    QListWidget::keyPressEvent(event);
    if (currentRow() >= 0 && currentRow() != before)
        Q_EMIT picked();
}

// The item view would move the mark already on the press, of any button, and
// along a drag; here only a whole click on one item chooses it.
void ListBox::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    m_pressed = event->button() == Qt::LeftButton ? indexAt(event->position().toPoint()) : QModelIndex();
}

void ListBox::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
}

void ListBox::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    const QModelIndex pressed = m_pressed;
    m_pressed = QModelIndex();
    if (event->button() != Qt::LeftButton || !pressed.isValid() || indexAt(event->position().toPoint()) != pressed)
        return;
    // A click in a list of several marks toggles its item; in a list of one
    // mark it marks the item, the one already marked too.
    selectionModel()->setCurrentIndex(pressed, selectionMode() == MultiSelection ? QItemSelectionModel::Toggle
                                                                                 : QItemSelectionModel::ClearAndSelect);
    Q_EMIT picked();
}

void ListBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
}

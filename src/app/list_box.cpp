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

void ListBox::mousePressEvent(QMouseEvent *event)
{
    const int before = currentRow();
    QListWidget::mousePressEvent(event);
    if (event->button() != Qt::LeftButton || !itemAt(event->position().toPoint()))
        return;
    // A click in a list of several marks toggles its item each time; in a list of
    // one mark only a move to another item is a new choice.
    if (selectionMode() == QAbstractItemView::MultiSelection || currentRow() != before)
        Q_EMIT picked();
}

#include "qt_message_boxes.h"

#include <QApplication>
#include <QMessageBox>

platform::MessageAnswer QtMessageBoxes::show(const QString &text, const QString &title,
                                             platform::MessageButtons buttons)
{
    QMessageBox box(QMessageBox::NoIcon, title, text,
                    buttons == platform::MessageButtons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    QApplication::activeWindow());
    const int answer = box.exec();
    if (buttons == platform::MessageButtons::Ok)
        return platform::MessageAnswer::Ok;
    return answer == QMessageBox::Yes ? platform::MessageAnswer::Yes : platform::MessageAnswer::No;
}

#include "qt_message_boxes.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLibraryInfo>
#include <QSpacerItem>
#include <QTranslator>

std::unique_ptr<QMessageBox> QtMessageBoxes::make(const QString &text, const QString &title,
                                                  platform::MessageButtons buttons, const QString &detail,
                                                  QWidget *parent)
{
    auto box = std::make_unique<QMessageBox>(
        QMessageBox::NoIcon, title, text,
        buttons == platform::MessageButtons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent);
    box->setTextFormat(Qt::PlainText);
    if (!detail.isEmpty())
        box->setDetailedText(detail);
    // A short text makes a narrow box, and the window's frame would cut the
    // title: keep room for it beside the frame's buttons.
    const int titleWidth = QFontMetrics(QApplication::font("QMdiSubWindowTitleBar")).horizontalAdvance(title);
    const int room = titleWidth + 160;
    if (auto *grid = qobject_cast<QGridLayout *>(box->layout()))
        grid->addItem(new QSpacerItem(room, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                      grid->columnCount());
    return box;
}

platform::MessageAnswer QtMessageBoxes::show(const QString &text, const QString &title,
                                             platform::MessageButtons buttons, const QString &detail)
{
    const std::unique_ptr<QMessageBox> box = make(text, title, buttons, detail, QApplication::activeWindow());
    const int answer = box->exec();
    if (buttons == platform::MessageButtons::Ok)
        return platform::MessageAnswer::Ok;
    return answer == QMessageBox::Yes ? platform::MessageAnswer::Yes : platform::MessageAnswer::No;
}

bool installKoreanTranslation(QCoreApplication &app)
{
    auto *translator = new QTranslator(&app);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QStringLiteral("qtbase_ko"), folder) &&
        !translator->load(QStringLiteral("qtbase_ko"),
                          QCoreApplication::applicationDirPath() + QStringLiteral("/translations"))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

#pragma once

#include <QString>

#include <exception>

namespace platform {

// An error whose text is meant for the operator: the database's or the file
// system's own words. Handlers let it travel up to the window's guard, which
// shows it in a message box.
class Error : public std::exception
{
public:
    explicit Error(QString text) : m_text(std::move(text)), m_utf8(m_text.toUtf8()) {}

    const QString &text() const noexcept { return m_text; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_text;
    QByteArray m_utf8;
};

} // namespace platform

#pragma once

#include "app_harness.h"

#include <QCryptographicHash>

// Short reads of the window's state and the site's files for the tests that
// drive the tool through AppHarness.
namespace checks {

inline QString lastMessage(const AppHarness &app)
{
    return app.messages().last().toObject().value(QStringLiteral("text")).toString();
}

inline QStringList statements(const AppHarness &app)
{
    QStringList list;
    for (const QJsonValue &v : app.state().value(QStringLiteral("statements")).toArray())
        list.append(v.toString());
    return list;
}

inline int value(const AppHarness &app, const QString &control)
{
    return app.control(control).value(QStringLiteral("value")).toInt();
}

inline bool enabled(const AppHarness &app, const QString &control)
{
    return app.control(control).value(QStringLiteral("enabled")).toBool();
}

inline QByteArray controlFile(const AppHarness &app)
{
    return app.site().readBytes(TestSite::kControlFile);
}

inline int count(AppHarness &app, const QString &sql)
{
    return app.form().database().open(sql).recordCount();
}

// The first field of every row; "<NULL>" for a NULL.
inline QStringList column(AppHarness &app, const QString &sql)
{
    QStringList values;
    for (db::Recordset r = app.form().database().open(sql); !r.eof(); r.moveNext())
        values.append(r.isNull(0) ? QStringLiteral("<NULL>") : r.text(0));
    return values;
}

// A site preparation that runs more statements after the demo script.
inline std::function<void(TestSite &)> demoPlus(const QByteArray &sql)
{
    return [sql](TestSite &site) {
        site.writeBytes(QStringLiteral("archive/demo.sql"),
                        site.readBytes(QStringLiteral("archive/demo.sql")).append('\n').append(sql).append('\n'));
    };
}

// What a refused operation leaves as it was: the statements sent, the gateway
// commands, the control file and the archive's files (by their digest).
inline QStringList traces(const AppHarness &app)
{
    const QByteArray archive =
        app.site().readBytes(QStringLiteral("archive.db")) + app.site().readBytes(QStringLiteral("archive.db-wal"));
    return {statements(app).join(u'\n'), app.commands().join(u'\n'), QString::fromLatin1(controlFile(app)),
            QString::fromLatin1(QCryptographicHash::hash(archive, QCryptographicHash::Sha1).toHex())};
}

// What applying a change to the gateway starts: both stopped, then started.
inline QStringList restart()
{
    return {QStringLiteral("taskkill /F /IM QXGateWayService.exe /T"),
            QStringLiteral("taskkill /F /IM ZORadoDidService.exe /T"), QStringLiteral("net start KALDEN1")};
}

} // namespace checks

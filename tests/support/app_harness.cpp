#include "app_harness.h"

#include "app/access_code.h"
#include "app/app_style.h"

#include <QApplication>

using namespace Qt::StringLiterals;

AppHarness::AppHarness(const QDate &today, const std::function<void(TestSite &)> &prepare)
    : m_site(today), m_paths(m_site.dir(), m_site.file(QStringLiteral("drives"))), m_clock(today)
{
    static const bool looks = [] {
        // The fonts and the style the tool itself starts with.
        installKoreanFontFallbacks();
        QApplication::setStyle(new AppStyle);
        return true;
    }();
    Q_UNUSED(looks);
    if (prepare)
        prepare(m_site);
    m_pause = std::make_unique<app::RecordingPause>(m_commands);
    m_state = app::AutomationState{&m_commands, &m_messages, m_pause.get(), false};
    AppContext context{m_paths,
                       m_commands,
                       *m_pause,
                       m_clock,
                       m_messages,
                       [this] {
                           m_state.ended = true;
                           if (m_login)
                               m_login->hide();
                           if (m_form)
                               m_form->hide();
                       },
                       m_probe};
    m_form = std::make_unique<Form1>(context);
    m_login = std::make_unique<frmLogin>(context, *m_form);
    m_login->show();
    m_runner = std::make_unique<app::ScriptRunner>(*m_login, *m_form, m_messages, m_state);
}

AppHarness::AppHarness(Start start, const std::function<void(TestSite &)> &prepare)
    : AppHarness(QDate(2026, 12, 6), prepare)
{
    if (start == LoggedIn)
        login();
}

void AppHarness::act(const QString &script)
{
    for (const QString &line : script.split(u'\n', Qt::SkipEmptyParts))
        m_runner->run(line);
}

void AppHarness::login()
{
    act(u"login "_s + app::accessCode(m_clock.today()));
}

QJsonObject AppHarness::state() const
{
    return app::snapshot(*m_login, *m_form, m_state);
}

QJsonObject AppHarness::control(const QString &name) const
{
    return state().value(u"controls"_s).toObject().value(name).toObject();
}

QString AppHarness::text(const QString &name) const
{
    const QJsonObject c = control(name);
    return c.contains(u"text"_s) ? c.value(u"text"_s).toString() : c.value(u"caption"_s).toString();
}

QStringList AppHarness::items(const QString &name) const
{
    QStringList list;
    for (const QJsonValue &v : control(name).value(u"items"_s).toArray())
        list.append(v.toString());
    return list;
}

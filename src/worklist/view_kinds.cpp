#include "view_kinds.h"

namespace worklist {

const std::array<ViewKindInfo, 5> &viewKinds()
{
    static const std::array<ViewKindInfo, 5> kinds{{
        {ViewKind::KK, "KK", u"한글이름 / 검사명한글", "VMWL_KK_", "vmwl.sql", "_K_"},
        {ViewKind::KE, "KE", u"한글이름 / 검사명영문", "VMWL_KE_", "vmwl_e.sql", "_K_"},
        {ViewKind::EK, "EK", u"영문이름 / 검사명한글", "VMWL_EK_", "vmwl_eng.sql", "_E_"},
        {ViewKind::EE, "EE", u"영문이름 / 검사명영문", "VMWL_EE_", "vmwl_e_eng.sql", "_E_"},
        {ViewKind::EG, "EG", u"영문이름 / 검사명영문(기초자료)", "VMWL_EG_", "vmwl_eg_eng.sql", ""},
    }};
    return kinds;
}

const ViewKindInfo &info(ViewKind kind)
{
    return viewKinds().at(static_cast<size_t>(kind));
}

QString caption(ViewKind kind)
{
    return QString::fromUtf16(info(kind).caption);
}

ViewKind kindFromCaption(const QString &comboText)
{
    for (ViewKind kind : {ViewKind::KK, ViewKind::KE, ViewKind::EK, ViewKind::EE}) {
        if (comboText == caption(kind))
            return kind;
    }
    return ViewKind::EG;
}

QString viewName(ViewKind kind, const QString &aeTitle)
{
    QString name = QLatin1String(info(kind).prefix) + aeTitle.toUpper();
    name.replace(QLatin1Char('-'), QLatin1String("1_1"));
    return name;
}

bool offersExamNameCut(const QString &comboText)
{
    const QString text = comboText.trimmed();
    return text == caption(ViewKind::EE) || text == caption(ViewKind::KE);
}

QString defaultCaption()
{
    return caption(ViewKind::EE);
}

} // namespace worklist

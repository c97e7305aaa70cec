#include "view_kinds.h"

namespace worklist {

const std::array<ViewKindInfo, 5> &viewKinds()
{
    static const std::array<ViewKindInfo, 5> kinds{{
        {ViewKind::KK, u"한글이름 / 검사명한글", "VMWL_KK_", "vmwl.sql"},
        {ViewKind::KE, u"한글이름 / 검사명영문", "VMWL_KE_", "vmwl_e.sql"},
        {ViewKind::EK, u"영문이름 / 검사명한글", "VMWL_EK_", "vmwl_eng.sql"},
        {ViewKind::EE, u"영문이름 / 검사명영문", "VMWL_EE_", "vmwl_e_eng.sql"},
        {ViewKind::EG, u"영문이름 / 검사명영문(기초자료)", "VMWL_EG_", "vmwl_eg_eng.sql"},
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

bool deletionFallsBackToOlderName(ViewKind kind)
{
    return kind == ViewKind::KK || kind == ViewKind::EK;
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

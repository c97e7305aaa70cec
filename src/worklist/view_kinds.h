#pragma once

#include <QString>

#include <array>

namespace worklist {

// The five kinds of worklist view, in the order Combo3 lists them.
enum class ViewKind { KK, KE, EK, EE, EG };

struct ViewKindInfo
{
    ViewKind kind;
    const char16_t *caption;  // Combo3's text for the kind
    const char *prefix;       // "VMWL_KK_"
    const char *templateFile; // beside the executable
};

const std::array<ViewKindInfo, 5> &viewKinds();
const ViewKindInfo &info(ViewKind kind);
QString caption(ViewKind kind);

// The kind Combo3's text stands for: the first of KK, KE, EK, EE whose caption
// equals the text exactly; any other text is EG.
ViewKind kindFromCaption(const QString &comboText);

// Prefix + upper-case AE title, every "-" written as "1_1".
QString viewName(ViewKind kind, const QString &aeTitle);

// Whether "삭제" looks for the view under its older name when the current one
// is missing: KK and EK views may still stand as VMWL_K_ and VMWL_E_ views.
bool deletionFallsBackToOlderName(ViewKind kind);

// Whether the exam-name cut (Check11) is offered for a caption picked in Combo3.
bool offersExamNameCut(const QString &comboText);

// Caption of the kind the field reset and the window's start choose.
QString defaultCaption();

} // namespace worklist

#pragma once

#include "view_kinds.h"

#include <QString>

#include <optional>

// Checks of the builder's fields, made before any statement is sent: each
// gives the Korean message that names the refused field, or nothing when the
// field may be used.
namespace worklist::checks {

// The AE title of "DB 등록" and "삭제": a DICOM AE title (1 to 16 characters,
// no backslash, no control character, not only blanks) whose view name is a
// plain identifier of at most 128 characters (letters, digits and "_"; the
// name rule writes "-" as "1_1").
std::optional<QString> aeTitleProblem(ViewKind kind, const QString &aeTitle);

// The start and length of the exam-name cut: unsigned decimal numbers, since
// they are written into the view as they stand.
std::optional<QString> examNameCutProblem(const QString &start, const QString &length);

} // namespace worklist::checks

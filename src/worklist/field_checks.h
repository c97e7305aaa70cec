#pragma once

#include "view_kinds.h"

#include <QString>

#include <optional>

// Checks of the builder's fields, made before any statement is sent: each
// gives the Korean message that names the refused field, or nothing when the
// field may be used.
namespace worklist::checks {

// The AE title of "DB 등록" and "삭제": a DICOM AE title (ASCII, 1 to 16
// characters, no backslash, no control character, not only blanks) that the
// view name can hold unquoted: letters, digits, "_", "-", "@", "$" and "#",
// no blank anywhere. The message names the fault: the length, the character,
// or where the blank is.
std::optional<QString> aeTitleProblem(const QString &aeTitle);

// The station AE title the view hands to devices (Text5): empty, or a DICOM AE
// title, its message naming the field.
std::optional<QString> stationAeTitleProblem(const QString &aeTitle);

// The start and length of the exam-name cut: unsigned decimal numbers, blanks
// around them allowed, since they are written into the view as they stand.
std::optional<QString> examNameCutProblem(const QString &start, const QString &length);

} // namespace worklist::checks

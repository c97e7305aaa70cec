#pragma once

#include <QString>

// The romanization table THANCONVERT: a Korean name's romanized family and
// given name. Texts go between single quotes with their quotes doubled.
namespace romanize {

QString lookup(const QString &koreanName);
QString update(const QString &familyName, const QString &givenName, const QString &koreanName);
QString confirmation(const QString &familyName, const QString &givenName);

} // namespace romanize

#pragma once

#include <QDate>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// A fresh copy of the site folder in a temporary folder, for tests that need
// the files beside the executable (DB.ini, archive scripts, templates).
class TestSite final
{
public:
    explicit TestSite(const QDate &today = QDate(2026, 12, 6));

    const QString &dir() const { return m_dirPath; }
    QString file(const QString &relative) const;
    // Writes the file, its folders made first; its path.
    QString writeBytes(const QString &relative, const QByteArray &bytes) const;
    QByteArray readBytes(const QString &relative) const;
    const QDate &today() const { return m_today; }

    // The gateway's control file, where the tool looks first.
    static inline const QString kControlFile =
        QStringLiteral("drives/c/RUDIVUV/RUDIVUV_MWLScp/ZORadoDidServiceControl.ini");

    static QString siteSource() { return QStringLiteral(KZ_SITE_DIR); }
    static QString testData(const QString &relative);

private:
    std::unique_ptr<QTemporaryDir> m_temp;
    QString m_dirPath;
    QDate m_today;
};

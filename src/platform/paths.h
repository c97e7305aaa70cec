#pragma once

#include <QString>

namespace platform {

// Where the tool's files are: the application folder (DB.ini, the view
// templates, TUSERSETTING) and, on machines other than Windows, the folder that
// stands for the drives of the Windows paths the tool knows by heart.
class Paths final
{
public:
    Paths(QString appDir, QString driveRoot);

    const QString &appDir() const { return m_appDir; }
    const QString &driveRoot() const { return m_driveRoot; }

    // A file beside the executable: "DB.ini", "TUSERSETTING\400-VIEWER-DLPTLS.txt".
    QString appFile(const QString &relative) const;

    // The local path of a Windows path such as "C:\RUDIVUV\Log\". On Windows the
    // path itself; elsewhere the path under the drive root.
    QString resolve(const QString &windowsPath) const;

private:
    QString m_appDir;
    QString m_driveRoot;
};

// "C:\A\B.ini" under root becomes "<root>/c/A/B.ini". Each folder or file that
// already exists in another letter case is found as Windows would find it.
QString mapWindowsPath(const QString &driveRoot, const QString &windowsPath);

} // namespace platform

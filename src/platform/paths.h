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

    // Whether the drive root was given (a test, a demo, --drive-root) rather
    // than taken by default.
    bool driveRootGiven() const { return m_driveRootGiven; }

    // The local path of a Windows path such as "C:\RUDIVUV\Log\": under the
    // drive root wherever one was given, so that a test never reaches a live
    // site's files. Otherwise on Windows the path itself, elsewhere the path
    // under the default drive root.
    QString resolve(const QString &windowsPath) const;

private:
    QString m_appDir;
    QString m_driveRoot;
    bool m_driveRootGiven;
};

// "C:\A\B.ini" under root becomes "<root>/c/A/B.ini". Each folder or file that
// already exists in another letter case is found as Windows would find it.
QString mapWindowsPath(const QString &driveRoot, const QString &windowsPath);

} // namespace platform

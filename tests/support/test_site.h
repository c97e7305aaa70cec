#pragma once

#include <QDate>
#include <QString>
#include <QTemporaryDir>

#include <memory>

class QProcess;

// A fresh copy of the site folder in a temporary folder, for tests that need
// the files beside the executable (DB.ini, archive scripts, templates).
class TestSite final
{
public:
    explicit TestSite(const QDate &today = QDate(2026, 12, 6));
    ~TestSite();

    // The archive behind the TDS server (tests/tds) instead of opened directly:
    // DB.ini names 127.0.0.1 and the server's port, and the server answers from
    // the embedded archive DB.ini named. Every site of a test run with KZ_WIRE=1
    // starts so; a later DB.ini naming an embedded archive is taken the same way.
    // Throws platform::Error when the server does not start. The Windows build
    // runs under Wine the Linux build's server named by KZ_TDS_SERVER.
    void startWire();
    bool wire() const { return m_wirePort != 0; }
    static bool wireRun() { return qEnvironmentVariable("KZ_WIRE") == QLatin1String("1"); }
    // Faults for the server, one a line (see tests/tds/tds_server.cpp); empty: none.
    // Nothing on a site opened directly.
    void setWireFaults(const QByteArray &lines) const;

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
    void writeWireDbIni(const QByteArray &embeddedIni) const;
    int startServer();
    bool stopServer(); // false: it had not ended in time

    std::unique_ptr<QTemporaryDir> m_temp;
    std::unique_ptr<QProcess> m_wire;
    int m_wirePort = 0;
    QString m_dirPath;
    QDate m_today;
};

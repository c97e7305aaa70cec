#pragma once

#include <QString>
#include <QStringList>

namespace platform {
class Paths;
class CommandLauncher;
class Pause;
class GatewayProbe;
struct GatewayAddress;
} // namespace platform

// The worklist gateway as the tool sees it: where its control file lies, and
// the command lines that stop it and start it again.
namespace worklist::gateway {

// Tried in this order; older installations keep the file in the first place.
inline constexpr const char16_t *kControlFilePath1 = u"C:\\Brevan\\QoRVA_Clinic_MWLScp\\ZORadoDidServiceControl.ini";
inline constexpr const char16_t *kControlFilePath2 = u"C:\\RUDIVUV\\RUDIVUV_MWLScp\\ZORadoDidServiceControl.ini";

inline constexpr const char16_t *kStopOlderGateway = u"taskkill /F /IM QXGateWayService.exe /T";
inline constexpr const char16_t *kStopGateway = u"taskkill /F /IM ZORadoDidService.exe /T";
inline constexpr const char16_t *kStartGateway = u"net start KALDEN1";
inline constexpr int kStartPauseMs = 1000;
inline constexpr const char16_t *kGatewayNotStarted = u"워크리스트 서비스가 시작되지 않았습니다.";

// The local path of the control file: the first of the two places where a file
// exists, or empty text when neither holds one.
QString findControlFile(const platform::Paths &paths);

// The older gateway first, then the gateway.
void stopGateway(platform::CommandLauncher &commands);
// One second after the edit, the service; then, for a bounded time, whether
// the gateway answers at the address its control file names. False when it
// did not come back.
bool startGateway(platform::CommandLauncher &commands, platform::Pause &pause, platform::GatewayProbe &probe,
                  const platform::GatewayAddress &address);
inline constexpr int kEchoTries = 20;
inline constexpr int kEchoPauseMs = 500;

// Where the gateway listens, from its control file's lines: "Port=" (104),
// "Bind=" (this machine) and "AETitle=" (KALDEN1).
platform::GatewayAddress gatewayAddress(const QStringList &lines);

} // namespace worklist::gateway

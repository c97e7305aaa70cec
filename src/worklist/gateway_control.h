#pragma once

#include <QString>
#include <QStringList>

namespace platform {
class Paths;
class CommandLauncher;
class Pause;
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

// The local path of the control file: the first of the two places where a file
// exists, or empty text when neither holds one.
QString findControlFile(const platform::Paths &paths);

// The older gateway first, then the gateway.
void stopGateway(platform::CommandLauncher &commands);
// One second after the edit, the service.
void startGateway(platform::CommandLauncher &commands, platform::Pause &pause);

} // namespace worklist::gateway

#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace platform {
class Clock;
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

// The local path of the control file: the first of the two places where a file
// exists, or empty text when neither holds one.
QString findControlFile(const platform::Paths &paths);

// Whether the control file at path can take the text that rewrite makes of
// its lines, checked before an operation changes anything: the Korean
// refusal when the file cannot be replaced or its code page cannot hold a
// character of the new text (the character named), nothing when it can.
// Throws platform::Error when the file cannot be read.
std::optional<QString> controlFileProblem(const QString &path,
                                          const std::function<QStringList(const QStringList &)> &rewrite);

// The older gateway first, then the gateway.
void stopGateway(platform::CommandLauncher &commands);

// What the check after a start found.
enum class GatewayCheck { NotAsked, Answered, NoAnswer };

// One second after the edit, the service. Then, only when the control file
// names the gateway's port, whether the gateway answers there: asked again
// every kEchoPauseMs until it does, for at most kEchoWaitMs (and kEchoTries
// questions). The check only helps the operator; the outcome of the
// operation is what the operation itself did.
GatewayCheck startGateway(platform::CommandLauncher &commands, platform::Pause &pause, platform::GatewayProbe &probe,
                          const platform::Clock &clock, const std::optional<platform::GatewayAddress> &address);
inline constexpr int kEchoWaitMs = 5000;
inline constexpr int kEchoPauseMs = 250;
inline constexpr int kEchoTries = kEchoWaitMs / kEchoPauseMs;

// Where the gateway listens, as it reads its control file: "Port=", with
// "Bind=" (else this machine) and "AETitle=" (else the gateway's own KALDEN1).
// Nothing when no "Port=" line names a port: where the gateway listens is then
// not the tool's to guess.
struct Config;
std::optional<platform::GatewayAddress> gatewayAddress(const Config &settings);

// The warning shown after the operation's own message when the gateway refuses
// its control file (the refusal as the control file's reader words it).
QString refusedWarning(const QString &refusal);

// The warning shown after the operation's own message when the gateway did
// not answer: the address and the AE title asked.
QString noAnswerWarning(const platform::GatewayAddress &address);

} // namespace worklist::gateway

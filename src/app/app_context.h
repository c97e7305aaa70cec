#pragma once

#include <functional>

namespace platform {
class Paths;
class CommandLauncher;
class Pause;
class Clock;
class MessageBoxes;
class GatewayProbe;
} // namespace platform

// The services the windows work through, chosen by main: the real ones for
// an operator, recording ones for automation and tests.
struct AppContext
{
    platform::Paths &paths;
    platform::CommandLauncher &commands;
    platform::Pause &pause;
    platform::Clock &clock;
    platform::MessageBoxes &messages;
    // Ends the program at once; nothing of the running handler follows it.
    std::function<void()> endProgram;
    // Whether the worklist gateway came back after its start command.
    platform::GatewayProbe &gatewayProbe;
};

// The title of every message box the tool shows.
inline constexpr const char16_t *kAppTitle = u"KALDEN-Z 설정 Tool";

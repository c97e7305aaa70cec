#pragma once

#include "dcmtk/config/osconfig.h"
#include "dcmtk/dcmnet/dcmlayer.h"

#include <QString>

#include <functional>

namespace gateway {

// Time limits, in seconds: an association request whole from the connection
// on, a message whole from its first byte on, however slowly its bytes come;
// and the wait for the next message.
inline constexpr int kAcseTimeout = 10;
inline constexpr int kDimseTimeout = 30;

// Why the calling thread's last read from a peer was cut off; taking it clears it.
struct PeerCut
{
    enum class Kind { None, Request, Message, Command };
    Kind kind = Kind::None;
    QString detail; // for a refused command: why
};
PeerCut takePeerCut();

// Makes the connections DCMTK accepts on a network hold a peer to the whole-phase
// limits above and refuse a command DCMTK could not read safely. `accepted` is
// called on the accepting thread as each connection is made.
class TimedTransportLayer final : public DcmTransportLayer
{
public:
    explicit TimedTransportLayer(std::function<void()> accepted) : m_accepted(std::move(accepted)) {}
    DcmTransportConnection *createConnection(DcmNativeSocketType openSocket, OFBool useSecureLayer) override;

private:
    std::function<void()> m_accepted;
};

} // namespace gateway

#pragma once

#include "platform/services.h"

namespace echo {

// Asks with a DICOM C-ECHO, each phase bounded by a second.
class DicomEchoProbe final : public platform::GatewayProbe
{
public:
    bool answers(const platform::GatewayAddress &address) override;
};

} // namespace echo

#pragma once

#include "gateway_config.h"
#include "gateway_log.h"

#include "db/db_session.h"

#include "dcmtk/config/osconfig.h"
#include "dcmtk/dcmnet/scp.h"

#include <optional>

namespace gateway {

// The modality worklist server: answers C-ECHO and Modality Worklist C-FIND,
// each device from the view its AE title is registered with.
class WorklistScp final : public DcmSCP
{
public:
    // config: nothing when the control file could not be read; the server then
    // refuses every association rather than guess.
    WorklistScp(std::optional<Config> config, db::DbSession &archive, GatewayLog &log);

protected:
    OFCondition handleIncomingCommand(T_DIMSE_Message *message, const DcmPresentationContextInfo &info) override;
    void notifyAssociationRequest(const T_ASC_Parameters &params, DcmSCPActionType &desiredAction) override;
    void notifyAssociationTermination() override;

private:
    OFCondition answerFind(T_DIMSE_C_FindRQ &request, T_ASC_PresentationContextID presentation);

    std::optional<Config> m_config;
    db::DbSession &m_archive;
    GatewayLog &m_log;
    QString m_calling;
    bool m_associated = false;
};

} // namespace gateway

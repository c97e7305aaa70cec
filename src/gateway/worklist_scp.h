#pragma once

#include "gateway_config.h"
#include "gateway_log.h"

#include "dcmtk/config/osconfig.h"
#include "dcmtk/dcmnet/scppool.h"
#include "dcmtk/dcmnet/scpthrd.h"

#include <atomic>

class DcmItem;

namespace gateway {

class ArchiveService;

// What every association's worker shares: read-only configuration, the
// archive's session and the log.
struct GatewayContext
{
    const Config &config;
    ArchiveService &archive;
    GatewayLog &log;
};

// The modality worklist server for one association: answers C-ECHO and
// Modality Worklist C-FIND, each device from the view its AE title is
// registered with. Its log lines are written together when the association
// ends, so that the lines of devices served at the same time do not mix.
class WorklistScp : public DcmThreadSCP
{
public:
    explicit WorklistScp(const GatewayContext &context) : m_context(context) {}

protected:
    OFCondition handleIncomingCommand(T_DIMSE_Message *message, const DcmPresentationContextInfo &info) override;
    void notifyAssociationRequest(const T_ASC_Parameters &params, DcmSCPActionType &desiredAction) override;
    OFBool checkCalledAETitleAccepted(const OFString &calledAE) override;
    OFBool checkCallingAETitleAccepted(const OFString &callingAE) override;
    void refuseAssociation(DcmRefuseReasonType reason) override;
    void notifyAbortRequest() override;
    void notifyDIMSEError(const OFCondition &cond) override;
    void notifyAssociationTermination() override;

private:
    OFCondition answerFind(T_DIMSE_C_FindRQ &request, T_ASC_PresentationContextID presentation);
    void add(const QString &text) { m_lines.append({m_context.log.now(), text}); }
    void addError(const QString &text);

    GatewayContext m_context;
    QString m_calling;
    GatewayLog::Lines m_lines;
    bool m_failed = false;
};

// The listener and its workers: one thread per association up to the
// configured limit, a device beyond it refused with an A-ASSOCIATE-RJ. The
// association request is read by one of a few acceptor threads, so that a
// peer that connects and stalls holds one of them for the ACSE timeout, never
// the port.
class WorklistPool final : public DcmBaseSCPPool
{
public:
    explicit WorklistPool(const GatewayContext &context);
    ~WorklistPool() override;

    // Opens the port (and narrows it to Bind=). An error says why it cannot.
    OFCondition open(QString &problem);
    // Serves until the process ends.
    OFCondition listen() override;

protected:
    DcmBaseSCPWorker *createSCPWorker() override;

private:
    void accept(const DcmSharedSCPConfig &shared);

    GatewayContext m_context;
    T_ASC_Network *m_network = nullptr;
    std::atomic<bool> m_stop{false};
};

// Time limits, in seconds: reading an association request, waiting for the
// next message, and each message's parts.
inline constexpr int kAcseTimeout = 10;
inline constexpr int kDimseTimeout = 30;
inline constexpr int kAcceptors = 4;

} // namespace gateway

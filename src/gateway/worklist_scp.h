#pragma once

#include "gateway_log.h"
#include "timed_transport.h"

#include "worklist/gateway_config.h"

#include "dcmtk/config/osconfig.h"
#include "dcmtk/dcmnet/scpthrd.h"

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

class DcmItem;

namespace gateway {

using worklist::gateway::Config;
using worklist::gateway::validAeTitle;
using worklist::gateway::viewFor;

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
class WorklistScp final : public DcmThreadSCP
{
public:
    // `freeSlot` is called once, when the device has asked for the release (so
    // that it may associate again at once) or else when the association ends.
    WorklistScp(const GatewayContext &context, std::function<void()> freeSlot)
        : m_context(context), m_freeSlot(std::move(freeSlot))
    {
    }

    // Serves the association to its end.
    OFCondition serve(T_ASC_Association *assoc);

protected:
    OFCondition handleIncomingCommand(T_DIMSE_Message *message, const DcmPresentationContextInfo &info) override;
    void notifyAssociationRequest(const T_ASC_Parameters &params, DcmSCPActionType &desiredAction) override;
    OFBool checkCalledAETitleAccepted(const OFString &calledAE) override;
    OFBool checkCallingAETitleAccepted(const OFString &callingAE) override;
    void refuseAssociation(DcmRefuseReasonType reason) override;
    void notifyAbortRequest() override;
    void notifyReleaseRequest() override;
    void notifyDIMSEError(const OFCondition &cond) override;
    void notifyAssociationTermination() override;

private:
    OFCondition answerFind(T_DIMSE_C_FindRQ &request, const DcmPresentationContextInfo &info);
    // The query's identifier, read as bytes and checked before it is parsed;
    // `problem` says why it is not served when it is not.
    OFCondition receiveIdentifier(const T_DIMSE_C_FindRQ &request, const DcmPresentationContextInfo &info,
                                  std::unique_ptr<DcmDataset> &identifier, QString &problem);
    void freeSlot();
    void add(const QString &text) { m_lines.append({m_context.log.now(), text}); }
    void addError(const QString &text);

    GatewayContext m_context;
    std::function<void()> m_freeSlot;
    T_ASC_Association *m_association = nullptr;
    QString m_calling;
    GatewayLog::Lines m_lines;
    bool m_failed = false;
};

// The listener and its workers: one thread per association up to the
// configured limit, a device beyond it refused with an A-ASSOCIATE-RJ. A
// device counts from the association's acceptance until it asks for the
// release (or the association ends otherwise). Association requests are read
// by acceptor threads, one more started whenever none is left waiting for a
// connection, so that peers that connect and stall never hold the port.
class WorklistPool final
{
public:
    explicit WorklistPool(const GatewayContext &context);
    ~WorklistPool();

    WorklistPool(const WorklistPool &) = delete;
    WorklistPool &operator=(const WorklistPool &) = delete;

    // Opens the port (and narrows it to Bind=). An error says why it cannot.
    OFCondition open(QString &problem);
    // Serves until the process ends.
    OFCondition listen();

private:
    void accept();
    void accepted();
    bool startAcceptor();
    void hand(T_ASC_Association *assoc);
    void refuse(T_ASC_Association *assoc, const QString &why);

    GatewayContext m_context;
    DcmSharedSCPConfig m_shared;
    std::unique_ptr<DcmTransportLayer> m_layer;
    T_ASC_Network *m_network = nullptr;
    std::mutex m_mutex;
    std::condition_variable m_stopped;
    bool m_stop = false;
    int m_acceptors = 0; // acceptor threads running
    int m_waiting = 0;   // of them, those waiting for a connection
    int m_active = 0;    // associations counted against MaxAssociations
};

// The stack every thread of the gateway's pool gets, the same on every system;
// the identifier's nesting limit keeps DCMTK's parser far below it.
inline constexpr std::size_t kThreadStack = 2 * 1024 * 1024;
// Acceptor threads kept waiting for connections, and the most reading requests at once.
inline constexpr int kAcceptors = 4;
inline constexpr int kMaxAcceptors = 64;

} // namespace gateway

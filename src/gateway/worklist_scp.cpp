#include "worklist_scp.h"

#include "archive_service.h"
#include "dicom_text.h"
#include "query_keys.h"
#include "worklist_query.h"

#include "gatewaylog/log_format.h"
#include "platform/listener.h"

#include "dcmtk/dcmdata/dcdeftag.h"
#include "dcmtk/dcmdata/dcitem.h"
#include "dcmtk/dcmdata/dcuid.h"
#include "dcmtk/dcmnet/dcmtrans.h"

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace gateway {

namespace {

OFList<OFString> transferSyntaxes()
{
    OFList<OFString> list;
    list.push_back(UID_LittleEndianExplicitTransferSyntax);
    list.push_back(UID_BigEndianExplicitTransferSyntax);
    list.push_back(UID_LittleEndianImplicitTransferSyntax);
    return list;
}

// A response's Patient ID in DCMTK's dump form, as the log shows it: the value
// escaped as every text from outside, its length the bytes sent.
QString patientIdElement(const QString &value, const QByteArray &sent)
{
    const bool empty = sent.isEmpty();
    return gatewaylog::format::element(
        QStringLiteral("(0010,0020)"), QStringLiteral("LO"),
        empty ? QStringLiteral("(no value available)") : QLatin1Char('[') + peerText(value) + QLatin1Char(']'),
        int(sent.size()), empty ? 0 : int(sent.count('\\') + 1), QStringLiteral("PatientID"));
}

void put(DcmItem &item, const DcmTagKey &tag, const QByteArray &bytes)
{
    item.putAndInsertOFStringArray(tag, OFString(bytes.constData(), static_cast<size_t>(bytes.size())));
}

bool hasControl(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return true;
    }
    return false;
}

// The return keys the device asked for that the row gave nothing for go back
// empty; everything it did not ask for is dropped (the character set always
// stays).
void answerKeys(DcmItem &response, DcmItem &request)
{
    for (unsigned long i = 0; i < request.card(); ++i) {
        const DcmTagKey tag = request.getElement(i)->getTag();
        if (tag.getElement() != 0 && !response.tagExists(tag))
            response.insertEmptyElement(tag);
    }
    for (unsigned long i = response.card(); i-- > 0;) {
        DcmElement *element = response.getElement(i);
        const DcmTagKey tag = element->getTag();
        if (tag == DCM_SpecificCharacterSet || request.tagExists(tag))
            continue;
        delete response.remove(element);
    }
}

QString refusal(DcmRefuseReasonType reason)
{
    switch (reason) {
    case DCMSCP_CALLED_AE_TITLE_NOT_RECOGNIZED:
        return QStringLiteral("called AE title not recognized");
    case DCMSCP_CALLING_AE_TITLE_NOT_RECOGNIZED:
        return QStringLiteral("calling AE title not valid or not served");
    case DCMSCP_NO_PRESENTATION_CONTEXTS:
        return QStringLiteral("no Modality Worklist find or Verification context proposed");
    case DCMSCP_BAD_APPLICATION_CONTEXT_NAME:
        return QStringLiteral("bad application context");
    case DCMSCP_TOO_MANY_ASSOCIATIONS:
        return QStringLiteral("too many associations");
    default:
        return QStringLiteral("internal error");
    }
}

} // namespace

void WorklistScp::addError(const QString &text)
{
    add(text);
    m_failed = true;
}

void WorklistScp::notifyAssociationRequest(const T_ASC_Parameters &params, DcmSCPActionType &)
{
    m_calling = QString::fromLatin1(params.DULparams.callingAPTitle).trimmed();
    m_lines.clear();
    m_failed = false;
    // The line after an association's end is never read by the log tools, so
    // the calling AE title must not be the first line of the next one.
    add(QStringLiteral("Association Received %1: %2 -> %3")
            .arg(peerText(QString::fromLatin1(params.DULparams.callingPresentationAddress)),
                 peerText(QString::fromLatin1(params.DULparams.callingAPTitle)),
                 peerText(QString::fromLatin1(params.DULparams.calledAPTitle))));
    add(gatewaylog::format::callingText(
        gatewaylog::format::trimBlanks(QString::fromLatin1(params.DULparams.callingAPTitle))));
}

OFBool WorklistScp::checkCalledAETitleAccepted(const OFString &calledAE)
{
    return QString::fromLatin1(calledAE.c_str()).trimmed() == m_context.config.aeTitle;
}

OFBool WorklistScp::checkCallingAETitleAccepted(const OFString &callingAE)
{
    const QString calling = QString::fromLatin1(callingAE.c_str());
    // A device whose entry in the control file could not be read has no view.
    return validAeTitle(calling) && !m_context.config.views.value(calling.trimmed(), QStringLiteral("VMWL")).isEmpty();
}

void WorklistScp::refuseAssociation(DcmRefuseReasonType reason)
{
    addError(QStringLiteral("Association Refused: ") + refusal(reason));
    DcmThreadSCP::refuseAssociation(reason);
}

void WorklistScp::notifyAbortRequest()
{
    addError(QStringLiteral("Association Aborted by the peer"));
}

void WorklistScp::notifyDIMSEError(const OFCondition &cond)
{
    if (cond == DIMSE_NODATAAVAILABLE)
        addError(QStringLiteral("Association Timed Out: nothing received for %1 s").arg(kDimseTimeout));
    else
        addError(QStringLiteral("Association Aborted: ") + QString::fromLatin1(cond.text()));
}

void WorklistScp::notifyAssociationTermination()
{
    if (m_lines.isEmpty())
        return;
    if (m_failed || m_context.log.summary()) {
        add(gatewaylog::format::endText());
        m_context.log.writeBlock(m_lines);
    }
    m_lines.clear();
}

OFCondition WorklistScp::handleIncomingCommand(T_DIMSE_Message *message, const DcmPresentationContextInfo &info)
{
    if (message->CommandField == DIMSE_C_CANCEL_RQ)
        return EC_Normal; // a cancel that came after the final response: nothing left to stop
    if (message->CommandField == DIMSE_C_FIND_RQ) {
        T_DIMSE_C_FindRQ &request = message->msg.CFindRQ;
        if (info.abstractSyntax == OFString(UID_FINDModalityWorklistInformationModel) &&
            OFString(request.AffectedSOPClassUID) == OFString(UID_FINDModalityWorklistInformationModel))
            return answerFind(request, info.presentationContextID);
        DcmDataset *query = nullptr;
        OFCondition cond = receiveFINDRequest(request, info.presentationContextID, query);
        delete query;
        if (cond.bad())
            return cond;
        addError(QStringLiteral("Find refused: SOP class ") +
                 peerText(QString::fromLatin1(request.AffectedSOPClassUID)) + QStringLiteral(" is not served"));
        return sendFINDResponse(info.presentationContextID, request.MessageID, request.AffectedSOPClassUID, nullptr,
                                STATUS_FIND_Refused_SOPClassNotSupported);
    }
    return DcmThreadSCP::handleIncomingCommand(message, info);
}

OFCondition WorklistScp::answerFind(T_DIMSE_C_FindRQ &request, T_ASC_PresentationContextID presentation)
{
    DcmDataset *query = nullptr;
    OFCondition cond = receiveFINDRequest(request, presentation, query);
    if (cond.bad())
        return cond;
    std::unique_ptr<DcmDataset> owned(query);
    const OFString sopClass = request.AffectedSOPClassUID;
    const Config &config = m_context.config;
    GatewayLog &log = m_context.log;

    DcmItem *step = nullptr;
    query->findAndGetSequenceItem(DCM_ScheduledProcedureStepSequence, step, 0);
    const DeviceQuery asked = readQuery(*query);
    const WorklistKeys &keys = asked.keys;
    const QString &askedIn = asked.characterSet;

    const QString view = viewFor(config, m_calling);
    if (log.detailed() && query->tagExists(DCM_SpecificCharacterSet)) {
        const QString value = peerText(askedIn);
        add(gatewaylog::format::element(
            QStringLiteral("(0008,0005)"), QStringLiteral("CS"), QLatin1Char('[') + value + QLatin1Char(']'),
            int(askedIn.size()), int(askedIn.count(QLatin1Char('\\')) + 1), QStringLiteral("SpecificCharacterSet")));
    }
    for (const QString &key : {keys.patientId, keys.patientName, keys.modality, keys.date, keys.stationAeTitle}) {
        if (hasControl(key)) {
            addError(QStringLiteral("Find refused: a matching key holds control characters: ") + peerText(key));
            return sendFINDResponse(presentation, request.MessageID, sopClass, nullptr,
                                    STATUS_FIND_Failed_IdentifierDoesNotMatchSOPClass);
        }
    }
    const QString sql = worklistSql(view, keys);
    if (log.detailed()) {
        add(gatewaylog::format::viewText(view));
        add(gatewaylog::format::queryText(loggedWorklistSql(view, keys)));
    }

    ArchiveService::Answer answer = m_context.archive.query(sql);
    if (answer.outcome != ArchiveService::Outcome::Rows) {
        // The device is told the query failed, never that nothing is scheduled.
        addError(QStringLiteral("Worklist Find SCP error (") + view + QStringLiteral("): ") +
                 (answer.outcome == ArchiveService::Outcome::ArchiveDown ? QStringLiteral("archive not reachable: ")
                                                                         : QString()) +
                 peerText(answer.error));
        add(gatewaylog::format::responseText(1, QStringLiteral("Failed")));
        return sendFINDResponse(presentation, request.MessageID, sopClass, nullptr, STATUS_FIND_Failed_UnableToProcess);
    }
    db::Recordset &rows = answer.rows;
    QStringList missing;
    for (const char *column : kWorklistColumns) {
        if (rows.indexOf(QLatin1String(column)) < 0)
            missing.append(QLatin1String(column));
    }
    if (!missing.isEmpty())
        m_context.archive.noteMissingColumns(view, missing);
    auto field = [&rows](const char *name) {
        const int i = rows.indexOf(QLatin1String(name));
        return i < 0 ? QString() : rows.text(i).trimmed();
    };

    int sent = 0;
    for (; !rows.eof(); rows.moveNext()) {
        if (checkForCANCEL(presentation, request.MessageID).good()) {
            add(gatewaylog::format::responseText(sent + 1, QStringLiteral("Cancel")));
            return sendFINDResponse(presentation, request.MessageID, sopClass, nullptr,
                                    STATUS_FIND_Cancel_MatchingTerminatedDueToCancelRequest);
        }
        const QString cs = field("specific_character_set");
        const QString accession = field("accession_no");
        const QString patientId = field("patient_id");
        auto text = [&cs](const QString &value, bool personName = false) { return encodeValue(value, cs, personName); };
        auto orAccession = [&](const char *column) {
            const QString value = field(column);
            return text(value.isEmpty() ? accession : value);
        };
        DcmDataset response;
        put(response, DCM_SpecificCharacterSet, cs.toLatin1());
        put(response, DCM_PatientName, text(field("patient_name"), true));
        put(response, DCM_PatientID, text(patientId));
        put(response, DCM_PatientBirthDate, field("patient_birth_date").toLatin1());
        put(response, DCM_PatientSex, field("patient_sex").toLatin1());
        put(response, DCM_AccessionNumber, text(accession));
        put(response, DCM_ReferringPhysicianName, text(field("referring_physician"), true));
        put(response, DCM_RequestedProcedureDescription, text(field("requested_procedure_desc")));
        put(response, DCM_RequestedProcedureID, orAccession("requested_procedure_id"));
        const QString study = field("study_instance_uid");
        put(response, DCM_StudyInstanceUID,
            (study.isEmpty() ? derivedStudyUid(accession, patientId) : study).toLatin1());
        DcmItem *item = nullptr;
        response.findOrCreateSequenceItem(DCM_ScheduledProcedureStepSequence, item, -2);
        if (item) {
            put(*item, DCM_ScheduledStationAETitle, field("scheduled_station_aetitle").toLatin1());
            put(*item, DCM_Modality, field("modality").toLatin1());
            put(*item, DCM_ScheduledProcedureStepStartDate, field("SCHEDULED_PROCEDURE_DATE").toLatin1());
            put(*item, DCM_ScheduledProcedureStepStartTime, field("SCHEDULED_PROCEDURE_TIME").toLatin1());
            put(*item, DCM_ScheduledProcedureStepDescription, text(field("scheduled_procedure_desc")));
            put(*item, DCM_ScheduledProcedureStepID, orAccession("scheduled_procedure_step_id"));
            if (step && step->card() > 0)
                answerKeys(*item, *step);
        }
        answerKeys(response, *query);
        cond = sendFINDResponse(presentation, request.MessageID, sopClass, &response,
                                STATUS_FIND_Pending_MatchesAreContinuing);
        if (cond.bad())
            return cond;
        ++sent;
        if (log.detailed())
            add(patientIdElement(patientId, text(patientId)));
    }
    add(gatewaylog::format::responseText(sent + 1));
    return sendFINDResponse(presentation, request.MessageID, sopClass, nullptr, STATUS_Success);
}

// One association's worker: a thread of the pool with the server on it.
class Worker final : public DcmBaseSCPPool::DcmBaseSCPWorker, private WorklistScp
{
public:
    Worker(DcmBaseSCPPool &pool, const GatewayContext &context) : DcmBaseSCPWorker(pool), WorklistScp(context) {}

    OFCondition setSharedConfig(const DcmSharedSCPConfig &config) override
    {
        return WorklistScp::setSharedConfig(config);
    }
    OFBool busy() override { return isConnected(); }

protected:
    OFCondition workerListen(T_ASC_Association *const assoc) override
    {
        // The pool deletes its workers when their association ends and never joins them.
        platform::detachCurrentThread();
        return WorklistScp::run(assoc);
    }
};

WorklistPool::WorklistPool(const GatewayContext &context) : m_context(context)
{
    DcmSCPConfig &cfg = getConfig();
    cfg.setAETitle(context.config.aeTitle.toLatin1().constData());
    cfg.setPort(static_cast<Uint16>(context.config.port));
    cfg.setConnectionBlockingMode(DUL_NOBLOCK);
    cfg.setConnectionTimeout(1);
    cfg.setDIMSEBlockingMode(DIMSE_NONBLOCKING);
    cfg.setDIMSETimeout(kDimseTimeout);
    cfg.setACSETimeout(kAcseTimeout);
    cfg.setHostLookupEnabled(OFFalse);
    cfg.addPresentationContext(UID_FINDModalityWorklistInformationModel, transferSyntaxes());
    cfg.addPresentationContext(UID_VerificationSOPClass, transferSyntaxes());
    setMaxThreads(static_cast<Uint16>(context.config.maxAssociations));
    // DCMTK reads an association request with no limit of its own: a peer that
    // sends part of one and stalls is cut off by the socket's own timeouts.
    dcmSocketReceiveTimeout.set(kAcseTimeout);
    dcmSocketSendTimeout.set(kDimseTimeout);
}

WorklistPool::~WorklistPool()
{
    if (m_network)
        ASC_dropNetwork(&m_network);
}

DcmBaseSCPPool::DcmBaseSCPWorker *WorklistPool::createSCPWorker()
{
    return new Worker(*this, m_context);
}

OFCondition WorklistPool::open(QString &problem)
{
    OFCondition cond = ASC_initializeNetwork(NET_ACCEPTOR, m_context.config.port, kAcseTimeout, &m_network);
    if (cond.bad()) {
        m_network = nullptr;
        problem = QString::fromLatin1(cond.text());
        return cond;
    }
    if (!m_context.config.bind.isEmpty() &&
        !platform::restrictListener(m_context.config.port, m_context.config.bind, problem)) {
        ASC_dropNetwork(&m_network);
        m_network = nullptr;
        problem = QStringLiteral("Bind=") + m_context.config.bind + QStringLiteral(": ") + problem;
        return EC_IllegalCall;
    }
    return EC_Normal;
}

OFCondition WorklistPool::listen()
{
    if (!m_network)
        return EC_IllegalCall;
    const DcmSharedSCPConfig shared(getConfig());
    std::vector<std::thread> acceptors;
    for (int i = 0; i < kAcceptors; ++i)
        acceptors.emplace_back([this, &shared] { accept(shared); });
    for (std::thread &t : acceptors)
        t.join();
    return EC_Normal;
}

void WorklistPool::accept(const DcmSharedSCPConfig &shared)
{
    const DcmSCPConfig &cfg = getConfig();
    while (!m_stop) {
        T_ASC_Association *assoc = nullptr;
        const auto started = std::chrono::steady_clock::now();
        OFCondition cond = ASC_receiveAssociation(m_network, &assoc, cfg.getMaxReceivePDULength(), nullptr, nullptr,
                                                  OFFalse, DUL_NOBLOCK, 1);
        if (cond == DUL_NOASSOCIATIONREQUEST) {
            ASC_destroyAssociation(&assoc);
            continue;
        }
        const QString peer = assoc && assoc->params
                                 ? QString::fromLatin1(assoc->params->DULparams.callingPresentationAddress)
                                 : QString();
        if (cond.bad()) {
            // A port probe that closes at once is no association; a peer that
            // stalls is cut off by the socket's timeout, which reads as closed.
            const bool stalled = std::chrono::steady_clock::now() - started >= std::chrono::seconds(kAcseTimeout);
            if (stalled)
                m_context.log.error(QStringLiteral("Association Timed Out: no association request from %1 in %2 s")
                                        .arg(peerText(peer))
                                        .arg(kAcseTimeout));
            else if (cond != DUL_NETWORKCLOSED)
                m_context.log.error(QStringLiteral("Association request from %1 not received: %2")
                                        .arg(peerText(peer), QString::fromLatin1(cond.text())));
            dropAndDestroyAssociation(assoc);
            continue;
        }
        cond = runAssociation(assoc, shared);
        if (cond.bad()) {
            const QString calling =
                gatewaylog::format::trimBlanks(QString::fromLatin1(assoc->params->DULparams.callingAPTitle));
            const QDateTime now = m_context.log.now();
            m_context.log.writeBlock(
                {{now, QStringLiteral("Association Refused from %1: %2 (at most %3 devices at once)")
                           .arg(peerText(peer), refusal(DCMSCP_TOO_MANY_ASSOCIATIONS))
                           .arg(m_context.config.maxAssociations)},
                 {now, gatewaylog::format::callingText(calling)},
                 {now, gatewaylog::format::endText()}});
            rejectAssociation(assoc, cond == NET_EC_SCPBusy ? ASC_REASON_SP_PRES_LOCALLIMITEXCEEDED
                                                            : ASC_REASON_SP_PRES_TEMPORARYCONGESTION);
            dropAndDestroyAssociation(assoc);
        }
    }
}

} // namespace gateway

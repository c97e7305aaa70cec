#include "worklist_scp.h"

#include "archive_service.h"
#include "dicom_text.h"
#include "peer_guard.h"
#include "query_keys.h"
#include "worklist_query.h"

#include "gatewaylog/log_format.h"
#include "platform/listener.h"

#include "dcmtk/dcmdata/dcdeftag.h"
#include "dcmtk/dcmdata/dcistrmb.h"
#include "dcmtk/dcmdata/dcitem.h"
#include "dcmtk/dcmdata/dcostrma.h"
#include "dcmtk/dcmdata/dcuid.h"
#include "dcmtk/dcmdata/dcxfer.h"
#include "dcmtk/dcmnet/dcmtrans.h"
#include "dcmtk/dcmnet/dimse.h"

#include <memory>
#include <sstream>
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

// Keeps what DCMTK receives of an identifier, up to one byte more than may be
// served; the rest is read and dropped.
class CappedConsumer final : public DcmConsumer
{
public:
    OFBool good() const override { return OFTrue; }
    OFCondition status() const override { return EC_Normal; }
    OFBool isFlushed() const override { return OFTrue; }
    offile_off_t avail() const override { return 1 << 30; }
    offile_off_t write(const void *buf, offile_off_t buflen) override
    {
        const qsizetype room = kMaxIdentifierBytes + 1 - bytes.size();
        if (room > 0)
            bytes.append(static_cast<const char *>(buf), qsizetype(std::min<offile_off_t>(buflen, room)));
        return buflen;
    }
    void flush() override {}

    QByteArray bytes;
};

class CappedStream final : public DcmOutputStream
{
public:
    CappedStream() : DcmOutputStream(&m_consumer) {}
    const QByteArray &bytes() const { return m_consumer.bytes; }

private:
    CappedConsumer m_consumer;
};

bool dictionarySequence(quint16 group, quint16 element)
{
    return DcmTag(DcmTagKey(group, element)).getEVR() == EVR_SQ;
}

// The Type 1 attributes of an answer that are there but empty, by name.
QString emptyTypeOne(DcmItem &response, DcmItem *step)
{
    static const DcmTagKey kTop[] = {DCM_PatientName, DCM_PatientID, DCM_StudyInstanceUID, DCM_RequestedProcedureID};
    static const DcmTagKey kStep[] = {DCM_ScheduledStationAETitle, DCM_ScheduledProcedureStepStartDate,
                                      DCM_ScheduledProcedureStepStartTime, DCM_Modality, DCM_ScheduledProcedureStepID};
    QStringList empty;
    auto check = [&empty](DcmItem &item, const DcmTagKey &tag) {
        DcmElement *element = nullptr;
        if (item.findAndGetElement(tag, element).good() && element && element->getLength() == 0)
            empty.append(QString::fromLatin1(DcmTag(tag).getTagName()));
    };
    for (const DcmTagKey &tag : kTop)
        check(response, tag);
    if (step) {
        for (const DcmTagKey &tag : kStep)
            check(*step, tag);
    }
    return empty.join(QStringLiteral(", "));
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

void WorklistScp::notifyReleaseRequest()
{
    freeSlot();
}

void WorklistScp::freeSlot()
{
    if (!m_freeSlot)
        return;
    const std::function<void()> free = std::move(m_freeSlot);
    m_freeSlot = nullptr;
    free();
}

OFCondition WorklistScp::serve(T_ASC_Association *assoc)
{
    m_association = assoc;
    const OFCondition cond = run(assoc);
    m_association = nullptr;
    freeSlot();
    return cond;
}

void WorklistScp::notifyDIMSEError(const OFCondition &cond)
{
    const PeerCut cut = takePeerCut();
    if (cut.kind == PeerCut::Kind::Message)
        addError(QStringLiteral("Association Timed Out: a message not complete %1 s after its first byte")
                     .arg(kDimseTimeout));
    else if (cut.kind == PeerCut::Kind::Command)
        addError(QStringLiteral("Association Aborted: command refused: ") + cut.detail);
    else if (cond == DIMSE_NODATAAVAILABLE)
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
            return answerFind(request, info);
        std::unique_ptr<DcmDataset> query;
        QString problem;
        OFCondition cond = receiveIdentifier(request, info, query, problem);
        if (cond.bad())
            return cond;
        addError(QStringLiteral("Find refused: SOP class ") +
                 peerText(QString::fromLatin1(request.AffectedSOPClassUID)) + QStringLiteral(" is not served"));
        return sendFINDResponse(info.presentationContextID, request.MessageID, request.AffectedSOPClassUID, nullptr,
                                STATUS_FIND_Refused_SOPClassNotSupported);
    }
    return DcmThreadSCP::handleIncomingCommand(message, info);
}

OFCondition WorklistScp::receiveIdentifier(const T_DIMSE_C_FindRQ &request, const DcmPresentationContextInfo &info,
                                           std::unique_ptr<DcmDataset> &identifier, QString &problem)
{
    if (request.DataSetType == DIMSE_DATASET_NULL) {
        problem = QStringLiteral("no identifier");
        return EC_Normal;
    }
    CappedStream stream;
    T_ASC_PresentationContextID presentation = 0;
    const OFCondition cond = DIMSE_receiveDataSetInFile(m_association, DIMSE_NONBLOCKING, kDimseTimeout, &presentation,
                                                        &stream, nullptr, nullptr);
    if (cond.bad())
        return cond;
    const QByteArray &bytes = stream.bytes();
    const DcmXfer xfer(info.acceptedTransferSyntax.c_str());
    problem = identifierProblem(bytes, {xfer.isExplicitVR() != OFFalse, xfer.getByteOrder() == EBO_BigEndian},
                                &dictionarySequence);
    if (!problem.isEmpty())
        return EC_Normal;
    DcmInputBufferStream in;
    in.setBuffer(bytes.constData(), offile_off_t(bytes.size()));
    in.setEos();
    auto dataset = std::make_unique<DcmDataset>();
    dataset->transferInit();
    const OFCondition read = dataset->read(in, xfer.getXfer());
    dataset->transferEnd();
    if (read.bad())
        problem = QStringLiteral("identifier cannot be read: ") + QString::fromLatin1(read.text());
    else
        identifier = std::move(dataset);
    return EC_Normal;
}

OFCondition WorklistScp::answerFind(T_DIMSE_C_FindRQ &request, const DcmPresentationContextInfo &info)
{
    const T_ASC_PresentationContextID presentation = info.presentationContextID;
    std::unique_ptr<DcmDataset> owned;
    QString problem;
    OFCondition cond = receiveIdentifier(request, info, owned, problem);
    if (cond.bad())
        return cond;
    const OFString sopClass = request.AffectedSOPClassUID;
    if (!owned) {
        // Never parsed: the device is told its query cannot be served.
        addError(QStringLiteral("Find refused: ") + problem);
        add(gatewaylog::format::responseText(1, QStringLiteral("Failed")));
        return sendFINDResponse(presentation, request.MessageID, sopClass, nullptr,
                                STATUS_FIND_Failed_IdentifierDoesNotMatchSOPClass);
    }
    DcmDataset *query = owned.get();
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
    for (const QString &key : {keys.patientId, keys.patientName, keys.modality, keys.date, keys.stationAeTitle,
                               keys.time, keys.performingPhysician}) {
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
        const QString physician = field(kPerformingPhysicianColumn);
        // The statement only narrowed the rows, by the server's own rules.
        if (!matchesKeys(keys, {field("modality"), field("SCHEDULED_PROCEDURE_DATE"), field("SCHEDULED_PROCEDURE_TIME"),
                                field("scheduled_station_aetitle"), patientId, field("patient_name"), physician}))
            continue;
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
            put(*item, DCM_ScheduledPerformingPhysicianName, text(physician, true));
            if (step && step->card() > 0)
                answerKeys(*item, *step);
        }
        answerKeys(response, *query);
        DcmItem *answeredStep = nullptr;
        response.findAndGetSequenceItem(DCM_ScheduledProcedureStepSequence, answeredStep, 0);
        const QString lacking = emptyTypeOne(response, answeredStep);
        if (!lacking.isEmpty()) {
            // A modality cannot take an order without it: the order is not sent.
            addError(QStringLiteral("Worklist item left out (%1, patient %2, accession %3): %4 empty")
                         .arg(view, peerText(patientId), peerText(accession), lacking));
            continue;
        }
        cond = sendFINDResponse(presentation, request.MessageID, sopClass, &response,
                                asked.unmatched.isEmpty() ? STATUS_FIND_Pending_MatchesAreContinuing
                                                          : STATUS_FIND_Pending_WarningUnsupportedOptionalKeys);
        if (cond.bad())
            return cond;
        ++sent;
        if (log.detailed())
            add(patientIdElement(patientId, text(patientId)));
    }
    add(gatewaylog::format::responseText(sent + 1));
    return sendFINDResponse(presentation, request.MessageID, sopClass, nullptr, STATUS_Success);
}

WorklistPool::WorklistPool(const GatewayContext &context) : m_context(context)
{
    DcmSCPConfig cfg;
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
    m_shared = DcmSharedSCPConfig(cfg);
    // Each read's own limit; the connections bound each phase as a whole.
    dcmSocketReceiveTimeout.set(kAcseTimeout);
    dcmSocketSendTimeout.set(kDimseTimeout);
}

WorklistPool::~WorklistPool()
{
    if (m_network)
        ASC_dropNetwork(&m_network);
}

OFCondition WorklistPool::open(QString &problem)
{
    OFCondition cond = ASC_initializeNetwork(NET_ACCEPTOR, m_context.config.port, kAcseTimeout, &m_network);
    if (cond.bad()) {
        m_network = nullptr;
        problem = QString::fromLatin1(cond.text());
        return cond;
    }
    m_layer = std::make_unique<TimedTransportLayer>([this] { accepted(); });
    cond = ASC_setTransportLayer(m_network, m_layer.get(), 0);
    if (cond.bad()) {
        ASC_dropNetwork(&m_network);
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
    std::unique_lock<std::mutex> lock(m_mutex);
    for (int i = 0; i < kAcceptors; ++i) {
        if (!startAcceptor())
            return EC_IllegalCall;
    }
    m_stopped.wait(lock, [this] { return m_stop; });
    return EC_Normal;
}

// With the mutex held.
bool WorklistPool::startAcceptor()
{
    ++m_acceptors;
    ++m_waiting;
    if (platform::startDetachedThread([this] { accept(); }, kThreadStack))
        return true;
    --m_acceptors;
    --m_waiting;
    return false;
}

namespace {
thread_local bool t_accepted = false;
}

// A connection was accepted on this acceptor's thread: it reads the request
// now, so another takes its place at the port when none is left there.
void WorklistPool::accepted()
{
    t_accepted = true;
    const std::lock_guard<std::mutex> lock(m_mutex);
    --m_waiting;
    if (m_waiting == 0 && m_acceptors < kMaxAcceptors && !startAcceptor())
        m_context.log.error(QStringLiteral("No thread for another acceptor"));
}

void WorklistPool::accept()
{
    for (;;) {
        t_accepted = false;
        T_ASC_Association *assoc = nullptr;
        OFCondition cond = ASC_receiveAssociation(m_network, &assoc, m_shared->getMaxReceivePDULength(), nullptr,
                                                  nullptr, OFFalse, DUL_NOBLOCK, 1);
        const PeerCut cut = takePeerCut();
        if (t_accepted) {
            const QString peer = assoc && assoc->params
                                     ? QString::fromLatin1(assoc->params->DULparams.callingPresentationAddress)
                                     : QString();
            // DCMTK may take a request cut off midway for a whole one: the cut counts.
            if (cond.good() && cut.kind == PeerCut::Kind::None) {
                hand(assoc);
            } else {
                // A port probe that closes at once is no association. DCMTK's own
                // read limit, as long as ours, may end a slow request first.
                if (cut.kind == PeerCut::Kind::Request || cond == DUL_READTIMEOUT)
                    m_context.log.error(
                        QStringLiteral("Association Timed Out: the association request from %1 not complete in %2 s")
                            .arg(peerText(peer))
                            .arg(kAcseTimeout));
                else if (cond != DUL_NETWORKCLOSED)
                    m_context.log.error(QStringLiteral("Association request from %1 not received: %2")
                                            .arg(peerText(peer), QString::fromLatin1(cond.text())));
                ASC_dropAssociation(assoc);
                ASC_destroyAssociation(&assoc);
            }
        } else {
            ASC_destroyAssociation(&assoc);
        }
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (t_accepted)
            ++m_waiting;
        // Acceptors started for a burst end once it is over.
        if (m_waiting > kAcceptors) {
            --m_waiting;
            --m_acceptors;
            return;
        }
    }
}

void WorklistPool::hand(T_ASC_Association *assoc)
{
    bool full = false;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        full = m_active >= m_context.config.maxAssociations;
        if (!full)
            ++m_active;
    }
    if (full) {
        refuse(assoc, refusal(DCMSCP_TOO_MANY_ASSOCIATIONS) +
                          QStringLiteral(" (at most %1 devices at once)").arg(m_context.config.maxAssociations));
        return;
    }
    auto freeSlot = [this] {
        const std::lock_guard<std::mutex> lock(m_mutex);
        --m_active;
    };
    const bool started = platform::startDetachedThread(
        [this, assoc, freeSlot] {
            WorklistScp scp(m_context, freeSlot);
            scp.setSharedConfig(m_shared);
            scp.serve(assoc);
        },
        kThreadStack);
    if (!started) {
        freeSlot();
        refuse(assoc, QStringLiteral("no thread for the association"));
    }
}

void WorklistPool::refuse(T_ASC_Association *assoc, const QString &why)
{
    const QString peer = QString::fromLatin1(assoc->params->DULparams.callingPresentationAddress);
    const QString calling =
        gatewaylog::format::trimBlanks(QString::fromLatin1(assoc->params->DULparams.callingAPTitle));
    const QDateTime now = m_context.log.now();
    m_context.log.writeBlock({{now, QStringLiteral("Association Refused from %1: %2").arg(peerText(peer), why)},
                              {now, gatewaylog::format::callingText(calling)},
                              {now, gatewaylog::format::endText()}});
    T_ASC_RejectParameters reject{ASC_RESULT_REJECTEDTRANSIENT, ASC_SOURCE_SERVICEPROVIDER_PRESENTATION_RELATED,
                                  ASC_REASON_SP_PRES_LOCALLIMITEXCEEDED};
    ASC_rejectAssociation(assoc, &reject);
    ASC_dropSCPAssociation(assoc);
    ASC_destroyAssociation(&assoc);
}

} // namespace gateway

#include "worklist_client.h"

#include "character_sets.h"

#include "gateway/dicom_text.h"

#include "dcmtk/config/osconfig.h"
#include "dcmtk/dcmdata/dcdeftag.h"
#include "dcmtk/dcmdata/dcelem.h"
#include "dcmtk/dcmdata/dcitem.h"
#include "dcmtk/dcmdata/dcuid.h"
#include "dcmtk/dcmnet/assoc.h"
#include "dcmtk/dcmnet/dimse.h"
#include "dcmtk/dcmnet/diutil.h"
#include "dcmtk/oflog/oflog.h"

#include <QDeadlineTimer>

#include <memory>

namespace devicequery {

namespace {

// The attributes a modality cannot do without, checked where they come back.
const DcmTagKey kRequired[] = {DCM_PatientName,
                               DCM_PatientID,
                               DCM_StudyInstanceUID,
                               DCM_RequestedProcedureID,
                               DCM_Modality,
                               DCM_ScheduledProcedureStepStartDate,
                               DCM_ScheduledProcedureStepStartTime,
                               DCM_ScheduledProcedureStepID};

struct Shown
{
    DcmTagKey tag;
    const char *keyword;
    bool inStep;
    bool text; // decoded in the item's set; the rest is ASCII
};
const Shown kShown[] = {
    {DCM_PatientName, "PatientName", false, true},
    {DCM_PatientID, "PatientID", false, true},
    {DCM_PatientBirthDate, "PatientBirthDate", false, false},
    {DCM_PatientSex, "PatientSex", false, false},
    {DCM_AccessionNumber, "AccessionNumber", false, true},
    {DCM_RequestedProcedureID, "RequestedProcedureID", false, true},
    {DCM_RequestedProcedureDescription, "RequestedProcedureDescription", false, true},
    {DCM_StudyInstanceUID, "StudyInstanceUID", false, false},
    {DCM_Modality, "Modality", true, false},
    {DCM_ScheduledStationAETitle, "ScheduledStationAETitle", true, false},
    {DCM_ScheduledProcedureStepStartDate, "ScheduledProcedureStepStartDate", true, false},
    {DCM_ScheduledProcedureStepStartTime, "ScheduledProcedureStepStartTime", true, false},
    {DCM_ScheduledProcedureStepID, "ScheduledProcedureStepID", true, true},
    {DCM_ScheduledProcedureStepDescription, "ScheduledProcedureStepDescription", true, true},
};

OFString ascii(const QString &text)
{
    const QByteArray bytes = text.toLatin1();
    return OFString(bytes.constData(), size_t(bytes.size()));
}

std::unique_ptr<DcmDataset> queryDataset(const QueryKeys &keys)
{
    auto query = std::make_unique<DcmDataset>();
    if (!keys.characterSet.isEmpty())
        query->putAndInsertOFStringArray(DCM_SpecificCharacterSet, ascii(keys.characterSet));
    DcmItem *step = nullptr;
    query->findOrCreateSequenceItem(DCM_ScheduledProcedureStepSequence, step, -2);
    for (const Shown &s : kShown) {
        if (s.inStep && !step)
            continue;
        DcmItem &target = s.inStep ? *step : static_cast<DcmItem &>(*query);
        QString value;
        if (s.tag == DCM_PatientName)
            value = keys.patientName;
        else if (s.tag == DCM_PatientID)
            value = keys.patientId;
        else if (s.tag == DCM_Modality)
            value = keys.modality;
        else if (s.tag == DCM_ScheduledStationAETitle)
            value = keys.stationAeTitle;
        else if (s.tag == DCM_ScheduledProcedureStepStartDate)
            value = keys.date;
        // As the device writes them: in its character set, Korean behind its escapes.
        const QByteArray bytes = gateway::encodeValue(value, keys.characterSet, s.tag == DCM_PatientName);
        target.putAndInsertOFStringArray(s.tag, OFString(bytes.constData(), size_t(bytes.size())));
    }
    return query;
}

Item itemOf(DcmDataset &response)
{
    Item item;
    OFString cs;
    response.findAndGetOFStringArray(DCM_SpecificCharacterSet, cs);
    item.characterSet = QString::fromLatin1(cs.c_str());
    DcmItem *step = nullptr;
    response.findAndGetSequenceItem(DCM_ScheduledProcedureStepSequence, step, 0);
    for (const Shown &s : kShown) {
        DcmItem *from = s.inStep ? step : &response;
        DcmElement *element = nullptr;
        if (!from || from->findAndGetElement(s.tag, element).bad() || !element)
            continue; // not returned at all: nothing to show or to check
        OFString raw;
        element->getOFStringArray(raw);
        const QByteArray bytes(raw.c_str(), qsizetype(raw.length()));
        const QString value = s.text ? decodeValue(bytes, item.characterSet) : QString::fromLatin1(bytes);
        item.values.append({QLatin1String(s.keyword), value});
        for (const DcmTagKey &required : kRequired) {
            if (required == s.tag && value.trimmed().isEmpty())
                item.emptyRequired.append(QLatin1String(s.keyword));
        }
    }
    return item;
}

bool isTimeout(const OFCondition &cond)
{
    return cond == DUL_READTIMEOUT || cond == DIMSE_NODATAAVAILABLE || QByteArray(cond.text()).contains("imeout");
}

// The network, the parameters and the association of one query, let go in
// the right order whatever happens.
struct Link
{
    T_ASC_Network *net = nullptr;
    T_ASC_Parameters *params = nullptr; // owned by `assoc` once it exists
    T_ASC_Association *assoc = nullptr;

    ~Link()
    {
        if (assoc)
            ASC_destroyAssociation(&assoc);
        else if (params)
            ASC_destroyAssociationParameters(&params);
        if (net)
            ASC_dropNetwork(&net);
    }
};

} // namespace

Answer askWorklist(const Request &request, const std::atomic<bool> &cancel, const std::function<void(int)> &onItem)
{
    static const bool quiet = [] {
        OFLog::configure(OFLogger::WARN_LOG_LEVEL);
        return true;
    }();
    Q_UNUSED(quiet);
    Answer answer;
    const QDeadlineTimer deadline(qint64(request.timeoutSeconds) * 1000);
    const Uint32 step = 1; // seconds between looks at the cancel flag and the deadline

    // The association is not cancellable once asked for, so it gets a short limit of its own.
    const int associating = qBound(1, request.timeoutSeconds, 5);
    dcmConnectionTimeout.set(Sint32(associating));
    Link link;
    OFCondition cond = ASC_initializeNetwork(NET_REQUESTOR, 0, associating, &link.net);
    if (cond.good())
        cond = ASC_createAssociationParameters(&link.params, ASC_DEFAULTMAXPDU);
    if (cond.good())
        cond = ASC_setAPTitles(link.params, ascii(request.callingAeTitle).c_str(), ascii(request.calledAeTitle).c_str(),
                               nullptr);
    if (cond.good())
        cond = ASC_setPresentationAddresses(
            link.params, "localhost", ascii(request.host + QLatin1Char(':') + QString::number(request.port)).c_str());
    const char *syntaxes[] = {UID_LittleEndianExplicitTransferSyntax, UID_LittleEndianImplicitTransferSyntax};
    if (cond.good())
        cond = ASC_addPresentationContext(link.params, 1, UID_FINDModalityWorklistInformationModel, syntaxes, 2);
    if (cond.good())
        cond = ASC_requestAssociation(link.net, link.params, &link.assoc, nullptr, nullptr, DUL_NOBLOCK, associating);
    if (cond.bad()) {
        answer.detail = QString::fromLatin1(cond.text());
        if (cond == DUL_ASSOCIATIONREJECTED) {
            T_ASC_RejectParameters rejected{};
            ASC_getRejectParameters(link.params, &rejected);
            answer.outcome = Outcome::Refused;
            // The reason's high byte repeats the source.
            answer.rejection = {int(rejected.result), int(rejected.source), int(rejected.reason) & 0xff};
        } else if (isTimeout(cond)) {
            answer.outcome = Outcome::Timeout;
        } else if (answer.detail.contains(QLatin1String("refused"), Qt::CaseInsensitive)) {
            answer.outcome = Outcome::PortClosed;
        } else {
            answer.outcome = Outcome::Aborted;
        }
        return answer;
    }
    T_ASC_Association *assoc = link.assoc;
    const T_ASC_PresentationContextID pc =
        ASC_findAcceptedPresentationContextID(assoc, UID_FINDModalityWorklistInformationModel);
    if (pc == 0) {
        answer.outcome = Outcome::Refused;
        answer.detail = QStringLiteral("no Modality Worklist presentation context");
        ASC_releaseAssociation(assoc);
        return answer;
    }

    const Uint16 messageId = 1;
    std::unique_ptr<DcmDataset> query = queryDataset(request.keys);
    T_DIMSE_Message rq{};
    rq.CommandField = DIMSE_C_FIND_RQ;
    rq.msg.CFindRQ.MessageID = messageId;
    OFStandard::strlcpy(rq.msg.CFindRQ.AffectedSOPClassUID, UID_FINDModalityWorklistInformationModel,
                        sizeof rq.msg.CFindRQ.AffectedSOPClassUID);
    rq.msg.CFindRQ.Priority = DIMSE_PRIORITY_MEDIUM;
    rq.msg.CFindRQ.DataSetType = DIMSE_DATASET_PRESENT;
    cond = DIMSE_sendMessageUsingMemoryData(assoc, pc, &rq, nullptr, query.get(), nullptr, nullptr);

    bool cancelSent = false;
    while (cond.good()) {
        if (cancel.load() && !cancelSent) {
            T_DIMSE_Message cc{};
            cc.CommandField = DIMSE_C_CANCEL_RQ;
            cc.msg.CCancelRQ.MessageIDBeingRespondedTo = messageId;
            cc.msg.CCancelRQ.DataSetType = DIMSE_DATASET_NULL;
            cond = DIMSE_sendMessageUsingMemoryData(assoc, pc, &cc, nullptr, nullptr, nullptr, nullptr);
            cancelSent = true;
            continue;
        }
        if (deadline.hasExpired()) {
            cond = DIMSE_NODATAAVAILABLE;
            break;
        }
        T_ASC_PresentationContextID rpc = pc;
        T_DIMSE_Message rsp{};
        DcmDataset *detail = nullptr;
        cond = DIMSE_receiveCommand(assoc, DIMSE_NONBLOCKING, int(step), &rpc, &rsp, &detail);
        delete detail;
        if (cond == DIMSE_NODATAAVAILABLE) {
            cond = EC_Normal;
            continue;
        }
        if (cond.bad())
            break;
        if (rsp.CommandField != DIMSE_C_FIND_RSP) {
            cond = makeOFCondition(OFM_dcmnet, DIMSEC_UNEXPECTEDRESPONSE, OF_error, "unexpected response");
            break;
        }
        const T_DIMSE_C_FindRSP &find = rsp.msg.CFindRSP;
        if (find.DataSetType != DIMSE_DATASET_NULL) {
            DcmDataset *data = nullptr;
            cond = DIMSE_receiveDataSetInMemory(assoc, DIMSE_NONBLOCKING, request.timeoutSeconds, &rpc, &data, nullptr,
                                                nullptr);
            std::unique_ptr<DcmDataset> owned(data);
            if (cond.bad())
                break;
            if (DICOM_PENDING_STATUS(find.DimseStatus) && owned) {
                answer.items.append(itemOf(*owned));
                if (onItem)
                    onItem(int(answer.items.size()));
            }
        }
        if (!DICOM_PENDING_STATUS(find.DimseStatus)) {
            answer.status = find.DimseStatus;
            if (cancelSent || find.DimseStatus == STATUS_FIND_Cancel_MatchingTerminatedDueToCancelRequest)
                answer.outcome = Outcome::Cancelled;
            else if (find.DimseStatus != STATUS_Success && (find.DimseStatus & 0xF000) != 0xB000)
                answer.outcome = Outcome::Failed;
            ASC_releaseAssociation(assoc);
            return answer;
        }
    }
    answer.detail = QString::fromLatin1(cond.text());
    if (cancelSent)
        answer.outcome = Outcome::Cancelled;
    else if (isTimeout(cond))
        answer.outcome = Outcome::Timeout;
    else
        answer.outcome = Outcome::Aborted;
    ASC_abortAssociation(assoc);
    return answer;
}

} // namespace devicequery

#include "worklist_scp.h"

#include "dicom_text.h"
#include "worklist_query.h"

#include "gatewaylog/log_format.h"
#include "platform/error.h"

#include "dcmtk/dcmdata/dcdeftag.h"
#include "dcmtk/dcmdata/dcitem.h"
#include "dcmtk/dcmdata/dcuid.h"

#include <sstream>

namespace gateway {

namespace {

const OFList<OFString> &transferSyntaxes()
{
    static const OFList<OFString> syntaxes = [] {
        OFList<OFString> list;
        list.push_back(UID_LittleEndianExplicitTransferSyntax);
        list.push_back(UID_BigEndianExplicitTransferSyntax);
        list.push_back(UID_LittleEndianImplicitTransferSyntax);
        return list;
    }();
    return syntaxes;
}

QString text(DcmItem *item, const DcmTagKey &tag)
{
    OFString value;
    if (item && item->findAndGetOFStringArray(tag, value).good())
        return QString::fromLatin1(value.c_str());
    return QString();
}

// One element in DCMTK's dump form, as the log shows it.
QString dump(DcmItem &item, const DcmTagKey &tag)
{
    DcmElement *element = nullptr;
    if (item.findAndGetElement(tag, element).bad() || !element)
        return QString();
    std::ostringstream out;
    element->print(out, 0, 1);
    QString line = QString::fromLatin1(out.str().c_str());
    while (line.endsWith(QLatin1Char('\n')) || line.endsWith(QLatin1Char('\r')))
        line.chop(1);
    return line;
}

void put(DcmItem &item, const DcmTagKey &tag, const QByteArray &bytes)
{
    item.putAndInsertOFStringArray(tag, OFString(bytes.constData(), static_cast<size_t>(bytes.size())));
}

// Only what the device asked for goes back (the character set always does).
void keepRequested(DcmItem &response, DcmItem &request)
{
    for (unsigned long i = response.card(); i-- > 0;) {
        DcmElement *element = response.getElement(i);
        const DcmTagKey tag = element->getTag();
        if (tag == DCM_SpecificCharacterSet || request.tagExists(tag))
            continue;
        delete response.remove(element);
    }
}

} // namespace

WorklistScp::WorklistScp(std::optional<Config> config, db::DbSession &archive, GatewayLog &log)
    : m_config(std::move(config)), m_archive(archive), m_log(log)
{
    setAETitle("KALDEN1");
    setRespondWithCalledAETitle(OFTrue);
    if (m_config)
        setPort(static_cast<Uint16>(m_config->port));
    // A device that stops answering must not hold the server.
    setDIMSEBlockingMode(DIMSE_NONBLOCKING);
    setDIMSETimeout(30);
    setACSETimeout(30);
    setHostLookupEnabled(OFFalse);
    addPresentationContext(UID_FINDModalityWorklistInformationModel, transferSyntaxes());
    addPresentationContext(UID_VerificationSOPClass, transferSyntaxes());
}

void WorklistScp::notifyAssociationRequest(const T_ASC_Parameters &params, DcmSCPActionType &desiredAction)
{
    m_calling = QString::fromLatin1(params.DULparams.callingAPTitle).trimmed();
    // A connection that never asked for an association (a port probe) is no device.
    m_associated = !m_calling.isEmpty();
    if (!m_associated)
        return;
    if (!m_config) {
        m_log.error(QStringLiteral("Association refused: the control file could not be read (") + m_calling +
                    QLatin1Char(')'));
        desiredAction = DCMSCP_ACTION_REFUSE_ASSOCIATION;
        return;
    }
    if (m_log.summary()) {
        // The line after an association's end is never read by the log tools,
        // so the calling AE title must not be the first line of the next one.
        m_log.write(QStringLiteral("Association Received %1: %2 -> %3")
                        .arg(QLatin1String(params.DULparams.callingPresentationAddress), m_calling,
                             QLatin1String(params.DULparams.calledAPTitle)));
        m_log.write(gatewaylog::format::callingText(m_calling));
    }
}

void WorklistScp::notifyAssociationTermination()
{
    if (m_associated && m_config && m_log.summary())
        m_log.write(gatewaylog::format::endText());
    m_associated = false;
}

OFCondition WorklistScp::handleIncomingCommand(T_DIMSE_Message *message, const DcmPresentationContextInfo &info)
{
    if (message->CommandField == DIMSE_C_CANCEL_RQ)
        return EC_Normal; // a cancel that came after the final response: nothing left to stop
    if (message->CommandField == DIMSE_C_FIND_RQ &&
        info.abstractSyntax == OFString(UID_FINDModalityWorklistInformationModel))
        return answerFind(message->msg.CFindRQ, info.presentationContextID);
    return DcmSCP::handleIncomingCommand(message, info);
}

OFCondition WorklistScp::answerFind(T_DIMSE_C_FindRQ &request, T_ASC_PresentationContextID presentation)
{
    DcmDataset *query = nullptr;
    OFCondition cond = receiveFINDRequest(request, presentation, query);
    if (cond.bad())
        return cond;
    std::unique_ptr<DcmDataset> owned(query);
    const OFString sopClass = request.AffectedSOPClassUID;

    DcmItem *step = nullptr;
    query->findAndGetSequenceItem(DCM_ScheduledProcedureStepSequence, step, 0);
    WorklistKeys keys;
    keys.characterSet = text(query, DCM_SpecificCharacterSet);
    keys.patientId = text(query, DCM_PatientID);
    keys.patientName = text(query, DCM_PatientName);
    keys.modality = text(step, DCM_Modality);
    keys.date = text(step, DCM_ScheduledProcedureStepStartDate);
    keys.stationAeTitle = text(step, DCM_ScheduledStationAETitle);

    const QString view = viewFor(*m_config, m_calling);
    const QString sql = worklistSql(view, keys);
    if (m_log.detailed()) {
        const QString charset = dump(*query, DCM_SpecificCharacterSet);
        if (!charset.isEmpty())
            m_log.write(charset);
        m_log.write(gatewaylog::format::viewText(view));
        m_log.write(gatewaylog::format::queryText(sql));
    }

    int sent = 0;
    try {
        db::Recordset rows = m_archive.open(sql);
        for (; !rows.eof(); rows.moveNext()) {
            if (checkForCANCEL(presentation, request.MessageID).good()) {
                m_log.write(gatewaylog::format::responseText(sent + 1, QStringLiteral("Cancel")));
                return sendFINDResponse(presentation, request.MessageID, sopClass, nullptr,
                                        STATUS_FIND_Cancel_MatchingTerminatedDueToCancelRequest);
            }
            const QString cs = rows.text(QStringLiteral("specific_character_set")).trimmed();
            DcmDataset response;
            response.putAndInsertOFStringArray(DCM_SpecificCharacterSet, cs.toLatin1().constData());
            put(response, DCM_PatientName, encodeValue(rows.text(QStringLiteral("patient_name")), cs, true));
            put(response, DCM_PatientID, encodeValue(rows.text(QStringLiteral("patient_id")), cs, false));
            put(response, DCM_PatientBirthDate, rows.text(QStringLiteral("patient_birth_date")).toLatin1());
            put(response, DCM_PatientSex, rows.text(QStringLiteral("patient_sex")).toLatin1());
            put(response, DCM_AccessionNumber, rows.text(QStringLiteral("accession_no")).toLatin1());
            put(response, DCM_ReferringPhysicianName,
                encodeValue(rows.text(QStringLiteral("referring_physician")), cs, true));
            put(response, DCM_RequestedProcedureDescription,
                encodeValue(rows.text(QStringLiteral("requested_procedure_desc")), cs, false));
            DcmItem *item = nullptr;
            response.findOrCreateSequenceItem(DCM_ScheduledProcedureStepSequence, item, -2);
            if (item) {
                put(*item, DCM_ScheduledStationAETitle,
                    rows.text(QStringLiteral("scheduled_station_aetitle")).toLatin1());
                put(*item, DCM_Modality, rows.text(QStringLiteral("modality")).toLatin1());
                put(*item, DCM_ScheduledProcedureStepStartDate,
                    rows.text(QStringLiteral("SCHEDULED_PROCEDURE_DATE")).toLatin1());
                put(*item, DCM_ScheduledProcedureStepStartTime,
                    rows.text(QStringLiteral("SCHEDULED_PROCEDURE_TIME")).toLatin1());
                put(*item, DCM_ScheduledProcedureStepDescription,
                    encodeValue(rows.text(QStringLiteral("scheduled_procedure_desc")), cs, false));
                if (step && step->card() > 0)
                    keepRequested(*item, *step);
            }
            keepRequested(response, *query);
            cond = sendFINDResponse(presentation, request.MessageID, sopClass, &response,
                                    STATUS_FIND_Pending_MatchesAreContinuing);
            if (cond.bad())
                return cond;
            ++sent;
            if (m_log.detailed())
                m_log.write(dump(response, DCM_PatientID));
        }
    } catch (const platform::Error &e) {
        // The device is told the query failed; the server goes on serving.
        m_log.error(QStringLiteral("Worklist Find SCP error (") + m_calling + QStringLiteral(", ") + view +
                    QStringLiteral("): ") + QString(e.text()).replace(QLatin1Char('\n'), QLatin1Char(' ')));
        return sendFINDResponse(presentation, request.MessageID, sopClass, nullptr, STATUS_FIND_Failed_UnableToProcess);
    }
    if (m_log.summary())
        m_log.write(gatewaylog::format::responseText(sent + 1));
    return sendFINDResponse(presentation, request.MessageID, sopClass, nullptr, STATUS_Success);
}

} // namespace gateway

#include "query_keys.h"

#include "dicom_text.h"

#include "dcmtk/config/osconfig.h"

#include "dcmtk/dcmdata/dcdeftag.h"
#include "dcmtk/dcmdata/dcitem.h"

namespace gateway {

namespace {

QByteArray raw(DcmItem *item, const DcmTagKey &tag)
{
    OFString value;
    if (item && item->findAndGetOFStringArray(tag, value).good())
        return QByteArray(value.data(), qsizetype(value.size()));
    return QByteArray();
}

} // namespace

DeviceQuery readQuery(DcmItem &query)
{
    DcmItem *step = nullptr;
    query.findAndGetSequenceItem(DCM_ScheduledProcedureStepSequence, step, 0);
    DeviceQuery q;
    q.characterSet = QString::fromLatin1(raw(&query, DCM_SpecificCharacterSet));
    q.keys.patientId = decodeValue(raw(&query, DCM_PatientID), q.characterSet);
    q.keys.patientName = decodeValue(raw(&query, DCM_PatientName), q.characterSet);
    q.keys.modality = decodeValue(raw(step, DCM_Modality), q.characterSet);
    q.keys.date = decodeValue(raw(step, DCM_ScheduledProcedureStepStartDate), q.characterSet);
    q.keys.stationAeTitle = decodeValue(raw(step, DCM_ScheduledStationAETitle), q.characterSet);
    return q;
}

} // namespace gateway

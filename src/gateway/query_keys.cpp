#include "query_keys.h"

#include "dicom_text.h"

#include "dcmtk/config/osconfig.h"

#include "dcmtk/dcmdata/dcdeftag.h"
#include "dcmtk/dcmdata/dcitem.h"
#include "dcmtk/dcmdata/dcsequen.h"

namespace gateway {

namespace {

QByteArray raw(DcmItem *item, const DcmTagKey &tag)
{
    OFString value;
    if (item && item->findAndGetOFStringArray(tag, value).good())
        return QByteArray(value.data(), qsizetype(value.size()));
    return QByteArray();
}

// The keys matched on, in the data set and in the procedure step's item.
bool matched(const DcmTagKey &tag, bool inStep)
{
    if (inStep)
        return tag == DCM_Modality || tag == DCM_ScheduledStationAETitle ||
               tag == DCM_ScheduledProcedureStepStartDate || tag == DCM_ScheduledProcedureStepStartTime ||
               tag == DCM_ScheduledPerformingPhysicianName;
    return tag == DCM_SpecificCharacterSet || tag == DCM_PatientName || tag == DCM_PatientID ||
           tag == DCM_ScheduledProcedureStepSequence;
}

// Every attribute with a value that is no matched key, down through the
// sequences (whose depth the identifier's check has bounded).
void collectUnmatched(DcmItem &item, bool inStep, QStringList &out)
{
    for (unsigned long i = 0; i < item.card(); ++i) {
        DcmElement *element = item.getElement(i);
        const DcmTagKey tag = element->getTag();
        if (tag.getElement() == 0 || matched(tag, inStep)) {
            if (tag == DCM_ScheduledProcedureStepSequence) {
                DcmItem *step = nullptr;
                for (unsigned long n = 0; item.findAndGetSequenceItem(tag, step, int(n)).good() && step; ++n)
                    collectUnmatched(*step, true, out);
            }
            continue;
        }
        if (element->ident() == EVR_SQ) {
            DcmItem *nested = nullptr;
            for (unsigned long n = 0; item.findAndGetSequenceItem(tag, nested, int(n)).good() && nested; ++n)
                collectUnmatched(*nested, false, out);
            continue;
        }
        if (element->getLength() == 0)
            continue;
        const QString name = QString::fromLatin1(DcmTag(tag).getTagName());
        if (!out.contains(name))
            out.append(name);
    }
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
    q.keys.time = decodeValue(raw(step, DCM_ScheduledProcedureStepStartTime), q.characterSet);
    q.keys.performingPhysician = decodeValue(raw(step, DCM_ScheduledPerformingPhysicianName), q.characterSet);
    collectUnmatched(query, false, q.unmatched);
    return q;
}

} // namespace gateway

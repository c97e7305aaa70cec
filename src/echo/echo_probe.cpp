#include "echo_probe.h"

#include "dcmtk/config/osconfig.h"
#include "dcmtk/dcmdata/dcuid.h"
#include "dcmtk/dcmnet/scu.h"

namespace echo {

bool DicomEchoProbe::answers(const platform::GatewayAddress &address)
{
    DcmSCU scu;
    scu.setAETitle("KZCONFIG");
    scu.setPeerHostName(address.host.toLatin1().constData());
    scu.setPeerPort(static_cast<Uint16>(address.port));
    scu.setPeerAETitle(address.aeTitle.toLatin1().constData());
    // Asked again and again after a start: one question never holds the window long.
    scu.setConnectionTimeout(1);
    scu.setACSETimeout(1);
    scu.setDIMSEBlockingMode(DIMSE_NONBLOCKING);
    scu.setDIMSETimeout(1);
    OFList<OFString> syntaxes;
    syntaxes.push_back(UID_LittleEndianImplicitTransferSyntax);
    scu.addPresentationContext(UID_VerificationSOPClass, syntaxes);
    if (scu.initNetwork().bad() || scu.negotiateAssociation().bad())
        return false;
    const bool answered = scu.sendECHORequest(0).good();
    scu.releaseAssociation();
    return answered;
}

} // namespace echo

#include "ports/appareils_pnp.h"

#include <windows.h>

#include <cfgmgr32.h>
#include <setupapi.h>

namespace {

// The device information set is destroyed on every way out.
class EnsembleAppareils {
public:
    EnsembleAppareils() : ensemble_(SetupDiGetClassDevsA(nullptr, "USB", nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT)) {}
    ~EnsembleAppareils() {
        if (ensemble_ != INVALID_HANDLE_VALUE) SetupDiDestroyDeviceInfoList(ensemble_);
    }
    EnsembleAppareils(const EnsembleAppareils&) = delete;
    EnsembleAppareils& operator=(const EnsembleAppareils&) = delete;
    HDEVINFO Poignee() const { return ensemble_; }

private:
    HDEVINFO ensemble_;
};

// The first string of the multi-string property; empty when the device has none.
std::string PremierIdMateriel(HDEVINFO ensemble, SP_DEVINFO_DATA& info) {
    std::vector<BYTE> tampon(512);
    for (;;) {
        DWORD taille = 0;
        if (SetupDiGetDeviceRegistryPropertyA(ensemble, &info, SPDRP_HARDWAREID, nullptr, tampon.data(),
                                              static_cast<DWORD>(tampon.size()), &taille))
            break;
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || taille <= tampon.size()) return {};
        tampon.resize(taille);
    }
    tampon.push_back(0);
    return std::string(reinterpret_cast<const char*>(tampon.data()));
}

// A serial driver writes the port's COM name as PortName in the device's hardware key.
bool APortCom(HDEVINFO ensemble, SP_DEVINFO_DATA& info) {
    const HKEY cle = SetupDiOpenDevRegKey(ensemble, &info, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (cle == INVALID_HANDLE_VALUE) return false;
    DWORD type = 0;
    DWORD taille = 0;
    const bool nomme = RegQueryValueExA(cle, "PortName", nullptr, &type, nullptr, &taille) == ERROR_SUCCESS &&
                       (type == REG_SZ || type == REG_EXPAND_SZ) && taille > 1;
    RegCloseKey(cle);
    return nomme;
}

}  // namespace

std::vector<AppareilPnp> ListerAppareilsPnp() {
    std::vector<AppareilPnp> appareils;
    EnsembleAppareils ensemble;
    if (ensemble.Poignee() == INVALID_HANDLE_VALUE) return appareils;
    SP_DEVINFO_DATA info{};
    info.cbSize = sizeof info;
    for (DWORD i = 0; SetupDiEnumDeviceInfo(ensemble.Poignee(), i, &info); ++i) {
        AppareilPnp appareil;
        appareil.idMateriel = PremierIdMateriel(ensemble.Poignee(), info);
        ULONG etat = 0;
        ULONG probleme = 0;
        if (CM_Get_DevNode_Status(&etat, &probleme, info.DevInst, 0) == CR_SUCCESS && (etat & DN_HAS_PROBLEM))
            appareil.codeProbleme = probleme;
        appareil.portCom = APortCom(ensemble.Poignee(), info);
        appareils.push_back(std::move(appareil));
    }
    return appareils;
}

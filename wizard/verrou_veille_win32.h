// The Windows lock: the thread's execution state keeps the system awake, and a shut-down or
// log-out is refused with a reason. The system calls are injected, so that they can be checked.
#pragma once

#include <functional>
#include <string>

#include "wizard/verrou_veille.h"

struct AppelsVeilleWin32 {
    std::function<unsigned long(unsigned long etat)> definirEtatExecution;       // SetThreadExecutionState
    std::function<bool(void* fenetre, const std::wstring& raison)> creerRaison;  // ShutdownBlockReasonCreate
    std::function<bool(void* fenetre)> detruireRaison;                           // ShutdownBlockReasonDestroy
};

// The system's own calls.
AppelsVeilleWin32 AppelsVeilleSysteme();

class VerrouVeilleWin32 final : public VerrouVeille {
public:
    explicit VerrouVeilleWin32(AppelsVeilleWin32 appels);
    ~VerrouVeilleWin32() override;
    VerrouVeilleWin32(const VerrouVeilleWin32&) = delete;
    VerrouVeilleWin32& operator=(const VerrouVeilleWin32&) = delete;

    void Prendre(const std::string& qui, const std::string& pourquoi) override;
    void Relacher() override;
    bool Tenu() const override { return Pris; }
    bool RefuserFinDeSession(void* fenetre) override;

private:
    AppelsVeilleWin32 Appels;
    bool Pris = false;
    std::wstring Raison;
    void* FenetreRaison = nullptr;  // the window the reason was given for, until it is withdrawn
};

// Keeps the computer from sleeping or shutting down while a device is being written: a device left
// with part of its program cannot start.
#pragma once

#include <memory>
#include <string>

class VerrouVeille {
public:
    virtual ~VerrouVeille() = default;

    // qui: the program, pourquoi: the reason the system shows (UTF-8). Taking a held lock does
    // nothing; where the system offers no lock the update goes on without it.
    virtual void Prendre(const std::string& qui, const std::string& pourquoi) = 0;
    virtual void Relacher() = 0;
    virtual bool Tenu() const = 0;
    // The session asks to end (log-out, shut-down): true when it must be refused, the lock being
    // held. fenetre: the native window that answers, where the system shows the reason beside it.
    virtual bool RefuserFinDeSession(void* fenetre) = 0;
};

// The platform's lock: logind's inhibitor over D-Bus, or the Windows execution state.
std::unique_ptr<VerrouVeille> CreerVerrouVeille();

// A system bus of the test's own where python-dbusmock plays logind, and the inhibitors it holds.
#pragma once

#include <sys/types.h>

#include <QStringList>

class LogindFactice {
public:
    // Starts the bus and the mock and points DBUS_SYSTEM_BUS_ADDRESS at them; the program finds the
    // bus there, as anywhere. Without dbus-daemon or python3-dbusmock nothing starts.
    LogindFactice();
    ~LogindFactice();
    LogindFactice(const LogindFactice&) = delete;
    LogindFactice& operator=(const LogindFactice&) = delete;

    bool Lance() const { return mock_ > 0; }
    bool Pret() const;  // logind's name is on the bus

    // The inhibitors logind holds now, each as "what|who|why|mode".
    static QStringList Inhibiteurs();

private:
    pid_t demon_ = 0;
    pid_t mock_ = 0;
};

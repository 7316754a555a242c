// The Linux lock: an inhibitor of systemd-logind on the system bus, held as long as its file
// descriptor stays open.
#include <cstdint>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QString>

#include "wizard/verrou_veille.h"

namespace {

const QString SERVICE_LOGIND = QStringLiteral("org.freedesktop.login1");
const QString OBJET_LOGIND = QStringLiteral("/org/freedesktop/login1");
const QString INTERFACE_LOGIND = QStringLiteral("org.freedesktop.login1.Manager");
const QString BLOQUE = QStringLiteral("sleep:shutdown:idle");  // what the lock holds off
const QString MODE_BLOQUE = QStringLiteral("block");           // not just a delay
constexpr int DELAI_REPONSE_MS = 5000;  // a bus that never answers leaves the update without lock

class VerrouLogind final : public VerrouVeille {
public:
    // The answer comes through the event loop: the update's timer never waits for the bus.
    void Prendre(const std::string& qui, const std::string& pourquoi) override {
        if (Voulu) return;
        Voulu = true;
        const std::uint64_t demande = ++Demandes;
        QDBusConnection bus = QDBusConnection::systemBus();
        if (!bus.isConnected()) return;
        QDBusMessage appel =
            QDBusMessage::createMethodCall(SERVICE_LOGIND, OBJET_LOGIND, INTERFACE_LOGIND, QStringLiteral("Inhibit"));
        appel << BLOQUE << QString::fromStdString(qui) << QString::fromStdString(pourquoi) << MODE_BLOQUE;
        auto* attente = new QDBusPendingCallWatcher(bus.asyncCall(appel, DELAI_REPONSE_MS), &Contexte);
        QObject::connect(attente, &QDBusPendingCallWatcher::finished, &Contexte,
                         [this, demande](QDBusPendingCallWatcher* reponse) {
                             const QDBusPendingReply<QDBusUnixFileDescriptor> descripteur = *reponse;
                             // A lock released, or asked again, before the answer is dropped here.
                             if (Voulu && demande == Demandes && descripteur.isValid())
                                 Descripteur = descripteur.value();
                             reponse->deleteLater();
                         });
    }

    void Relacher() override {
        Voulu = false;
        Descripteur = QDBusUnixFileDescriptor();  // closing it ends the inhibitor
    }

    bool Tenu() const override { return Voulu; }

    bool RefuserFinDeSession(void*) override { return Voulu; }

private:
    QObject Contexte;  // owns the pending calls, so that none outlives the lock
    bool Voulu = false;
    std::uint64_t Demandes = 0;
    QDBusUnixFileDescriptor Descripteur;
};

}  // namespace

std::unique_ptr<VerrouVeille> CreerVerrouVeille() { return std::make_unique<VerrouLogind>(); }

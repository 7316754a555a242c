// The walk's device writes, sent over the link.
#pragma once

#include "link/Com_p07_v1_2.h"
#include "wizard/operations_mise_a_jour.h"
#include "wizard/parcours_image.h"

class EcrituresComP07 : public EcrituresAppareil {
public:
    explicit EcrituresComP07(ComP07& com) : Com(com) {}
    int EcrireBloc(unsigned adresse, unsigned nbMots, const unsigned* mots) override {
        Noter(OperationMiseAJour::EcrireBloc, adresse);
        return Com.EcrireBloc(adresse, nbMots, mots);
    }
    int EcrireEeprom(int adresse, int valeur) override {
        Noter(OperationMiseAJour::EcrireEeprom, static_cast<unsigned>(adresse));
        return Com.EcrireEeprom(adresse, valeur);
    }
    int EcrireVersion(int majeur, int mineur, int revision) override {
        Noter(OperationMiseAJour::EcrireVersion, 0);
        return Com.EcrireVersion(majeur, mineur, revision);
    }

    // The last write tried, which is the one that failed when the walk stops: the failure
    // boxes say how far the transfer came.
    OperationMiseAJour DerniereOperation() const { return Derniere; }
    unsigned DerniereAdresse() const { return Adresse; }
    void Oublier() { Noter(OperationMiseAJour::Aucune, 0); }

private:
    void Noter(OperationMiseAJour operation, unsigned adresse) {
        Derniere = operation;
        Adresse = adresse;
    }

    ComP07& Com;
    OperationMiseAJour Derniere = OperationMiseAJour::Aucune;
    unsigned Adresse = 0;
};

// The walk's device writes, sent over the link.
#pragma once

#include "link/Com_p07_v1_2.h"
#include "wizard/parcours_image.h"

class EcrituresComP07 : public EcrituresAppareil {
public:
    explicit EcrituresComP07(ComP07& com) : Com(com) {}
    int EcrireBloc(unsigned adresse, unsigned nbMots, const unsigned* mots) override {
        return Com.EcrireBloc(adresse, nbMots, mots);
    }
    int EcrireEeprom(int adresse, int valeur) override { return Com.EcrireEeprom(adresse, valeur); }
    int EcrireVersion(int majeur, int mineur, int revision) override {
        return Com.EcrireVersion(majeur, mineur, revision);
    }

private:
    ComP07& Com;
};

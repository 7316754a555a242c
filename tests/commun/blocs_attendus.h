// The blocks the walk writes for the embedded image, counted by running it against a recorder:
// what a whole update sends, whatever the image.
#pragma once

#include "tests/image/faux_parcours.h"

inline int BlocsDeLImage() {
    EcrituresEnregistrees ecritures;
    FenetreEnregistree fenetre;
    ParcoursImage parcours{ecritures, fenetre};
    parcours.ConstruireTable();
    parcours.PreparerTransfert();
    Derouler(parcours, fenetre);
    return static_cast<int>(ecritures.Blocs.size());
}

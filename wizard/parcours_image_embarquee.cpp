// The walk over the image built into the program; apart, so that the build-time tool that makes
// that image can run the walk without it.
#include "wizard/parcours_image.h"

std::vector<const char*> EnregistrementsEmbarques() {
    std::vector<const char*> enregistrements;
    for (int i = 0; i < CAPACITE_TABLE && ImageFirmware[i][0] != '\0'; ++i)
        enregistrements.push_back(ImageFirmware[i]);
    return enregistrements;
}

int ParcoursImage::ConstruireTable() { return ConstruireTable(EnregistrementsEmbarques()); }

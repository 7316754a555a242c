// The link's two-digit decoder, apart from the line: the image walk shares it, and so does the
// build-time tool that runs the walk.
#include "link/Com_p07_v1_2.h"

int ComP07::HexVersOctet(unsigned car1, unsigned car2) {
    // No checking: lower case and non-digits give whatever the subtraction gives.
    auto valeur = [](unsigned c) {
        const int v = static_cast<int>(c & 0xFFu);
        return v <= 0x39 ? v - 0x30 : v - 0x37;
    };
    return 16 * valeur(car1) + valeur(car2);
}

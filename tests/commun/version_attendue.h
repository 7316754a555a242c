// The update's version as the tests expect to see it, and the versions next to it, so that no
// test holds the number of one release.
#pragma once

#include <optional>
#include <string>

#include "wizard/version_mise_a_jour.h"

struct VersionAppareil {
    unsigned majeur, mineur, revision;
};
enum class Niveau { Majeur, Mineur, Revision };

// The update's version with one number moved by one: going up the numbers below it become 0,
// going down 255 (2.5.0 gives 2.5.1, 2.6.0, 3.0.0 and 2.4.255, 1.255.255). None past 0 or 255.
inline std::optional<VersionAppareil> VersionVoisine(Niveau niveau, int sens) {
    unsigned v[3] = {VERSION_MAJEUR, VERSION_MINEUR, VERSION_REVISION};
    unsigned& n = v[int(niveau)];
    if (n == (sens > 0 ? 255u : 0u)) return std::nullopt;
    n = sens > 0 ? n + 1 : n - 1;
    for (int i = int(niveau) + 1; i < 3; ++i)
        v[i] = sens > 0 ? 0 : 255;
    return VersionAppareil{v[0], v[1], v[2]};
}

inline std::string TexteVersion() {
    return std::to_string(VERSION_MAJEUR) + '.' + std::to_string(VERSION_MINEUR) + '.' +
           std::to_string(VERSION_REVISION);
}

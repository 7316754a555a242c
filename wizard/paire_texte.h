// A user-visible text in the program's two languages, taken at the language index (0 French,
// 1 English).
#pragma once

struct PaireTexte {
    const char* francais;
    const char* anglais;

    // Anything but English reads French, so a stray language value never picks a missing text.
    const char* En(int langue) const { return langue == 1 ? anglais : francais; }
};

#include "sim/arguments.h"

#include <algorithm>
#include <iterator>

namespace {

// Decimal digits, or "0x" then hexadecimal digits; nothing else (no blank, sign or second
// prefix), so that "010" stays ten.
template <typename T>
bool LireNombre(const std::string& texte, unsigned long maximum, T& valeur) {
    unsigned long base = 10;
    std::size_t i = 0;
    if (texte.size() > 2 && texte[0] == '0' && (texte[1] == 'x' || texte[1] == 'X')) {
        base = 16;
        i = 2;
    }
    if (i == texte.size()) return false;
    unsigned long v = 0;
    for (; i < texte.size(); ++i) {
        const char c = texte[i];
        unsigned long chiffre = base;
        if (c >= '0' && c <= '9')
            chiffre = static_cast<unsigned long>(c - '0');
        else if (c >= 'A' && c <= 'F')
            chiffre = static_cast<unsigned long>(c - 'A' + 10);
        else if (c >= 'a' && c <= 'f')
            chiffre = static_cast<unsigned long>(c - 'a' + 10);
        if (chiffre >= base || v > (maximum - chiffre) / base) return false;
        v = v * base + chiffre;
    }
    valeur = static_cast<T>(v);
    return true;
}

bool LireVersion(const std::string& texte, IdentiteAppareil& id) {
    unsigned long parties[3] = {0, 0, 0};
    std::size_t debut = 0;
    for (int i = 0; i < 3; ++i) {
        const std::size_t point = texte.find('.', debut);
        const bool derniere = i == 2;
        if (derniere != (point == std::string::npos)) return false;
        const std::string partie = texte.substr(debut, derniere ? std::string::npos : point - debut);
        if (!LireNombre(partie, 255, parties[i])) return false;
        debut = point + 1;
    }
    id.majeur = static_cast<unsigned>(parties[0]);
    id.mineur = static_cast<unsigned>(parties[1]);
    id.revision = static_cast<unsigned>(parties[2]);
    return true;
}

// "0x83=0x00": the command byte, then the byte it is answered with.
bool LireFaute(const std::string& texte, FautesAppareil& fautes) {
    const std::size_t egal = texte.find('=');
    if (egal == std::string::npos) return false;
    unsigned long commande = 0, reponse = 0;
    if (!LireNombre(texte.substr(0, egal), 255, commande) || commande == 0 ||
        !LireNombre(texte.substr(egal + 1), 255, reponse))
        return false;
    fautes.commandeFautive = static_cast<unsigned char>(commande);
    fautes.octetFautif = static_cast<unsigned char>(reponse);
    return true;
}

// "0x8B@1021" or "0x9F#300": the command byte, then the EEPROM or block address or the Nth time.
bool LireCoupure(const std::string& texte, FautesAppareil& fautes) {
    const std::size_t marque = texte.find_first_of("@#");
    unsigned long commande = 0, n = 0;
    if (!LireNombre(texte.substr(0, marque), 255, commande) || commande == 0) return false;
    fautes.commandeCoupure = static_cast<unsigned char>(commande);
    if (marque == std::string::npos) return true;
    if (!LireNombre(texte.substr(marque + 1), 0x1FFFF, n) || (texte[marque] == '#' && n == 0)) return false;
    if (texte[marque] == '@')
        fautes.adresseCoupure = static_cast<long>(n);
    else
        fautes.coupureA = static_cast<int>(n);
    return true;
}

using Valeur = const std::string&;
using Options = OptionsSimulateur;

struct Declaration {
    const char* nom;
    const char* valeur;                            // as the help names it; nullptr for an option without a value
    const char* aide;                              // '\n' before each further line
    bool (*appliquer)(Valeur valeur, Options& o);  // false on a bad value
};

const Declaration OPTIONS[] = {
    {"--modele", "XXX", "model code, 3 characters (P07)",
     [](Valeur v, Options& o) {
         o.identite.modele = v;
         return v.size() == 3;
     }},
    {"--variante", "N", "variant byte (1)",
     [](Valeur v, Options& o) { return LireNombre(v, 255, o.identite.variante); }},
    {"--serie", "N", "serial number (123456789)",
     [](Valeur v, Options& o) { return LireNombre(v, 0xFFFFFFFFul, o.identite.numeroSerie); }},
    {"--version", "A.B.C", "firmware version in EEPROM (3.7.0)",
     [](Valeur v, Options& o) { return LireVersion(v, o.identite); }},
    {"--langue", "N", "language byte, 0 French, 1 English (255)",
     [](Valeur v, Options& o) { return LireNombre(v, 255, o.identite.langue); }},
    {"--refuser", nullptr, "refuse the connection",
     [](Valeur, Options& o) {
         o.fautes.refuserConnexion = true;
         return true;
     }},
    {"--silencieux-depuis", "N", "answer nothing from the Nth command on",
     [](Valeur v, Options& o) { return LireNombre(v, 1000000, o.fautes.silencieuxDepuis); }},
    {"--faute", "CMD=OCTET", "answer command CMD with OCTET instead",
     [](Valeur v, Options& o) { return LireFaute(v, o.fautes); }},
    {"--raccrocher-apres", "N", "hang up after N block writes",
     [](Valeur v, Options& o) { return LireNombre(v, 1000000, o.fautes.raccrocherApresBlocs); }},
    {"--couper", "CMD[@ADR|#N]", "power cut once after taking CMD (at that address, or the\nNth time); memories kept",
     [](Valeur v, Options& o) { return LireCoupure(v, o.fautes); }},
    {"--couper-avant", nullptr, "the cut loses the command instead",
     [](Valeur, Options& o) {
         o.fautes.coupureApresPrise = false;
         return true;
     }},
    {"--rapide", nullptr, "answer at once, without wire time",
     [](Valeur, Options& o) {
         o.rapide = true;
         return true;
     }},
    {"--ecriture-rangee-ms", "N", "flash row write time before a block's ack (2)",
     [](Valeur v, Options& o) { return LireNombre(v, 60000, o.dureeEcritureRangeeMs); }},
    {"--trace", "FICHIER", "every byte on the line, both directions",
     [](Valeur v, Options& o) {
         o.fichierTrace = v;
         return true;
     }},
    {"--hex-programme", "FICHIER", "program memory as Intel HEX, written on exit",
     [](Valeur v, Options& o) {
         o.fichierHexProgramme = v;
         return true;
     }},
    {"--hex-eeprom", "FICHIER", "EEPROM as Intel HEX, written on exit",
     [](Valeur v, Options& o) {
         o.fichierHexEeprom = v;
         return true;
     }},
    {"--pont-usb", nullptr,
     "behind an emulated USB bridge (10C4:EA60) plugged into the\nkernel's vhci_hcd, not on a "
     "pseudo-terminal; SIGUSR1 unplugs\nit, SIGUSR2 plugs it back, SIGINT/SIGTERM end",
     [](Valeur, Options& o) {
         o.pont.actif = true;
         return true;
     }},
    {"--releve", "FICHIER", "the bridge's record of line settings and bytes, written on\nexit and on each unplug",
     [](Valeur v, Options& o) {
         o.pont.fichierReleve = v;
         return true;
     }},
    {"--debrancher-apres-blocs", "N", "the bridge unplugs once the Nth block is acknowledged",
     [](Valeur v, Options& o) { return LireNombre(v, 1000000, o.fautes.raccrocherApresBlocs); }},
    {"--absence-ms", "N", "back N ms after unplugging by itself (default: on SIGUSR2)",
     [](Valeur v, Options& o) { return LireNombre(v, 86400000, o.pont.absenceMs); }},
};

}  // namespace

const char* AideArguments() {
    static const std::string aide = [] {
        std::string texte;
        for (const Declaration& option : OPTIONS) {
            std::string ligne = std::string("  ") + option.nom;
            if (option.valeur) ligne += std::string(" ") + option.valeur;
            ligne.resize(std::max<std::size_t>(ligne.size(), 25), ' ');
            texte += ligne + "  ";
            for (const char* c = option.aide; *c; ++c)
                texte += *c == '\n' ? "\n" + std::string(27, ' ') : std::string(1, *c);
            texte += '\n';
        }
        return texte;
    }();
    return aide.c_str();
}

bool LireArguments(const std::vector<std::string>& arguments, OptionsSimulateur& options, std::string& erreur) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& nom = arguments[i];
        const auto option =
            std::find_if(std::begin(OPTIONS), std::end(OPTIONS), [&](const Declaration& d) { return nom == d.nom; });
        if (option == std::end(OPTIONS)) {
            erreur = nom + ": unknown option";
            return false;
        }
        if (option->valeur && i + 1 >= arguments.size()) {
            erreur = nom + ": value missing";
            return false;
        }
        const std::string valeur = option->valeur ? arguments[++i] : std::string();
        if (!option->appliquer(valeur, options)) {
            erreur = nom + ": bad value \"" + valeur + "\"";
            return false;
        }
    }
    return true;
}

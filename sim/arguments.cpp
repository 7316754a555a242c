#include "sim/arguments.h"

namespace {

const char* const OPTIONS_A_VALEUR[] = {
    "--modele", "--variante", "--serie", "--version", "--langue", "--silencieux-depuis",
    "--faute", "--raccrocher-apres", "--ecriture-rangee-ms", "--trace", "--hex-programme",
    "--hex-eeprom", "--couper", "--releve", "--debrancher-apres-blocs", "--absence-ms"};

// Decimal digits, or "0x" then hexadecimal digits; nothing else (no blank, sign or second
// prefix), so that "010" stays ten.
bool LireNombre(const std::string& texte, unsigned long maximum, unsigned long& valeur) {
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
        if (c >= '0' && c <= '9') chiffre = static_cast<unsigned long>(c - '0');
        else if (c >= 'A' && c <= 'F') chiffre = static_cast<unsigned long>(c - 'A' + 10);
        else if (c >= 'a' && c <= 'f') chiffre = static_cast<unsigned long>(c - 'a' + 10);
        if (chiffre >= base || v > (maximum - chiffre) / base) return false;
        v = v * base + chiffre;
    }
    valeur = v;
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
    if (texte[marque] == '@') fautes.adresseCoupure = static_cast<long>(n);
    else fautes.coupureA = static_cast<int>(n);
    return true;
}

}  // namespace

const char* AideArguments() {
    return "  --modele XXX             model code, 3 characters (P07)\n"
           "  --variante N             variant byte (1)\n"
           "  --serie N                serial number (123456789)\n"
           "  --version A.B.C          firmware version in EEPROM (3.7.0)\n"
           "  --langue N               language byte, 0 French, 1 English (255)\n"
           "  --refuser                refuse the connection\n"
           "  --silencieux-depuis N    answer nothing from the Nth command on\n"
           "  --faute CMD=OCTET        answer command CMD with OCTET instead\n"
           "  --raccrocher-apres N     hang up after N block writes\n"
           "  --couper CMD[@ADR|#N]    power cut once after taking CMD (at that address, or the\n"
           "                           Nth time); memories kept\n"
           "  --couper-avant           the cut loses the command instead\n"
           "  --rapide                 answer at once, without wire time\n"
           "  --ecriture-rangee-ms N   flash row write time before a block's ack (2)\n"
           "  --trace FICHIER          every byte on the line, both directions\n"
           "  --hex-programme FICHIER  program memory as Intel HEX, written on exit\n"
           "  --hex-eeprom FICHIER     EEPROM as Intel HEX, written on exit\n"
           "  --pont-usb               behind an emulated USB bridge (10C4:EA60) plugged into the\n"
           "                           kernel's vhci_hcd, not on a pseudo-terminal; SIGUSR1 unplugs\n"
           "                           it, SIGUSR2 plugs it back, SIGINT/SIGTERM end\n"
           "  --releve FICHIER         the bridge's record of line settings and bytes, written on\n"
           "                           exit and on each unplug\n"
           "  --debrancher-apres-blocs N  the bridge unplugs once the Nth block is acknowledged\n"
           "  --absence-ms N           back N ms after unplugging by itself (default: on SIGUSR2)\n";
}

bool LireArguments(const std::vector<std::string>& arguments, OptionsSimulateur& options,
                   std::string& erreur) {
    IdentiteAppareil& id = options.identite;
    FautesAppareil& fautes = options.fautes;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& nom = arguments[i];
        if (nom == "--refuser") {
            fautes.refuserConnexion = true;
            continue;
        }
        if (nom == "--rapide") {
            options.rapide = true;
            continue;
        }
        if (nom == "--couper-avant") {
            fautes.coupureApresPrise = false;
            continue;
        }
        if (nom == "--pont-usb") {
            options.pont.actif = true;
            continue;
        }
        bool connue = false;
        for (const char* avecValeur : OPTIONS_A_VALEUR) connue = connue || nom == avecValeur;
        if (!connue) {
            erreur = nom + ": unknown option";
            return false;
        }
        if (i + 1 >= arguments.size()) {
            erreur = nom + ": value missing";
            return false;
        }
        const std::string& valeur = arguments[++i];
        unsigned long n = 0;
        bool bon = true;
        if (nom == "--modele") {
            bon = valeur.size() == 3;
            id.modele = valeur;
        } else if (nom == "--variante") {
            bon = LireNombre(valeur, 255, n);
            id.variante = static_cast<unsigned>(n);
        } else if (nom == "--serie") {
            bon = LireNombre(valeur, 0xFFFFFFFFul, n);
            id.numeroSerie = static_cast<std::uint32_t>(n);
        } else if (nom == "--version") {
            bon = LireVersion(valeur, id);
        } else if (nom == "--langue") {
            bon = LireNombre(valeur, 255, n);
            id.langue = static_cast<unsigned>(n);
        } else if (nom == "--silencieux-depuis") {
            bon = LireNombre(valeur, 1000000, n);
            fautes.silencieuxDepuis = static_cast<int>(n);
        } else if (nom == "--faute") {
            bon = LireFaute(valeur, fautes);
        } else if (nom == "--raccrocher-apres" || nom == "--debrancher-apres-blocs") {
            bon = LireNombre(valeur, 1000000, n);
            fautes.raccrocherApresBlocs = static_cast<int>(n);
        } else if (nom == "--couper") {
            bon = LireCoupure(valeur, fautes);
        } else if (nom == "--ecriture-rangee-ms") {
            bon = LireNombre(valeur, 60000, n);
            options.dureeEcritureRangeeMs = static_cast<int>(n);
        } else if (nom == "--trace") {
            options.fichierTrace = valeur;
        } else if (nom == "--hex-programme") {
            options.fichierHexProgramme = valeur;
        } else if (nom == "--hex-eeprom") {
            options.fichierHexEeprom = valeur;
        } else if (nom == "--releve") {
            options.pont.fichierReleve = valeur;
        } else if (nom == "--absence-ms") {
            bon = LireNombre(valeur, 86400000, n);
            options.pont.absenceMs = static_cast<int>(n);
        }
        if (!bon) {
            erreur = nom + ": bad value \"" + valeur + "\"";
            return false;
        }
    }
    return true;
}

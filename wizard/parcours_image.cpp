#include "wizard/parcours_image.h"

#include <algorithm>
#include <cstring>

#include "link/Com_p07_v1_2.h"
#include "wizard/version_mise_a_jour.h"

namespace {

constexpr int TYPE_DONNEES = 0x00;
constexpr int TYPE_FIN = 0x01;
constexpr int TYPE_ADRESSE_ETENDUE = 0x04;

constexpr unsigned OCTET_EFFACE = 0xFF;  // flash as the prepare command leaves it

// Two record characters from position p, through the link's own decoder.
int Paire(const char* texte, int p) {
    return ComP07::HexVersOctet(static_cast<unsigned char>(texte[p]), static_cast<unsigned char>(texte[p + 1]));
}

}  // namespace

ParcoursImage::ParcoursImage(EcrituresAppareil& ecritures, FenetreParcours& fenetre)
    : Ecritures(ecritures), Fenetre(fenetre) {
    TableEnregistrements.reserve(CAPACITE_TABLE);
}

void ParcoursImage::OublierEnregistrement() {
    Enregistrement = nullptr;
    LongueurEnregistrement = 0;
    PositionEnregistrement = 0;
}

int ParcoursImage::ConstruireTable(const std::vector<const char*>& enregistrements) {
    OublierEnregistrement();
    TableEnregistrements.clear();
    for (const char* texte : enregistrements) {
        if (NombreEnregistrements() == CAPACITE_TABLE || texte == nullptr || texte[0] == '\0') break;
        TableEnregistrements.push_back(texte);
    }
    return NombreEnregistrements();
}

void ParcoursImage::PreparerTransfert() {
    OublierEnregistrement();
    BaseEtendue = 0;
    OctetsBloc = 0;
    DebutBloc = 0;
    ResultatEchec = 0;
}

int ParcoursImage::Echouer(int resultat) {
    if (resultat != 0 && ResultatEchec == 0) ResultatEchec = resultat;
    return ResultatEchec;
}

int ParcoursImage::Octet(int position) const { return Paire(Enregistrement, 9 + 2 * position); }

void ParcoursImage::CommencerBloc(unsigned adresse) {
    DebutBloc = adresse;
    if (adresse % 2 != 0 && PositionEnregistrement < LongueurEnregistrement) {
        // The bootloader takes blocks at even addresses only: the block starts on the byte before,
        // left erased.
        DebutBloc = adresse - 1;
        MotsBloc[0] = OCTET_EFFACE;
        OctetsBloc = 1;
    }
}

int ParcoursImage::EcrireBlocEnAttente() {
    const unsigned nbMots = (OctetsBloc + 1) / 2;
    const int resultat = Ecritures.EcrireBloc(DebutBloc, nbMots, MotsBloc.data());
    OctetsBloc = 0;
    return Echouer(resultat);
}

int ParcoursImage::LireEnregistrementSuivant() {
    if (ResultatEchec != 0) return ResultatEchec;
    const int n = NombreEnregistrements();
    if (IndexEnregistrement >= n) return Echouer(ERR_IMAGE_INVALIDE);

    const int i = IndexEnregistrement++;
    Fenetre.AfficherAvancement(static_cast<double>(i) / n * 100.0);
    Fenetre.PositionnerProgression(std::min(i + 2, n));

    const char* texte = TableEnregistrements[static_cast<std::size_t>(i)];
    const std::size_t taille = std::strlen(texte);
    if (taille < 11) return Echouer(ERR_IMAGE_INVALIDE);
    const int longueur = Paire(texte, 1);
    const int type = Paire(texte, 7);
    // Decoding stays inside the text even for a record that lies about its length.
    if (taille < 11 + 2 * static_cast<std::size_t>(longueur) || (type == TYPE_ADRESSE_ETENDUE && longueur < 2))
        return Echouer(ERR_IMAGE_INVALIDE);

    Enregistrement = texte;
    LongueurEnregistrement = longueur;
    AdresseCourante = static_cast<unsigned>(Paire(texte, 3) * 256 + Paire(texte, 5));

    switch (type) {
    case TYPE_DONNEES:
        AdresseCourante += BaseEtendue;
        PositionEnregistrement = 0;
        Fenetre.DefinirEtape(ETAPE_ENVOI);
        return EnvoyerOctets();
    case TYPE_FIN:
        Fenetre.DefinirEtape(ETAPE_ENVOI);
        Fenetre.RemettreSousEtape();
        if (OctetsBloc > 0) {
            Fenetre.DefinirIntervalle(INTERVALLE_DERNIER_BLOC_MS);
            if (EcrireBlocEnAttente() != 0) return ResultatEchec;
        }
        if (Echouer(Ecritures.EcrireVersion(VERSION_MAJEUR, VERSION_MINEUR, VERSION_REVISION)) != 0)
            return ResultatEchec;
        Fenetre.PosterEtapeSuivante();
        return 0;
    case TYPE_ADRESSE_ETENDUE: BaseEtendue = static_cast<unsigned>(Octet(0) * 256 + Octet(1)) << 16; return 0;
    default: return 0;  // start addresses and the like carry nothing to write
    }
}

int ParcoursImage::EnvoyerOctets() {
    if (ResultatEchec != 0) return ResultatEchec;
    const unsigned rangee = protocole::TAILLE_RANGEE;

    const unsigned a = AdresseCourante;
    if (FENETRE_PROGRAMME.Contient(a)) {
        if (OctetsBloc == 0) {
            CommencerBloc(a);
            Fenetre.DefinirIntervalle(INTERVALLE_REMPLISSAGE_MS);
        } else if (a != DebutBloc + OctetsBloc) {
            // The bytes do not follow the buffer: the pending block goes first.
            Fenetre.DefinirIntervalle(INTERVALLE_APRES_BLOC_MS);
            if (EcrireBlocEnAttente() != 0) return ResultatEchec;
            CommencerBloc(a);
        }
        // A block never crosses its row, so it ends where the row ends.
        const unsigned placeRangee = rangee - DebutBloc % rangee;
        while (PositionEnregistrement < LongueurEnregistrement && AdresseCourante - DebutBloc < rangee &&
               OctetsBloc < placeRangee) {
            const unsigned k = AdresseCourante - DebutBloc;
            const unsigned b = static_cast<unsigned>(Octet(PositionEnregistrement));
            // Low byte first, so a word left half filled carries 0 in its high half.
            if (k % 2 == 0)
                MotsBloc[k / 2] = b;
            else
                MotsBloc[k / 2] += b * 256;
            ++OctetsBloc;
            ++PositionEnregistrement;
            ++AdresseCourante;
        }
        if (OctetsBloc >= rangee || OctetsBloc >= placeRangee) {
            Fenetre.DefinirIntervalle(INTERVALLE_APRES_BLOC_MS);
            if (EcrireBlocEnAttente() != 0) return ResultatEchec;
        }
    }

    // A zero-length record has no byte to give the EEPROM.
    if (FENETRE_EEPROM.Contient(AdresseCourante) && PositionEnregistrement < LongueurEnregistrement) {
        if (OctetsBloc > 0) {
            Fenetre.DefinirIntervalle(INTERVALLE_APRES_BLOC_MS);
            if (EcrireBlocEnAttente() != 0) return ResultatEchec;
        }
        const int valeur = Octet(PositionEnregistrement);
        if (Echouer(Ecritures.EcrireEeprom(static_cast<int>(AdresseCourante - BASE_EEPROM_IMAGE), valeur)) != 0)
            return ResultatEchec;
        ++PositionEnregistrement;
        ++AdresseCourante;
    }

    if (PositionEnregistrement >= LongueurEnregistrement ||
        (!FENETRE_PROGRAMME.Contient(AdresseCourante) && !FENETRE_EEPROM.Contient(AdresseCourante)))
        Fenetre.DefinirEtape(ETAPE_PROGRAMMATION);
    return 0;
}

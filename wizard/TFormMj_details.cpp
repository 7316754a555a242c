// TFormMj: the failure boxes' details, what a support technician asks on the phone.
#include <string>

#include <QStringList>

#include "link/texte_erreur_systeme.h"
#include "wizard/TFormMj.h"
#include "wizard/TFormMj_textes.h"

namespace {

constexpr PaireTexte ETAPE{"Étape : %d (%s)", "Step: %d (%s)"};
constexpr PaireTexte ETAPE_SOUS_ETAPE{"Étape : %d (%s), sous-étape %u", "Step: %d (%s), sub-step %u"};
constexpr PaireTexte ETAPE_SEULE{"Étape : %d", "Step: %d"};
constexpr PaireTexte OPERATION{"Opération : %s (%s)", "Operation: %s (%s)"};
constexpr PaireTexte RESULTAT{"Résultat : %d (%s)", "Result: %d (%s)"};
constexpr PaireTexte RESULTAT_LIEN{"Résultat : %d (%s : %s)", "Result: %d (%s: %s)"};
constexpr PaireTexte RESULTAT_SYSTEME{"Résultat : %d (erreur système : %s)", "Result: %d (system error: %s)"};
constexpr PaireTexte REUSSITE{"réussite", "success"};
constexpr PaireTexte CODE_INCONNU{"code inconnu", "unknown code"};
constexpr PaireTexte PORT{"Port : COM%d", "Port: COM%d"};
constexpr PaireTexte PORT_FICHIER{"Port : COM%d (%s)", "Port: COM%d (%s)"};
constexpr PaireTexte TRANSFERT{"Transfert : enregistrement %d sur %d", "Transfer: record %d of %d"};
constexpr PaireTexte TRANSFERT_BLOC{"Transfert : enregistrement %d sur %d, bloc à l'adresse 0x%05X",
                                    "Transfer: record %d of %d, block at address 0x%05X"};
constexpr PaireTexte TRANSFERT_EEPROM{"Transfert : enregistrement %d sur %d, octet d'EEPROM à l'adresse 0x%03X",
                                      "Transfer: record %d of %d, EEPROM byte at address 0x%03X"};
constexpr PaireTexte VARIANTE{"Variante de l'appareil : %u", "Device variant: %u"};
constexpr PaireTexte NUMERO_SERIE{"Numéro de série : %010lu", "Serial number: %010lu"};
constexpr PaireTexte VERSION_APPAREIL{"Version de l'appareil : %u.%u.%u", "Device version: %u.%u.%u"};
constexpr PaireTexte VERSION_ASSISTANT{"Version de l'assistant : %d.%d.%d", "Wizard version: %d.%d.%d"};

// What the step does, for the steps whose failures ask the user.
const char* NomEtape(int etape, int langue) {
    static constexpr struct {
        int etape;
        PaireTexte nom;
    } NOMS[] = {
        {ETAPE_CONNEXION, {"connexion", "connection"}},
        {ETAPE_VERIFICATION, {"vérification de l'appareil", "device checks"}},
        {ETAPE_PROGRAMMATION, {"transfert du programme", "program transfer"}},
        {ETAPE_ENVOI, {"transfert du programme", "program transfer"}},
        {ETAPE_LANGUE_APPAREIL, {"octet de langue", "language byte"}},
        {ETAPE_DECONNEXION, {"fin de la programmation", "end of programming"}},
    };
    for (const auto& n : NOMS)
        if (n.etape == etape) return n.nom.En(langue);
    return nullptr;
}

struct NomOperation {
    OperationMiseAJour operation;
    const char* nom;
    PaireTexte sens;
};

constexpr NomOperation OPERATIONS[] = {
    {OperationMiseAJour::OuvrirPort, "OuvrirPort", {"ouverture du port série", "opening the serial port"}},
    {OperationMiseAJour::Connecter,
     "Connecter",
     {"demande de connexion au chargeur de l'appareil", "connection request to the device's bootloader"}},
    {OperationMiseAJour::VerifierModele, "VerifierModele", {"lecture du code de modèle", "reading the model code"}},
    {OperationMiseAJour::LireVariante, "LireVariante", {"lecture de la variante", "reading the variant byte"}},
    {OperationMiseAJour::LireNumeroSerie,
     "LireNumeroSerie",
     {"lecture du numéro de série", "reading the serial number"}},
    {OperationMiseAJour::LireVersion, "LireVersion", {"lecture de la version", "reading the firmware version"}},
    {OperationMiseAJour::ChangerVitesse, "ChangerVitesse", {"changement de débit de la ligne", "change of line rate"}},
    {OperationMiseAJour::EntrerProgrammation,
     "EntrerProgrammation",
     {"entrée en programmation", "entering programming"}},
    {OperationMiseAJour::PreparerEcriture,
     "PreparerEcriture",
     {"préparation de la mémoire programme", "preparing program memory"}},
    {OperationMiseAJour::LireEnregistrement,
     "LireEnregistrementSuivant",
     {"lecture d'un enregistrement de l'image", "reading a record of the image"}},
    {OperationMiseAJour::EcrireBloc,
     "EcrireBloc",
     {"écriture d'un bloc de mémoire programme", "writing a block of program memory"}},
    {OperationMiseAJour::EcrireEeprom, "EcrireEeprom", {"écriture d'un octet d'EEPROM", "writing an EEPROM byte"}},
    {OperationMiseAJour::EcrireVersion, "EcrireVersion", {"écriture de la version", "writing the version"}},
    {OperationMiseAJour::LireEeprom, "LireEeprom", {"lecture d'un octet d'EEPROM", "reading an EEPROM byte"}},
    {OperationMiseAJour::TerminerProgrammation,
     "TerminerProgrammation",
     {"fin de la programmation", "ending programming"}},
};

QString LigneResultat(int resultat, int langue) {
    if (resultat == 0) return Formater(RESULTAT.En(langue), resultat, REUSSITE.En(langue));
    if (EstErreurSysteme(resultat)) {
        const std::string texte = TexteErreurSysteme(resultat, langue);
        if (!texte.empty()) return Formater(RESULTAT_SYSTEME.En(langue), resultat, texte.c_str());
    }
    if (const CodeResultat* c = DecrireCode(resultat))
        return Formater(RESULTAT_LIEN.En(langue), resultat, c->nom, c->sens.En(langue));
    return Formater(RESULTAT.En(langue), resultat, CODE_INCONNU.En(langue));
}

}  // namespace

QString TFormMj::DetailsEchec(OperationMiseAJour operation, int resultat) const {
    QStringList lignes;
    if (const char* etape = NomEtape(Step, Language)) {
        const bool sousEtapes = Step == ETAPE_VERIFICATION || Step == ETAPE_DECONNEXION;
        lignes << (sousEtapes ? Formater(ETAPE_SOUS_ETAPE.En(Language), Step, etape, SousEtape)
                              : Formater(ETAPE.En(Language), Step, etape));
    } else {
        lignes << Formater(ETAPE_SEULE.En(Language), Step);
    }
    for (const NomOperation& o : OPERATIONS)
        if (o.operation == operation) lignes << Formater(OPERATION.En(Language), o.nom, o.sens.En(Language));
    lignes << LigneResultat(resultat, Language);

    const std::string fichier = Com.CheminDuPort();
    lignes << (fichier.empty() ? Formater(PORT.En(Language), Com.NumeroDuPort())
                               : Formater(PORT_FICHIER.En(Language), Com.NumeroDuPort(), fichier.c_str()));

    if (Step >= ETAPE_PROGRAMMATION && Step <= ETAPE_DECONNEXION) {
        const int enregistrement = ParcoursEnregistrements.IndexCourant();
        const int total = ParcoursEnregistrements.NombreEnregistrements();
        const unsigned adresse = Ecritures.DerniereAdresse();
        switch (Ecritures.DerniereOperation()) {
        case OperationMiseAJour::EcrireBloc:
            lignes << Formater(TRANSFERT_BLOC.En(Language), enregistrement, total, adresse);
            break;
        case OperationMiseAJour::EcrireEeprom:
            lignes << Formater(TRANSFERT_EEPROM.En(Language), enregistrement, total, adresse);
            break;
        default: lignes << Formater(TRANSFERT.En(Language), enregistrement, total); break;
        }
    }

    if (Lu.variante) lignes << Formater(VARIANTE.En(Language), Variante);
    if (Lu.numeroSerie) lignes << Formater(NUMERO_SERIE.En(Language), static_cast<unsigned long>(NumeroSerie));
    if (Lu.version) lignes << Formater(VERSION_APPAREIL.En(Language), MajeurAppareil, MineurAppareil, RevisionAppareil);
    lignes << Formater(VERSION_ASSISTANT.En(Language), VERSION_MAJEUR, VERSION_MINEUR, VERSION_REVISION);
    return lignes.join(QLatin1Char('\n'));
}

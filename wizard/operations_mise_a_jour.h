// The device-link operations of an update, as the failure boxes' details name them.
#pragma once

enum class OperationMiseAJour {
    Aucune,
    OuvrirPort,
    Connecter,
    VerifierModele,
    LireVariante,
    LireNumeroSerie,
    LireVersion,
    ChangerVitesse,
    EntrerProgrammation,
    PreparerEcriture,
    LireEnregistrement,  // a record of the embedded image, not the link
    EcrireBloc,
    EcrireEeprom,
    EcrireVersion,
    LireEeprom,
    TerminerProgrammation,
};

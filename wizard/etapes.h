// The wizard's steps, the values of TFormMj::Step, and the intervals of its timer.
#pragma once

// Steps 1 to 8, 11 and 12 have a page; 9 and 10 are the sequencer's own.
inline constexpr int ETAPE_LANGUE = 1;  // choice of the language
inline constexpr int ETAPE_BIENVENUE = 2;
inline constexpr int ETAPE_CORDON_APPAREIL = 3;   // the cable on the device
inline constexpr int ETAPE_CORDON_PC = 4;         // the cable on the PC
inline constexpr int ETAPE_CHOIX_PORT = 5;        // waits for the device's port
inline constexpr int ETAPE_CONNEXION = 6;         // attempts to reach the bootloader
inline constexpr int ETAPE_VERIFICATION = 7;      // model, variant, serial number, version
inline constexpr int ETAPE_PROGRAMMATION = 8;     // the walk fetches a record
inline constexpr int ETAPE_ENVOI = 9;             // the walk sends the record's bytes
inline constexpr int ETAPE_LANGUE_APPAREIL = 10;  // the device's language byte
inline constexpr int ETAPE_DECONNEXION = 11;      // end of programming and release
inline constexpr int ETAPE_REUSSITE = 12;         // success; another device?
inline constexpr int NB_ETAPES = ETAPE_REUSSITE;

// Intervals of the sequencer's timer, in milliseconds.
inline constexpr int INTERVALLE_ATTENTE_MS = 1000;       // at start, on page 5 again, after a question
inline constexpr int INTERVALLE_TRAVAIL_MS = 100;        // pages 6, 7 and 8, connection attempts
inline constexpr int INTERVALLE_LIBERATION_MS = 250;     // the first sub-steps of the release
inline constexpr int INTERVALLE_TRANSFERT_MS = 1;        // the first record follows at once
inline constexpr int INTERVALLE_REMPLISSAGE_MS = 1;      // a block starts filling
inline constexpr int INTERVALLE_APRES_BLOC_MS = 7;       // a block was just written
inline constexpr int INTERVALLE_DERNIER_BLOC_MS = 1000;  // the last block, at the end-of-file record

#include "wizard/dossier_systeme.h"

std::string DossierSysteme() { return "/etc"; }

char SeparateurChemin() { return '/'; }

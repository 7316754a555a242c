// Where the system keeps the program's settings file.
#pragma once

#include <string>

// The system directory ("/etc"; the Windows directory on Windows), without a trailing
// separator. Empty when the system cannot tell it.
std::string DossierSysteme();

// What the platform puts between a directory and a file name.
char SeparateurChemin();

// Texts of the wizard: printf formats held as text pairs, and their formatting.
#pragma once

#include <charconv>
#include <cstdio>
#include <string>
#include <vector>

#include <QString>

#include "wizard/paire_texte.h"

// The programs that hold a port, for a text's "%s".
inline std::string ListeProgrammes(const std::vector<std::string>& noms) {
    std::string liste;
    for (const std::string& nom : noms)
        liste += (liste.empty() ? "" : ", ") + nom;
    return liste;
}

// printf-style formatting of a UTF-8 format; the result is as long as it needs to be.
template <typename... Arguments>
QString Formater(const char* format, Arguments... arguments) {
    const int longueur = std::snprintf(nullptr, 0, format, arguments...);
    if (longueur <= 0) return QString();
    std::vector<char> tampon(static_cast<std::size_t>(longueur) + 1);
    std::snprintf(tampon.data(), tampon.size(), format, arguments...);
    return QString::fromUtf8(tampon.data(), longueur);
}

// Formats a text whose one number is written "%.1f", the number always with a '.' whatever the
// C library's locale (Qt sets it from the environment), as the device's users are used to read it.
inline QString FormaterAvecDecimale(const char* format, double valeur, const char* produit) {
    static constexpr char CONVERSION[] = "%.1f";
    const std::string texte(format);
    const std::size_t position = texte.find(CONVERSION);
    if (position == std::string::npos) return Formater(format, produit);
    char nombre[64];
    const auto fin = std::to_chars(nombre, nombre + sizeof nombre, valeur, std::chars_format::fixed, 1);
    const QString chiffres = fin.ec == std::errc() ? QString::fromLatin1(nombre, int(fin.ptr - nombre)) : QString();
    return Formater(texte.substr(0, position).c_str(), produit) + chiffres +
           Formater(texte.substr(position + sizeof CONVERSION - 1).c_str(), produit);
}

// The maker's contact details, shown by the About box and quoted by the wizard's questions.
#pragma once

inline constexpr char FABRICANT_NOM[] = "Korvane";
inline constexpr char FABRICANT_ADRESSE[] = "14, rue des Tanneurs";
inline constexpr char FABRICANT_CODE_VILLE[] = "69007 Lyon";
inline constexpr char FABRICANT_PAYS[] = "France";
inline constexpr char FABRICANT_TELEPHONE[] = "+33 (0)4 65 71 20 10";
inline constexpr char FABRICANT_TELECOPIE[] = "+33 (0)4 65 71 20 19";
inline constexpr char FABRICANT_SITE[] = "www.korvane.example";
inline constexpr char FABRICANT_MEL[] = "info@korvane.example";

// The technical support the device questions refer the user to.
inline constexpr char TELEPHONE_SUPPORT[] = "+33 (0)4 65 71 20 10";
inline constexpr char MEL_SUPPORT[] = "support@korvane.example";

// Version of the firmware this program carries: shown in the window caption, compared with the
// device's version, and stamped into the device's EEPROM once the image is written.
#pragma once

inline constexpr int VERSION_MAJEUR = 3;
inline constexpr int VERSION_MINEUR = 8;
inline constexpr int VERSION_REVISION = 0;

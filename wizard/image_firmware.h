// The firmware image carried by the program: one Intel HEX record per fixed-width slot,
// generated at build time from the HEX file in resources/firmware.
#pragma once

// Bytes in one slot: up to 54 characters of record text and the terminating NUL; the rest of
// the slot is zero.
inline constexpr int LARGEUR_ENREGISTREMENT = 55;

// Most records an image may hold (entries of the record table).
inline constexpr int CAPACITE_TABLE = 10000;

// The slots, in file order, followed by one empty slot that ends the image.
extern const char ImageFirmware[][LARGEUR_ENREGISTREMENT];

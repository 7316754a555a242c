#!/usr/bin/env python3
"""Writes Zantrel_P07_V3.8.0.hex, the program-memory image of the P07 firmware 3.8.0.

Deterministic: the same file on every run and every Python 3 (own generator, no
library randomness). Run it from anywhere; the file lands beside this script.

Layout of the image, checked before the file is written:
  - program data from 0x800 to 0x12628 in ascending order, one hole at 0x11F75;
  - an extended linear address record (type 04) before 0x800 and before 0x10000;
  - 16-byte records, shorter ones where sections end, none across a 64-byte row;
  - six records start at an odd address, each following the one before;
  - the end-of-file record last.
"""

import os
import sys

DEBUT = 0x800
FIN = 0x12628            # last data byte
TROU = 0x11F75           # address the linker left empty
RANGEE = 64
DEBUT_HAUT = 0x10000     # first address above the 64 KiB boundary

NOM = "Zantrel_P07_V3.8.0.hex"


class Generateur:
    """xorshift32: small, and the same on every platform."""

    def __init__(self, graine):
        self.etat = graine & 0xFFFFFFFF

    def suivant(self):
        x = self.etat
        x ^= (x << 13) & 0xFFFFFFFF
        x ^= x >> 17
        x ^= (x << 5) & 0xFFFFFFFF
        self.etat = x
        return x

    def octet(self):
        return self.suivant() >> 24

    def choix(self, n):
        return self.suivant() % n


def decoupe_rangee(gen, morceaux):
    """A full row as three 16-byte records plus the given short records, in a shuffled order."""
    elements = [16, 16, 16] + list(morceaux)
    ordre = []
    while elements:
        ordre.append(elements.pop(gen.choix(len(elements))))
    return ordre


def paires_paires(gen, nombre):
    """Pairs of even lengths summing to 16 (no odd start inside the row)."""
    return [(a, 16 - a) for a in (2 * (1 + gen.choix(7)) for _ in range(nombre))]


def plan_rangees(nb_rangees, decoupes):
    """Record lengths row by row: decoupes maps row index -> list of record lengths."""
    return [decoupes.get(r, [16, 16, 16, 16]) for r in range(nb_rangees)]


def choisir_rangees(gen, nb_rangees, nombre, exclues=()):
    choisies = []
    while len(choisies) < nombre:
        r = gen.choix(nb_rangees)
        if r not in choisies and r not in exclues:
            choisies.append(r)
    return choisies


def construire_longueurs(gen):
    """Record lengths for the low segment (0x800..0xFFFF) and the high one (0x10000..FIN)."""
    # Low segment: 992 rows; 15 rows cut in five records, one in six; three odd starts.
    nb_bas = (DEBUT_HAUT - DEBUT) // RANGEE
    rangees_bas = choisir_rangees(gen, nb_bas, 16)
    morceaux_bas = paires_paires(gen, 12) + [(7, 9), (5, 11), (3, 13)] + [(4, 6, 6)]
    decoupes_bas = {}
    for r, m in zip(rangees_bas, morceaux_bas):
        if m[0] % 2:
            # the odd piece must be followed directly by its partner: one odd start
            autres = [16, 16, 16]
            place = gen.choix(4)
            decoupes_bas[r] = autres[:place] + list(m) + autres[place:]
        else:
            decoupes_bas[r] = decoupe_rangee(gen, m)
    bas = plan_rangees(nb_bas, decoupes_bas)

    # High segment: rows from 0x10000 up to the last full row, then the row with the hole,
    # then the partial last row.
    nb_haut = (FIN + 1 - DEBUT_HAUT) // RANGEE          # full-size rows, hole row included
    rangee_trou = (TROU - DEBUT_HAUT) // RANGEE
    rangees_haut = choisir_rangees(gen, nb_haut, 30, exclues=(rangee_trou,))
    morceaux_haut = paires_paires(gen, 25) + [(5, 11), (9, 7)] + [(2, 8, 6), (6, 4, 6), (10, 2, 4)]
    decoupes_haut = {}
    for r, m in zip(rangees_haut, morceaux_haut):
        if m == (5, 11):  # (5, 11) only occurs once up here
            decoupes_haut[r] = [16, 5, 16, 11, 16]   # two odd starts
        elif m[0] % 2:
            decoupes_haut[r] = [16, 16, 16] + list(m)  # one odd start
        else:
            decoupes_haut[r] = decoupe_rangee(gen, m)
    # The hole row: a section ends just before the hole, the next starts after it.
    decoupes_haut[rangee_trou] = [16, 16, 16, 5, None, 10]
    haut = plan_rangees(nb_haut, decoupes_haut)
    haut.append([16, 16, (FIN + 1) % RANGEE - 32])  # partial last row
    return bas, haut


def enregistrement(longueur, adresse, type_, donnees):
    octets = [longueur, (adresse >> 8) & 0xFF, adresse & 0xFF, type_] + list(donnees)
    somme = (-sum(octets)) & 0xFF
    return ":" + "".join("%02X" % o for o in octets) + "%02X" % somme


def generer():
    gen = Generateur(0x5A07A380)
    bas, haut = construire_longueurs(gen)

    memoire = {}
    for a in range(DEBUT, FIN + 1):
        o = gen.octet()
        if a != TROU:
            memoire[a] = o

    lignes = [enregistrement(2, 0, 4, [0x00, 0x00])]
    a = DEBUT
    plages = []
    for segment, base in ((bas, 0), (haut, DEBUT_HAUT)):
        if base:
            lignes.append(enregistrement(2, 0, 4, [base >> 24, (base >> 16) & 0xFF]))
        for rangee in segment:
            for l in rangee:
                if l is None:   # the hole
                    a += 1
                    continue
                donnees = [memoire[x] for x in range(a, a + l)]
                lignes.append(enregistrement(l, a & 0xFFFF, 0, donnees))
                plages.append((a, l))
                a += l
    lignes.append(":00000001FF")
    verifier(lignes, plages, memoire)
    return lignes


def verifier(lignes, plages, memoire):
    assert len(lignes) == 4633, len(lignes)
    assert lignes[0] == enregistrement(2, 0, 4, [0, 0])
    assert lignes[3986] == enregistrement(2, 0, 4, [0, 1])
    assert lignes[-1] == ":00000001FF"
    assert len(plages) == 4630
    assert sum(l for _, l in plages) == 73256 == len(memoire)
    assert sum(1 for _, l in plages if l == 16) == 4531
    assert all(1 <= l <= 16 for _, l in plages)
    assert plages[0][0] == DEBUT and plages[-1][0] + plages[-1][1] - 1 == FIN
    assert plages[3984][0] + plages[3984][1] == DEBUT_HAUT and plages[3985][0] == DEBUT_HAUT
    impairs = 0
    for n, (a, l) in enumerate(plages):
        assert a // RANGEE == (a + l - 1) // RANGEE, hex(a)
        if n:
            pa, pl = plages[n - 1]
            suite = pa + pl
            assert a == suite or (suite == TROU and a == TROU + 1), hex(a)
        if a % 2:
            impairs += 1
            assert a == plages[n - 1][0] + plages[n - 1][1]
    assert impairs == 6, impairs
    assert max(len(x) for x in lignes) == 43


def main():
    lignes = generer()
    chemin = os.path.join(os.path.dirname(os.path.abspath(__file__)), NOM)
    with open(chemin, "wb") as f:
        f.write("".join(x + "\r\n" for x in lignes).encode("ascii"))
    print("%s: %d records" % (chemin, len(lignes)))
    return 0


if __name__ == "__main__":
    sys.exit(main())

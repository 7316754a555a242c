// The line settings of a pseudo-terminal as its master sees them.
#pragma once

// Data bits and rate in bit/s, also for rates without a Bxxx constant; the rate is 0 when
// input and output differ. False when the settings cannot be read.
bool LireReglagesPty(int descripteur, int& bitsDonnees, int& bauds);

// The two typewriter samples, modelled rather than recorded.
#ifndef PAPERLUNE_SYNTH_EFFECTS_H
#define PAPERLUNE_SYNTH_EFFECTS_H

#include <vector>

// A key strike: the key's click, the type bar hitting the platen, the escapement.
std::vector<float> RenderKeyStrike();

// The carriage bell: a small struck dome with inharmonic, slowly beating partials.
std::vector<float> RenderBell();

#endif

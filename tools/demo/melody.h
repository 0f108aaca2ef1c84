// The demo product's music: a short, calm piece synthesised in code, so that the
// demo carries a soundtrack without any recorded audio.
#pragma once

#include <vector>

// Interleaved stereo samples (-1..1) at `rate` frames per second: a slow arpeggio
// over four chords, about sixteen seconds, that loops without a seam.
std::vector<float> SynthesizeMelody(int rate);

// What "quillpack check" and "list" say about the slideshow images' focus records:
// which images carry one, where it lies, and which records the engine ignores.
#pragma once

#include <ostream>

#include "tools/quillpack/music_tracks.h"

// One line per image with a focus record ("images/3.jpg: focus 0.2500 0.1000 0.6000
// 0.4500"), a record written for another picture size marked as ignored, then a count
// of the images with a focus. Reads images/0.jpg upwards to the first absent number.
// Prints nothing for a product without images.
void PrintFocuses(const EntryReader& read, std::ostream& out);

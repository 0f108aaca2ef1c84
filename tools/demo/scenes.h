// The demo's pictures, painted by code: each painter fills a canvas of any size, so
// the same scene serves as a slideshow image and as a splash bitmap.
#pragma once

#include "tools/demo/picture.h"

void PaintSunset(CPicture& picture);          // sun over layered hills
void PaintAurora(CPicture& picture);          // northern lights over mountains and a lake
void PaintMosaic(CPicture& picture);          // triangle tiles in a warm palette
void PaintBokeh(CPicture& picture);           // soft out-of-focus lights
void PaintOcean(CPicture& picture);           // layered sine waves under an afternoon sky
void PaintDunes(CPicture& picture);           // desert dunes under a clear sky
void PaintForest(CPicture& picture);          // misty ridges of pine trees at dawn
void PaintNebula(CPicture& picture);          // coloured gas clouds and stars
void PaintSilk(CPicture& picture);            // pastel bands folded like cloth
void PaintRetroSun(CPicture& picture);        // striped sun over a neon grid
void PaintDefaultTexture(CPicture& picture);  // a quiet blue-grey gradient

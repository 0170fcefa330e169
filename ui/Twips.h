#pragma once
// The windows were designed in twips (1/1440 inch); at the design resolution
// one pixel is 15 twips. Layout rules given in twips convert through here.
constexpr int kTwipsPerPixel = 15;

constexpr int pixelsToTwips(int px) { return px * kTwipsPerPixel; }
constexpr int twipsToPixels(int twips) { return twips / kTwipsPerPixel; }

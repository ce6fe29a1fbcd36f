// A textured rectangle for the 2D view, carrying the whole texture, row 0 at
// the bottom. The caller binds the texture, enables texturing and sets colour.
#pragma once

void drawScreenQuad(float x, float y, float width, float height);

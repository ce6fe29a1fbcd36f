// The saver draws no sphere: only tests call drawSphere.
// A textured sphere with outward normals, centred on the current origin, as
// stacks - 1 triangle strips from the bottom pole (y = -radius) to the top.
// Draws nothing unless slices and stacks are both within 3..100.
#pragma once

void drawSphere(double radius, int slices, int stacks, double uScale, double vScale,
                double uOffset, double vOffset);

// -fps where there are no X fonts: the frame rate drawn in the lower-left
// corner in the small built-in bitmap font (bitmap_font.h), white on a
// black box, as GlxFpsOverlay draws it on X11. The Wayland front draws it on
// each output over the copy of the picture, not into the picture: an output
// that shows only the middle of the picture would lose the corner.
#pragma once

class BitmapFpsOverlay {
public:
    // The rate to draw from now on; none is drawn before the first.
    void setRate(double fps) { rate_ = fps; }
    // Draws the rate into the current draw framebuffer, of width x height
    // pixels, leaving the GL state as it found it. The font grows with the
    // height, so that it keeps its size on the screen.
    void draw(int width, int height) const;

private:
    double rate_ = -1.0;
};

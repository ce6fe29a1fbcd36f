// A small built-in bitmap font, for text drawn where there are no X fonts
// (the Wayland front's frame rate, the lock's prompt): glyphs of 5 x 7 dots
// for digits, lower-case letters and a little punctuation, drawn as one GL
// rectangle per lit dot, a dot being as many pixels as the caller asks.
// Text is UTF-8, a glyph per character. Upper case is drawn in lower case, a
// Latin letter with a mark as its base letter, any other character the font
// lacks as a box.
#pragma once

constexpr int bitmapGlyphWidth = 5;
constexpr int bitmapGlyphHeight = 7;
// Dots between two characters.
constexpr int bitmapCharGap = 1;

// The width in dots of text of length characters.
int bitmapTextDots(int length);

// Where the font's rectangles go: GL's quads (GlQuads), or the pixels of a
// picture in memory (pixel_quads.h) where GL can draw nothing.
class QuadSink {
public:
    virtual void colour(float red, float green, float blue) = 0;
    // A rectangle in pixels, GL's way up: lower-left origin, the right and
    // top edges not included.
    virtual void quad(int left, int bottom, int right, int top) = 0;

protected:
    ~QuadSink() = default;
};

// Into GL, between the caller's glBegin(GL_QUADS) and glEnd, for many in one
// draw.
class GlQuads final : public QuadSink {
public:
    void colour(float red, float green, float blue) override;
    void quad(int left, int bottom, int right, int top) override;
};

// Draws text in the current colour, its lowest row of dots at y (GL's
// lower-left origin), its first column at x, in pixels: one draw, since on
// software GL a draw costs far more than its few pixels.
void drawBitmapText(const char* text, int x, int y, int dot);

// The same into sink, in its current colour.
void emitBitmapText(QuadSink& sink, const char* text, int x, int y, int dot);

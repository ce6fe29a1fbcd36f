#include "linux/wayland/bitmap_fps_overlay.h"

#include "linux/common/corner_drawing.h"

#include "components/gl_api.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// Glyphs of 5 x 7 dots, top row first; '#' is lit.
constexpr int glyphWidth = 5;
constexpr int glyphHeight = 7;
// A dot of the font per this many rows of the picture, at least one pixel:
// the text keeps its size on the screen from a preview to a 4K output.
constexpr int rowsPerDot = 360;
// Room around the text inside the box, between characters, and between the
// box and the picture's edges, in dots.
constexpr int boxPadding = 2;
constexpr int charGap = 1;
constexpr int cornerMargin = 2;
// The box is as wide as this many characters, so that it keeps its size
// while the rate changes ("999.9 fps").
constexpr int boxChars = 9;
constexpr std::size_t rateTextSize = 32;

struct Glyph {
    char character;
    const char* rows[glyphHeight];
};

constexpr Glyph glyphs[] = {
    {'0', {" ### ", "#   #", "#  ##", "# # #", "##  #", "#   #", " ### "}},
    {'1', {"  #  ", " ##  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "}},
    {'2', {" ### ", "#   #", "    #", "   # ", "  #  ", " #   ", "#####"}},
    {'3', {"#####", "   # ", "  #  ", "   # ", "    #", "#   #", " ### "}},
    {'4', {"   # ", "  ## ", " # # ", "#  # ", "#####", "   # ", "   # "}},
    {'5', {"#####", "#    ", "#### ", "    #", "    #", "#   #", " ### "}},
    {'6', {"  ## ", " #   ", "#    ", "#### ", "#   #", "#   #", " ### "}},
    {'7', {"#####", "    #", "   # ", "  #  ", " #   ", " #   ", " #   "}},
    {'8', {" ### ", "#   #", "#   #", " ### ", "#   #", "#   #", " ### "}},
    {'9', {" ### ", "#   #", "#   #", " ####", "    #", "   # ", " ##  "}},
    {'.', {"     ", "     ", "     ", "     ", "     ", " ##  ", " ##  "}},
    {'f', {"  ## ", " #  #", " #   ", "###  ", " #   ", " #   ", " #   "}},
    {'p', {"     ", "     ", "#### ", "#   #", "#### ", "#    ", "#    "}},
    {'s', {"     ", "     ", " ####", "#    ", " ### ", "    #", "#### "}},
};

const Glyph* glyphFor(char character)
{
    for (const Glyph& glyph : glyphs)
        if (glyph.character == character)
            return &glyph;
    return nullptr; // a space, or a character the font lacks: left blank
}

} // namespace

void BitmapFpsOverlay::draw(int width, int height) const
{
    if (rate_ < 0.0 || width <= 0 || height <= 0)
        return;
    char text[rateTextSize];
    const int length = std::snprintf(text, sizeof text, "%.1f fps", rate_);
    if (length <= 0)
        return;
    const int dot = std::max(1, height / rowsPerDot);
    const int advance = (glyphWidth + charGap) * dot;
    const int boxWidth = std::max(length, boxChars) * advance + (2 * boxPadding - charGap) * dot;
    const int boxHeight = (glyphHeight + 2 * boxPadding) * dot;
    const int corner = cornerMargin * dot;

    const CornerDrawing pixels(width, height);
    glColor3f(0.0f, 0.0f, 0.0f);
    glRecti(corner, corner, corner + boxWidth, corner + boxHeight);
    glColor3f(1.0f, 1.0f, 1.0f);
    drawText(text, corner + boxPadding * dot, corner + boxPadding * dot, dot);

}

// The text with its lowest row of dots at y, one rectangle per lit dot.
void BitmapFpsOverlay::drawText(const char* text, int x, int y, int dot) const
{
    const int advance = (glyphWidth + charGap) * dot;
    for (std::size_t i = 0; text[i] != '\0'; ++i, x += advance) {
        const Glyph* glyph = glyphFor(text[i]);
        if (!glyph)
            continue;
        for (int row = 0; row < glyphHeight; ++row) {
            const int top = y + (glyphHeight - 1 - row) * dot;
            for (int column = 0; column < glyphWidth; ++column)
                if (glyph->rows[row][column] == '#')
                    glRecti(x + column * dot, top, x + (column + 1) * dot, top + dot);
        }
    }
}

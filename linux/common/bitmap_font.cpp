#include "linux/common/bitmap_font.h"

#include "components/gl_api.h"

namespace {

struct Glyph {
    char character;
    const char* rows[bitmapGlyphHeight]; // top row first; '#' is lit
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
    {'-', {"     ", "     ", "     ", "#####", "     ", "     ", "     "}},
    {'_', {"     ", "     ", "     ", "     ", "     ", "     ", "#####"}},
    {'?', {" ### ", "#   #", "    #", "   # ", "  #  ", "     ", "  #  "}},
    {'a', {"     ", "     ", " ### ", "    #", " ####", "#   #", " ####"}},
    {'b', {"#    ", "#    ", "#### ", "#   #", "#   #", "#   #", "#### "}},
    {'c', {"     ", "     ", " ### ", "#    ", "#    ", "#   #", " ### "}},
    {'d', {"    #", "    #", " ####", "#   #", "#   #", "#   #", " ####"}},
    {'e', {"     ", "     ", " ### ", "#   #", "#####", "#    ", " ### "}},
    {'f', {"  ## ", " #  #", " #   ", "###  ", " #   ", " #   ", " #   "}},
    {'g', {"     ", "     ", " ####", "#   #", " ####", "    #", " ### "}},
    {'h', {"#    ", "#    ", "#### ", "#   #", "#   #", "#   #", "#   #"}},
    {'i', {"  #  ", "     ", " ##  ", "  #  ", "  #  ", "  #  ", " ### "}},
    {'j', {"   # ", "     ", "  ## ", "   # ", "   # ", "#  # ", " ##  "}},
    {'k', {"#    ", "#    ", "#  # ", "# #  ", "##   ", "# #  ", "#  # "}},
    {'l', {" ##  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "}},
    {'m', {"     ", "     ", "## # ", "# # #", "# # #", "# # #", "# # #"}},
    {'n', {"     ", "     ", "#### ", "#   #", "#   #", "#   #", "#   #"}},
    {'o', {"     ", "     ", " ### ", "#   #", "#   #", "#   #", " ### "}},
    {'p', {"     ", "     ", "#### ", "#   #", "#### ", "#    ", "#    "}},
    {'q', {"     ", "     ", " ####", "#   #", " ####", "    #", "    #"}},
    {'r', {"     ", "     ", "# ## ", "##  #", "#    ", "#    ", "#    "}},
    {'s', {"     ", "     ", " ####", "#    ", " ### ", "    #", "#### "}},
    {'t', {" #   ", " #   ", "###  ", " #   ", " #   ", " #  #", "  ## "}},
    {'u', {"     ", "     ", "#   #", "#   #", "#   #", "#  ##", " ## #"}},
    {'v', {"     ", "     ", "#   #", "#   #", "#   #", " # # ", "  #  "}},
    {'w', {"     ", "     ", "#   #", "#   #", "# # #", "# # #", " # # "}},
    {'x', {"     ", "     ", "#   #", " # # ", "  #  ", " # # ", "#   #"}},
    {'y', {"     ", "     ", "#   #", "#   #", " ####", "    #", " ### "}},
    {'z', {"     ", "     ", "#####", "   # ", "  #  ", " #   ", "#####"}},
};

char lowerCase(char character) { return character >= 'A' && character <= 'Z' ? char(character - 'A' + 'a') : character; }

const Glyph* glyphFor(char character)
{
    character = lowerCase(character);
    if (character == ' ')
        return nullptr;
    const Glyph* unknown = nullptr;
    for (const Glyph& glyph : glyphs) {
        if (glyph.character == character)
            return &glyph;
        if (glyph.character == '?')
            unknown = &glyph;
    }
    return unknown;
}

} // namespace

int bitmapTextDots(int length) { return length > 0 ? length * (bitmapGlyphWidth + bitmapCharGap) - bitmapCharGap : 0; }

void drawBitmapQuad(int left, int bottom, int right, int top)
{
    glVertex2i(left, bottom);
    glVertex2i(right, bottom);
    glVertex2i(right, top);
    glVertex2i(left, top);
}

// One quad per run of lit dots in a row.
void emitBitmapText(const char* text, int x, int y, int dot)
{
    const int advance = (bitmapGlyphWidth + bitmapCharGap) * dot;
    for (int i = 0; text[i] != '\0'; ++i, x += advance) {
        const Glyph* glyph = glyphFor(text[i]);
        if (!glyph)
            continue;
        for (int row = 0; row < bitmapGlyphHeight; ++row) {
            const int bottom = y + (bitmapGlyphHeight - 1 - row) * dot;
            for (int column = 0; column < bitmapGlyphWidth;) {
                if (glyph->rows[row][column] != '#') {
                    ++column;
                    continue;
                }
                int end = column;
                while (end < bitmapGlyphWidth && glyph->rows[row][end] == '#')
                    ++end;
                drawBitmapQuad(x + column * dot, bottom, x + end * dot, bottom + dot);
                column = end;
            }
        }
    }
}

void drawBitmapText(const char* text, int x, int y, int dot)
{
    glBegin(GL_QUADS);
    emitBitmapText(text, x, y, dot);
    glEnd();
}

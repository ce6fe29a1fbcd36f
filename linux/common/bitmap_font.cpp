#include "linux/common/bitmap_font.h"

#include "linux/common/utf8_text.h"

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
    {'!', {"  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "     ", "  #  "}},
    {',', {"     ", "     ", "     ", "     ", "  ## ", "   # ", "  #  "}},
    {':', {"     ", " ##  ", " ##  ", "     ", " ##  ", " ##  ", "     "}},
    {'\'', {"  #  ", "  #  ", " #   ", "     ", "     ", "     ", "     "}},
    {'(', {"   # ", "  #  ", " #   ", " #   ", " #   ", "  #  ", "   # "}},
    {')', {" #   ", "  #  ", "   # ", "   # ", "   # ", "  #  ", " #   "}},
    {'/', {"     ", "    #", "   # ", "  #  ", " #   ", "#    ", "     "}},
    {'@', {" ### ", "#   #", "# ###", "# # #", "# ###", "#    ", " ####"}},
    // What the font lacks: a box, never a '?' that could be read as text.
    {'\0', {"#####", "#   #", "#   #", "#   #", "#   #", "#   #", "#####"}},
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

// The letters of Latin-1's upper half and of Latin Extended-A without their
// marks, for a name or a message the font has no accents for.
constexpr char32_t latin1First = 0xC0;
const char latin1Bases[] = "AAAAAAACEEEEIIIIDNOOOOOxOUUUUYTsaaaaaaaceeeeiiiidnooooo/ouuuuyty";
constexpr char32_t extendedAFirst = 0x100;
const char extendedABases[] = "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIiJjJjKkkLlLlLlLlLlNnNnNnnNnOoOoOoOoRr"
                              "RrRrSsSsSsSsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs";

// The ASCII character whose glyph draws character; '\0' for the box.
char glyphCharacter(char32_t character)
{
    if (character >= 'A' && character <= 'Z')
        return static_cast<char>(character - 'A' + 'a');
    if (character < 0x80)
        return static_cast<char>(character);
    if (character >= latin1First && character < latin1First + sizeof latin1Bases - 1)
        return glyphCharacter(static_cast<unsigned char>(latin1Bases[character - latin1First]));
    if (character >= extendedAFirst && character < extendedAFirst + sizeof extendedABases - 1)
        return glyphCharacter(static_cast<unsigned char>(extendedABases[character - extendedAFirst]));
    return '\0';
}

const Glyph* glyphFor(char32_t character)
{
    const char wanted = glyphCharacter(character);
    if (wanted == ' ')
        return nullptr;
    const Glyph* box = nullptr;
    for (const Glyph& glyph : glyphs) {
        if (glyph.character == wanted)
            return &glyph;
        if (glyph.character == '\0')
            box = &glyph;
    }
    return box;
}

} // namespace

int bitmapTextDots(int length) { return length > 0 ? length * (bitmapGlyphWidth + bitmapCharGap) - bitmapCharGap : 0; }

void GlQuads::colour(float red, float green, float blue) { glColor3f(red, green, blue); }

void GlQuads::quad(int left, int bottom, int right, int top)
{
    glVertex2i(left, bottom);
    glVertex2i(right, bottom);
    glVertex2i(right, top);
    glVertex2i(left, top);
}

// One quad per run of lit dots in a row.
void emitBitmapText(QuadSink& sink, const char* text, int x, int y, int dot)
{
    const int advance = (bitmapGlyphWidth + bitmapCharGap) * dot;
    for (const char* at = text; *at != '\0'; x += advance) {
        const Glyph* glyph = glyphFor(takeCharacter(at));
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
                sink.quad(x + column * dot, bottom, x + end * dot, bottom + dot);
                column = end;
            }
        }
    }
}

void drawBitmapText(const char* text, int x, int y, int dot)
{
    GlQuads quads;
    glBegin(GL_QUADS);
    emitBitmapText(quads, text, x, y, dot);
    glEnd();
}

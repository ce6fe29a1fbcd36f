#include "linux/lock/prompt_overlay.h"

#include "linux/common/bitmap_font.h"
#include "linux/common/corner_drawing.h"
#include "linux/common/utf8_text.h"

#include "components/gl_api.h"

#include <algorithm>

namespace {

// A dot of the font per this many rows of the picture, as the frame rate's:
// the prompt keeps its size on the screen, and its pixels, most of its cost
// on software GL, stay few.
constexpr int rowsPerDot = 360;
// The box's inner width in characters of the font; the rows in it, top
// down, are the name, the dots, the keyboard's row and the message's (PAM's
// words may take several), with a blank font row between.
constexpr int boxChars = 36;
constexpr int boxPadding = 3;
constexpr int rowGap = 3;
constexpr int messageRows = 3;
constexpr int boxRows = 3 + messageRows;
// The password's dots: squares of this many font dots, this far apart; no
// more are drawn than fit the box.
constexpr int passwordDot = 3;
constexpr int passwordDotPitch = 5;
constexpr int borderDots = 1;
// The name's room in the box.
constexpr std::size_t nameChars = boxChars;

} // namespace

PromptOverlay::PromptOverlay(const PasswordPrompt& prompt, const std::string& user)
    : prompt_(prompt), user_(firstCharacters(user, nameChars))
{
}

// All of it in one draw, the colours changed between the quads, and the box
// drawn once with its border round it rather than under it.
void PromptOverlay::draw(int width, int height) const
{
    if (!prompt_.shown() || width <= 0 || height <= 0)
        return;
    const int dot = std::max(1, height / rowsPerDot);
    const int innerHeight = boxRows * bitmapGlyphHeight + (boxRows - 1) * rowGap;
    const int boxWidth = (bitmapTextDots(boxChars) + 2 * boxPadding) * dot;
    const int boxHeight = (innerHeight + 2 * boxPadding) * dot;
    const int left = (width - boxWidth) / 2;
    const int bottom = (height - boxHeight) / 2;
    const int right = left + boxWidth;
    const int top = bottom + boxHeight;
    const int border = borderDots * dot;

    const CornerDrawing pixels(width, height);
    glBegin(GL_QUADS);
    glColor3f(0.6f, 0.7f, 0.9f);
    drawBitmapQuad(left - border, bottom - border, right + border, bottom);
    drawBitmapQuad(left - border, top, right + border, top + border);
    drawBitmapQuad(left - border, bottom, left, top);
    drawBitmapQuad(right, bottom, right + border, top);
    glColor3f(0.0f, 0.0f, 0.0f);
    drawBitmapQuad(left, bottom, right, top);
    const int textLeft = left + boxPadding * dot;
    const int rowStep = (bitmapGlyphHeight + rowGap) * dot;
    const int topRow = top - boxPadding * dot - bitmapGlyphHeight * dot;
    glColor3f(1.0f, 1.0f, 1.0f);
    emitBitmapText(user_.c_str(), textLeft, topRow, dot);
    emitDots(textLeft, topRow - rowStep, dot);
    glColor3f(0.6f, 0.8f, 1.0f);
    emitBitmapText(prompt_.statusText(), textLeft, topRow - 2 * rowStep, dot);
    glColor3f(1.0f, 0.8f, 0.4f);
    int row = topRow - 3 * rowStep;
    for (const std::string& line : wrapText(prompt_.messageText(), boxChars, messageRows)) {
        emitBitmapText(line.c_str(), textLeft, row, dot);
        row -= rowStep;
    }
    glEnd();
}

void PromptOverlay::emitDots(int left, int bottom, int dot) const
{
    const int fitting = (bitmapTextDots(boxChars) - passwordDot) / passwordDotPitch + 1;
    const int count = static_cast<int>(std::min<std::size_t>(prompt_.characters(), static_cast<std::size_t>(fitting)));
    const int size = passwordDot * dot;
    const int lift = (bitmapGlyphHeight - passwordDot) / 2 * dot;
    for (int i = 0; i < count; ++i) {
        const int x = left + i * passwordDotPitch * dot;
        drawBitmapQuad(x, bottom + lift, x + size, bottom + lift + size);
    }
}

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
    if (prompt_.shown())
        drawShown(width, height);
}

void PromptOverlay::drawShown(int width, int height) const
{
    if (width <= 0 || height <= 0)
        return;
    const CornerDrawing pixels(width, height);
    GlQuads quads;
    glBegin(GL_QUADS);
    emit(quads, width, height);
    glEnd();
}

void PromptOverlay::paint(QuadSink& sink, int width, int height) const
{
    if (prompt_.shown() && width > 0 && height > 0)
        emit(sink, width, height);
}

void PromptOverlay::emit(QuadSink& sink, int width, int height) const
{
    const int dot = std::max(1, height / rowsPerDot);
    const int innerHeight = boxRows * bitmapGlyphHeight + (boxRows - 1) * rowGap;
    const int boxWidth = (bitmapTextDots(boxChars) + 2 * boxPadding) * dot;
    const int boxHeight = (innerHeight + 2 * boxPadding) * dot;
    const int left = (width - boxWidth) / 2;
    const int bottom = (height - boxHeight) / 2;
    const int right = left + boxWidth;
    const int top = bottom + boxHeight;
    const int border = borderDots * dot;

    sink.colour(0.6f, 0.7f, 0.9f);
    sink.quad(left - border, bottom - border, right + border, bottom);
    sink.quad(left - border, top, right + border, top + border);
    sink.quad(left - border, bottom, left, top);
    sink.quad(right, bottom, right + border, top);
    sink.colour(0.0f, 0.0f, 0.0f);
    sink.quad(left, bottom, right, top);
    const int textLeft = left + boxPadding * dot;
    const int rowStep = (bitmapGlyphHeight + rowGap) * dot;
    const int topRow = top - boxPadding * dot - bitmapGlyphHeight * dot;
    sink.colour(1.0f, 1.0f, 1.0f);
    emitBitmapText(sink, user_.c_str(), textLeft, topRow, dot);
    emitDots(sink, textLeft, topRow - rowStep, dot);
    sink.colour(0.6f, 0.8f, 1.0f);
    emitBitmapText(sink, prompt_.statusText(), textLeft, topRow - 2 * rowStep, dot);
    sink.colour(1.0f, 0.8f, 0.4f);
    int row = topRow - 3 * rowStep;
    for (const std::string& line : wrapText(prompt_.messageText(), boxChars, messageRows)) {
        emitBitmapText(sink, line.c_str(), textLeft, row, dot);
        row -= rowStep;
    }
}

void PromptOverlay::emitDots(QuadSink& sink, int left, int bottom, int dot) const
{
    const int fitting = (bitmapTextDots(boxChars) - passwordDot) / passwordDotPitch + 1;
    const int count = static_cast<int>(std::min<std::size_t>(prompt_.characters(), static_cast<std::size_t>(fitting)));
    const int size = passwordDot * dot;
    const int lift = (bitmapGlyphHeight - passwordDot) / 2 * dot;
    for (int i = 0; i < count; ++i) {
        const int x = left + i * passwordDotPitch * dot;
        sink.quad(x, bottom + lift, x + size, bottom + lift + size);
    }
}

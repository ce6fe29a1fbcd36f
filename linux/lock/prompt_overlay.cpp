#include "linux/lock/prompt_overlay.h"

#include "linux/common/bitmap_font.h"
#include "linux/common/corner_drawing.h"

#include "components/gl_api.h"

#include <algorithm>

namespace {

// A dot of the font per this many rows of the picture, as the frame rate's:
// the prompt keeps its size on the screen.
constexpr int rowsPerDot = 240;
// The box's inner width in characters of the font; the rows in it are the
// name, the dots and the message, with a blank font row between.
constexpr int boxChars = 24;
constexpr int boxPadding = 3;
constexpr int rowGap = 3;
constexpr int boxRows = 3;
// The password's dots: squares of this many font dots, this far apart; no
// more are drawn than fit the box.
constexpr int passwordDot = 3;
constexpr int passwordDotPitch = 5;
constexpr int borderDots = 1;
// A name longer than the box is cut.
constexpr std::size_t nameChars = boxChars;

const char* messageText(PasswordPrompt::Message message)
{
    switch (message) {
    case PasswordPrompt::Message::Checking:
        return "checking";
    case PasswordPrompt::Message::Wrong:
        return "wrong password";
    case PasswordPrompt::Message::None:
        break;
    }
    return "";
}

} // namespace

void PromptOverlay::draw(int width, int height) const
{
    if (!prompt_.shown() || width <= 0 || height <= 0)
        return;
    const int dot = std::max(1, height / rowsPerDot);
    const int innerWidth = bitmapTextDots(boxChars);
    const int innerHeight = boxRows * bitmapGlyphHeight + (boxRows - 1) * rowGap;
    const int boxWidth = (innerWidth + 2 * boxPadding) * dot;
    const int boxHeight = (innerHeight + 2 * boxPadding) * dot;
    const int left = (width - boxWidth) / 2;
    const int bottom = (height - boxHeight) / 2;
    const int border = borderDots * dot;

    const CornerDrawing pixels(width, height);
    glColor3f(0.6f, 0.7f, 0.9f);
    glRecti(left - border, bottom - border, left + boxWidth + border, bottom + boxHeight + border);
    glColor3f(0.0f, 0.0f, 0.0f);
    glRecti(left, bottom, left + boxWidth, bottom + boxHeight);
    const int textLeft = left + boxPadding * dot;
    const int rowStep = (bitmapGlyphHeight + rowGap) * dot;
    const int messageRow = bottom + boxPadding * dot;
    glColor3f(1.0f, 1.0f, 1.0f);
    drawBitmapText(user_.substr(0, nameChars).c_str(), textLeft, messageRow + 2 * rowStep, dot);
    drawDots(textLeft, messageRow + rowStep, dot);
    glColor3f(1.0f, 0.8f, 0.4f);
    drawBitmapText(messageText(prompt_.message()), textLeft, messageRow, dot);
}

void PromptOverlay::drawDots(int left, int bottom, int dot) const
{
    const int fitting = (bitmapTextDots(boxChars) - passwordDot) / passwordDotPitch + 1;
    const int count = static_cast<int>(std::min<std::size_t>(prompt_.characters(), static_cast<std::size_t>(fitting)));
    const int size = passwordDot * dot;
    const int lift = (bitmapGlyphHeight - passwordDot) / 2 * dot;
    for (int i = 0; i < count; ++i) {
        const int x = left + i * passwordDotPitch * dot;
        glRecti(x, bottom + lift, x + size, bottom + lift + size);
    }
}

#include "linux/wayland/bitmap_fps_overlay.h"

#include "linux/common/bitmap_font.h"
#include "linux/common/corner_drawing.h"

#include "components/gl_api.h"

#include <algorithm>
#include <cstdio>

namespace {

// A dot of the font per this many rows of the picture, at least one pixel:
// the text keeps its size on the screen from a preview to a 4K output.
constexpr int rowsPerDot = 360;
// Room around the text inside the box, and between the box and the
// picture's edges, in dots.
constexpr int boxPadding = 2;
constexpr int cornerMargin = 2;
// The box is as wide as this many characters, so that it keeps its size
// while the rate changes ("999.9 fps").
constexpr int boxChars = 9;
constexpr std::size_t rateTextSize = 32;

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
    const int boxWidth = (bitmapTextDots(std::max(length, boxChars)) + 2 * boxPadding) * dot;
    const int boxHeight = (bitmapGlyphHeight + 2 * boxPadding) * dot;
    const int corner = cornerMargin * dot;

    const CornerDrawing pixels(width, height);
    glColor3f(0.0f, 0.0f, 0.0f);
    glRecti(corner, corner, corner + boxWidth, corner + boxHeight);
    glColor3f(1.0f, 1.0f, 1.0f);
    drawBitmapText(text, corner + boxPadding * dot, corner + boxPadding * dot, dot);
}

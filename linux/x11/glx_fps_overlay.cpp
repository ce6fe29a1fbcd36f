#include "linux/x11/glx_fps_overlay.h"

#include "linux/common/corner_drawing.h"

#include <GL/glx.h>

#include <algorithm>
#include <cstdio>

namespace {

// Printable ASCII, the only characters the rate is written in.
constexpr int firstChar = ' ';
constexpr int charCount = '~' - ' ' + 1;

// Windows at least this tall (a screen rather than a preview pane) get the
// larger font first.
constexpr int tallWindowPixels = 720;
// X logical font names, largest first. "fixed" is an alias every X server
// has, the last resort.
const char* const largeFonts[] = {"-misc-fixed-bold-r-normal--18-*-*-*-*-*-iso8859-1"};
const char* const smallFonts[] = {"-misc-fixed-bold-r-normal--13-*-*-*-*-*-iso8859-1", "fixed"};

// Room around the text inside the box, and between the box and the
// picture's edges, in pixels.
constexpr int boxPadding = 3;
constexpr int cornerMargin = 4;
// The box is as wide as this many characters, so that it keeps its size
// while the rate changes ("999.9 fps").
constexpr int boxChars = 9;
constexpr std::size_t rateTextSize = 32;

XFontStruct* loadFont(Display* display, int windowHeight)
{
    if (windowHeight >= tallWindowPixels)
        for (const char* name : largeFonts)
            if (XFontStruct* font = XLoadQueryFont(display, name))
                return font;
    for (const char* name : smallFonts)
        if (XFontStruct* font = XLoadQueryFont(display, name))
            return font;
    return nullptr;
}

} // namespace

GlxFpsOverlay::~GlxFpsOverlay() { destroy(); }

bool GlxFpsOverlay::create(Display* display, int windowHeight, std::string& error)
{
    destroy();
    XFontStruct* font = loadFont(display, windowHeight);
    if (!font) {
        error = "the X server has no font for -fps (not even \"fixed\")";
        return false;
    }
    listBase_ = glGenLists(charCount);
    if (listBase_ != 0)
        glXUseXFont(font->fid, firstChar, charCount, static_cast<int>(listBase_));
    charWidth_ = font->max_bounds.width;
    ascent_ = font->ascent;
    descent_ = font->descent;
    XFreeFont(display, font);
    if (listBase_ == 0) {
        error = "OpenGL gave no display lists for the -fps font";
        return false;
    }
    return true;
}

void GlxFpsOverlay::setSize(int width, int height)
{
    width_ = width;
    height_ = height;
}

void GlxFpsOverlay::swapBuffers()
{
    if (listBase_ != 0 && rate_ >= 0.0)
        drawRate();
    shown_.swapBuffers();
}

void GlxFpsOverlay::destroy()
{
    if (listBase_ == 0)
        return;
    glDeleteLists(listBase_, charCount);
    listBase_ = 0;
}

void GlxFpsOverlay::drawRate()
{
    char text[rateTextSize];
    const int length = std::snprintf(text, sizeof text, "%.1f fps", rate_);
    if (length <= 0)
        return;
    const int boxWidth = std::max(length, boxChars) * charWidth_ + 2 * boxPadding;
    const int boxHeight = ascent_ + descent_ + 2 * boxPadding;

    const CornerDrawing corner(width_, height_);
    glColor3f(0.0f, 0.0f, 0.0f);
    glRecti(cornerMargin, cornerMargin, cornerMargin + boxWidth, cornerMargin + boxHeight);
    glColor3f(1.0f, 1.0f, 1.0f);
    glRasterPos2i(cornerMargin + boxPadding, cornerMargin + boxPadding + descent_);
    for (int i = 0; i < length; ++i) {
        // Mesa's lists for a glyph without pixels do not move the raster
        // position: the space is a move of its own.
        if (text[i] == ' ')
            glBitmap(0, 0, 0.0f, 0.0f, static_cast<GLfloat>(charWidth_), 0.0f, nullptr);
        else
            glCallList(listBase_ + static_cast<unsigned>(text[i] - firstChar));
    }

}

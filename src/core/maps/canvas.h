#pragma once

#include <cstdint>
#include <string>

namespace korval {

// Windows colour value, 0x00BBGGRR.
using Colour = std::uint32_t;

// What loading a background image into a surface came to.
enum class ImageLoad {
    Ok,
    MissingFile,     // no file at that path (or no path at all)
    OutOfResources,  // the drawing layer could not hold or decode the image
};

// Fill of the closed shapes (circles) drawn after it is set.
enum class FillStyle { Solid = 0, Transparent = 1 };

// Line styles of the drawing layer, the numbers a RouteLine stores in Style.
enum DrawStyle : int {
    DrawSolid = 0,
    DrawDash = 1,
    DrawDot = 2,
    DrawDashDot = 3,
    DrawDashDotDot = 4,
    DrawInvisible = 5,
    DrawInsideSolid = 6,
};

// A map's drawing surface. Every coordinate, radius and size is in twips (1/1440 inch) in the
// surface's own coordinates: SetOrigin names the coordinates of its top-left corner, so a point
// (x, y) lands (x - left, y - top) twips from that corner. The surface keeps its attributes (line
// width and style, fill, text position, font) and its origin from one call to the next, like a
// picture box does; a redraw sets everything it relies on.
//
// A call may raise a Fault when the surface has gone; error 7 (out of memory) means the drawing
// layer ran out of resources.
class Canvas {
public:
    virtual ~Canvas() = default;

    // Colours used by Print: text in `fore` on an opaque box of `back`.
    virtual void SetColours(Colour fore, Colour back) = 0;
    // Loads an image file (JPEG, BMP or GIF) as the background; wipes every mark drawn before.
    virtual ImageLoad LoadImage(const std::string& path) = 0;
    // Paints the loaded image stretched to width x height, from the surface's top-left corner
    // whatever the origin is. False when the drawing layer ran out of resources.
    virtual bool PaintImage(float width, float height) = 0;

    virtual void SetOrigin(float left, float top) = 0;
    virtual void SetDrawWidth(int pixels) = 0;
    virtual void SetDrawStyle(int style) = 0;  // DrawStyle, 0..6
    virtual void SetFillStyle(FillStyle style) = 0;
    virtual void SetFillColour(Colour colour) = 0;
    // Circle around (x, y), outline in `outline`, filled as the fill style and colour say.
    virtual void Circle(float x, float y, float radius, Colour outline) = 0;
    // Straight line in the current width and style.
    virtual void Line(float x1, float y1, float x2, float y2, Colour colour) = 0;
    // Where the next Print puts the top-left corner of its text.
    virtual void SetTextPosition(float x, float y) = 0;
    virtual void SetFontBold(bool bold) = 0;
    virtual void SetFontSize(float points) = 0;  // the face is Arial
    virtual void Print(const std::string& text) = 0;

    // Size of the surface.
    virtual float Width() const = 0;
    virtual float Height() const = 0;
};

// A map window as the redraw sees it: the size of its client area (which its surface fills),
// whether it is minimised, and the surface to draw on.
class MapView {
public:
    virtual ~MapView() = default;
    virtual int ClientWidthTwips() const = 0;
    virtual int ClientHeightTwips() const = 0;
    virtual bool Minimised() const = 0;
    virtual Canvas& Surface() = 0;
};

}  // namespace korval

#include "window_placement.h"

#include <cmath>

namespace korval::ui {
namespace {

int Pixels(float twips, double twipsPerPixel)
{
    return static_cast<int>(std::lround(twips / twipsPerPixel));
}

}  // namespace

QRect PlacementToStore(const QRect& frame, const QRect& client, const std::optional<QRect>& normalClient)
{
    if (!normalClient) return {frame.topLeft(), client.size()};
    // The frame keeps its offset from the client area in the normal state too.
    const QPoint frameOffset = client.topLeft() - frame.topLeft();
    return {normalClient->topLeft() - frameOffset, normalClient->size()};
}

Placement ToStoredTwips(const QRect& placement, double twipsPerPixelX, double twipsPerPixelY)
{
    return {true, static_cast<float>(placement.x() * twipsPerPixelX),
            static_cast<float>(placement.y() * twipsPerPixelY), static_cast<float>(placement.width() * twipsPerPixelX),
            static_cast<float>(placement.height() * twipsPerPixelY)};
}

QRect FromStoredTwips(const Placement& stored, double twipsPerPixelX, double twipsPerPixelY)
{
    return {Pixels(stored.Left, twipsPerPixelX), Pixels(stored.Top, twipsPerPixelY),
            Pixels(stored.Width, twipsPerPixelX), Pixels(stored.Height, twipsPerPixelY)};
}

}  // namespace korval::ui

#include "maps/map_window_rules.h"

#include <filesystem>
#include <system_error>

#include "settings/settings.h"
#include "station/station.h"

namespace korval {

bool MapPictureExists(const Station& s, int n)
{
    const std::string& path = s.map[n - 1].MapPath;
    if (path.empty()) return false;
    std::error_code ec;
    return std::filesystem::is_regular_file(std::filesystem::path(path), ec);
}

bool UnloadMapWindow(Station& s, int n, const std::optional<Placement>& placement)
{
    bool& item = s.opt.ShowMap(n);
    const bool was = item;
    item = false;
    if (placement) {
        Placement& p = s.mapPlacement[n - 1];
        p.Top = placement->Top;
        p.Left = placement->Left;
        p.Height = placement->Height;
        p.Width = placement->Width;
        SaveMapWindowPlacement(s, n);
    }
    return was;
}

}  // namespace korval

// The default background maps in data/maps: known places far from any coast must show the land
// or the sea colour at the pixel the map's plate carree frame puts them on. The places were chosen
// from atlases (cities, ice caps, open water), at least about 30 km from a coast at the map's scale
// and off the graticule lines, so JPEG noise and antialiased edges cannot decide the answer.
#include <gtest/gtest.h>

#include <QtGui/QColor>
#include <QtGui/QImage>

#include <cmath>
#include <map>
#include <string>

#include "test_images.h"
#include "test_support.h"

namespace korval {
namespace {

using korval::test::PrintTo;

// Frames of the bundled maps, in degrees (north and east positive) and pixels.
struct Frame {
    double north, south, west, east;
    int width, height;
};
const std::map<std::string, Frame> kFrames = {
    {"europe", {64, 34, -16, 34, 1600, 1000}},
    {"atlantic", {68, 36, -72, -4, 1600, 1000}},
    {"world", {90, -90, -180, 180, 1800, 900}},
};

// The maps' colour scheme.
const QColor kSea(22, 44, 74);
const QColor kLand(58, 74, 56);

struct Place {
    const char* map;
    const char* name;
    double lat, lon;
    bool land;
};

constexpr bool L = true, S = false;  // land, sea

// clang-format off
const Place kPlaces[] = {
    // Europe: 64N..34N, 16W..34E.
    {"europe", "Madrid", 40.40, -3.70, L},
    {"europe", "Paris", 48.86, 2.35, L},
    {"europe", "Berlin", 52.50, 13.40, L},
    {"europe", "Kyiv", 50.45, 30.50, L},
    {"europe", "Budapest", 47.50, 19.05, L},
    {"europe", "Jamtland", 63.18, 14.64, L},
    {"europe", "Kuopio", 62.90, 27.70, L},
    {"europe", "Roros", 62.57, 11.38, L},
    {"europe", "Minsk", 53.90, 27.57, L},
    {"europe", "Smolensk", 54.78, 32.04, L},
    {"europe", "Konya", 37.87, 32.49, L},
    {"europe", "TunisianSteppe", 35.23, 9.13, L},
    {"europe", "SaharanAtlas", 34.67, 3.25, L},
    {"europe", "Sofia", 42.70, 23.32, L},
    {"europe", "Belgrade", 44.80, 20.46, L},
    {"europe", "IrishMidlands", 53.42, -7.94, L},
    {"europe", "Birmingham", 52.48, -1.90, L},
    {"europe", "Cairngorms", 57.08, -3.67, L},
    {"europe", "MassifCentral", 45.78, 3.08, L},
    {"europe", "Alentejo", 38.57, -7.91, L},
    {"europe", "BayOfBiscay", 45.50, -4.00, S},
    {"europe", "OffPortugal", 39.00, -12.00, S},
    {"europe", "CelticSea", 50.50, -8.00, S},
    {"europe", "NorthSea", 56.00, 3.00, S},
    {"europe", "NorwegianSea", 63.00, 2.00, S},
    {"europe", "OffWesternNorway", 61.50, 2.50, S},
    {"europe", "SouthernBaltic", 55.60, 18.30, S},
    {"europe", "BothnianSea", 62.00, 19.60, S},
    {"europe", "BalearicBasin", 39.50, 5.80, S},
    {"europe", "TyrrhenianSea", 39.30, 12.50, S},
    {"europe", "IonianSea", 37.00, 18.50, S},
    {"europe", "AdriaticSea", 43.00, 15.20, S},
    {"europe", "CentralMediterranean", 35.20, 17.50, S},
    {"europe", "BlackSea", 43.00, 33.00, S},
    {"europe", "WestOfIreland", 53.50, -13.50, S},
    {"europe", "OffMorocco", 35.50, -12.00, S},
    {"europe", "NorthOfFaroe", 63.50, -6.00, S},
    {"europe", "NorthOfScotland", 59.50, -8.00, S},
    {"europe", "GulfOfLion", 42.60, 4.40, S},
    {"europe", "SouthOfCrete", 34.40, 26.50, S},

    // North Atlantic: 68N..36N, 72W..4W.
    {"atlantic", "IcelandCentre", 64.90, -18.60, L},
    {"atlantic", "IcelandNorthEast", 65.20, -15.90, L},
    {"atlantic", "GreenlandIce66N", 66.00, -45.00, L},
    {"atlantic", "GreenlandEast", 67.50, -38.00, L},
    {"atlantic", "GreenlandSouth", 62.50, -46.00, L},
    {"atlantic", "BaffinIsland", 67.30, -68.00, L},
    {"atlantic", "Labrador", 54.00, -64.00, L},
    {"atlantic", "QuebecInterior", 51.50, -71.50, L},
    {"atlantic", "Newfoundland", 48.60, -56.30, L},
    {"atlantic", "NewBrunswick", 46.60, -66.40, L},
    {"atlantic", "Maine", 45.20, -69.30, L},
    {"atlantic", "NewHampshire", 43.00, -71.70, L},
    {"atlantic", "IrishMidlands", 53.42, -7.94, L},
    {"atlantic", "Roscommon", 53.63, -8.19, L},
    {"atlantic", "Leon", 42.30, -5.60, L},
    {"atlantic", "Caceres", 39.47, -6.37, L},
    {"atlantic", "Cordoba", 37.88, -4.78, L},
    {"atlantic", "SouthOfUngavaBay", 56.50, -68.50, L},
    {"atlantic", "Chibougamau", 49.50, -71.50, L},
    {"atlantic", "QuebecNorthShore", 51.00, -66.00, L},
    {"atlantic", "DenmarkStrait", 66.50, -28.00, S},
    {"atlantic", "NorthOfIceland", 67.40, -15.50, S},
    {"atlantic", "IcelandSea", 67.00, -8.00, S},
    {"atlantic", "EastOfIceland", 65.00, -9.00, S},
    {"atlantic", "SouthOfIceland", 62.50, -19.00, S},
    {"atlantic", "IrmingerSea", 62.00, -35.00, S},
    {"atlantic", "LabradorSea", 58.00, -55.00, S},
    {"atlantic", "DavisStrait", 66.30, -57.80, S},
    {"atlantic", "UngavaBay", 59.30, -67.50, S},
    {"atlantic", "GulfOfStLawrence", 48.20, -60.80, S},
    {"atlantic", "OffNovaScotia", 43.00, -61.50, S},
    {"atlantic", "GulfOfMaine", 43.00, -68.50, S},
    {"atlantic", "SargassoNorth", 38.50, -55.30, S},
    {"atlantic", "MidAtlantic", 45.50, -35.50, S},
    {"atlantic", "NorthAtlantic55N", 55.50, -25.50, S},
    {"atlantic", "WestOfAzores", 37.00, -35.00, S},
    {"atlantic", "WestOfPortugal", 38.50, -12.50, S},
    {"atlantic", "WestOfIreland", 53.50, -13.50, S},
    {"atlantic", "WestOfIceland", 64.00, -28.50, S},
    {"atlantic", "SouthOfGreenland", 58.50, -43.50, S},

    // World: 90N..90S, 180W..180E.
    {"world", "IcelandCentre", 64.90, -18.60, L},
    {"world", "GreenlandSummit", 72.60, -38.50, L},
    {"world", "GreenlandNorth", 77.50, -45.00, L},
    {"world", "ChukotkaEastOf180", 67.30, -178.00, L},
    {"world", "ChukotkaWestOf180", 67.50, 175.50, L},
    {"world", "AlaskaInterior", 64.50, -152.50, L},
    {"world", "SouthIslandNZ", -45.50, 168.50, L},
    {"world", "Taymyr", 73.50, 95.50, L},
    {"world", "BaffinIsland", 68.50, -71.50, L},
    {"world", "EllesmereIsland", 81.20, -73.50, L},
    {"world", "Yakutia", 66.50, 125.50, L},
    {"world", "Chad", 15.50, 18.50, L},
    {"world", "Sahara", 24.50, 5.50, L},
    {"world", "MatoGrosso", -12.50, -52.50, L},
    {"world", "CentralAustralia", -25.50, 134.50, L},
    {"world", "AntarcticPlateau", -75.50, 105.50, L},
    {"world", "QueenMaudLand", -73.50, 25.50, L},
    {"world", "PolarPlateauEastOf180", -87.50, 175.50, L},
    {"world", "PolarPlateauWestOf180", -87.50, -175.50, L},
    {"world", "SouthPoleRow", -89.00, -135.50, L},
    {"world", "NorwegianSea", 68.50, 3.50, S},
    {"world", "GreenlandSea", 75.50, -5.50, S},
    {"world", "BarentsSea", 75.50, 33.50, S},
    {"world", "ArcticOcean", 85.50, 45.50, S},
    {"world", "DenmarkStrait", 66.50, -28.00, S},
    {"world", "BaffinBay", 73.50, -65.50, S},
    {"world", "BeaufortSea", 72.50, -142.50, S},
    {"world", "ChukchiSea", 71.20, -165.50, S},
    {"world", "NorthOfWrangel", 72.50, -175.50, S},
    {"world", "EastSiberianSea", 73.00, 176.00, S},
    {"world", "BeringSeaEastOf180", 57.50, -178.50, S},
    {"world", "BeringSeaWestOf180", 59.00, 178.50, S},
    {"world", "SouthOfAleutians", 48.50, -175.50, S},
    {"world", "NorthOfFiji", -14.50, 179.00, S},
    {"world", "EastOfFiji", -17.00, -177.00, S},
    {"world", "CentralPacific180", 3.50, 178.50, S},
    {"world", "BellingshausenSea", -65.50, -105.50, S},
    {"world", "SouthernOcean180", -65.50, -178.50, S},
    {"world", "RossSea", -72.50, -178.50, S},
    {"world", "SouthPacific", -15.50, -125.50, S},
};
// clang-format on

// Whether `c` is nearer to the land colour than to the sea colour.
bool Land(QColor c)
{
    auto distance = [&](QColor k) { return std::hypot(c.red() - k.red(), c.green() - k.green(), c.blue() - k.blue()); };
    return distance(kLand) < distance(kSea);
}

class BundledMapPlace : public ::testing::TestWithParam<Place> {};

TEST_P(BundledMapPlace, HasItsSurfaceColour)
{
    const Place& p = GetParam();
    const Frame& f = kFrames.at(p.map);
    static std::map<std::string, QImage> images;  // each map decoded once
    QImage& image = images[p.map];
    if (image.isNull())
        image.load(QString::fromStdString(KORVAL_SOURCE_DIR "/data/maps/" + std::string(p.map) + ".jpg"));
    ASSERT_EQ(image.size(), QSize(f.width, f.height)) << p.map << ".jpg does not load at its frame's size";
    const int x = static_cast<int>((p.lon - f.west) / (f.east - f.west) * f.width);
    const int y = static_cast<int>((f.north - p.lat) / (f.north - f.south) * f.height);
    EXPECT_EQ(Land(image.pixelColor(x, y)), p.land)
        << "pixel " << x << "," << y << " is " << image.pixelColor(x, y).name().toStdString() << ", expected "
        << (p.land ? "land" : "sea");
}

INSTANTIATE_TEST_SUITE_P(Places, BundledMapPlace, ::testing::ValuesIn(kPlaces),
                         [](const auto& p) { return std::string(p.param.map) + "_" + p.param.name; });

}  // namespace
}  // namespace korval

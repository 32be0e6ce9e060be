#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "export/tracks.h"
#include "export_replay.h"
#include "export_support.h"

namespace korval::test {
namespace {

// The ExtendedData value named `name` of a placemark; "(none)" when absent.
std::string DataValue(const XmlElement& placemark, const std::string& name)
{
    std::vector<const XmlElement*> data;
    placemark.Collect("Data", data);
    for (const XmlElement* d : data)
        if (d->attributes.count("name") && d->attributes.at("name") == name && d->First("value"))
            return d->First("value")->text;
    return "(none)";
}

// A placemark's geometry ("lon,lat lon,lat" in degrees) as parts of (latitude, longitude) in
// thousandths of a degree.
std::vector<Points> PartsOf(const XmlElement& placemark)
{
    std::vector<const XmlElement*> coordinates;
    placemark.Collect("coordinates", coordinates);
    std::vector<Points> parts;
    for (const XmlElement* c : coordinates) {
        std::istringstream in(c->text);
        double lon = 0, lat = 0;
        char comma = 0;
        for (parts.emplace_back(); in >> lon >> comma >> lat;)
            parts.back().emplace_back(std::lround(lat * 1000), std::lround(lon * 1000));
    }
    return parts;
}

struct Kml : ::testing::Test {
    Rig rig;
    std::unique_ptr<XmlElement> root;

    // Reads the station's export strictly; false, with the reader's complaint, when it does not read.
    bool Export()
    {
        const std::string text = ExportKml(rig.station);
        std::string error;
        root = ReadXml(text, error);
        EXPECT_NE(root, nullptr) << error << "\n" << text;
        return root != nullptr;
    }
    std::vector<const XmlElement*> Placemarks() const
    {
        std::vector<const XmlElement*> out;
        root->Collect("Placemark", out);
        return out;
    }
    const XmlElement* Find(const std::string& kind, const std::string& name) const
    {
        for (const XmlElement* p : Placemarks())
            if (DataValue(*p, "kind") == kind && p->First("name") && p->First("name")->text == name) return p;
        return nullptr;
    }
};

TEST_F(Kml, ReplayParsesAsKml22AndRoundTripsEveryPosition)
{
    ReplayTraffic(rig.station);
    ASSERT_TRUE(Export());
    EXPECT_EQ(std::tie(root->name, root->attributes["xmlns"]), std::tuple("kml", "http://www.opengis.net/kml/2.2"));
    std::set<std::string> styles;
    for (const XmlElement* s : root->First("Document")->All("Style")) styles.insert(s->attributes.at("id"));
    for (const XmlElement* p : Placemarks()) {
        const std::string url = p->First("styleUrl") ? p->First("styleUrl")->text : "";
        EXPECT_TRUE(url.size() > 1 && url[0] == '#' && styles.count(url.substr(1))) << url << " is not a style";
        EXPECT_NE(DataValue(*p, "source"), "(none)");
    }
    EXPECT_EQ(Placemarks().size(), ExpectedTraffic().size());
    for (const ExpectedFeature& e : ExpectedTraffic()) {
        const XmlElement* p = Find(e.kind, e.name);
        ASSERT_NE(p, nullptr) << e.kind << " " << e.name << " missing";
        EXPECT_EQ(std::tuple(DataValue(*p, "flight"), PartsOf(*p)), std::tuple(e.flight, e.parts)) << e.name;
    }
    // Lines follow the ground; the line over the 180th meridian is one placemark in two parts.
    const XmlElement* pacific = Find("route", "JA8089")->First("MultiGeometry");
    ASSERT_NE(pacific, nullptr);
    EXPECT_EQ(pacific->All("LineString").at(1)->First("tessellate")->text, "1");
}

// Map 1's colours, 0x00BBGGRR, become KML's aabbggrr.
TEST_F(Kml, StylesTakeMapOnesColoursFoldersGroupTheKindsAndAHiddenEstimateIsNotVisible)
{
    rig.station.map[0].Line = 0x00FF8040;    // blue FF, green 80, red 40
    rig.station.map[0].Circle = 0x000000FF;  // red
    ReplayTraffic(rig.station);
    ASSERT_TRUE(Export());
    const XmlElement* hidden = Find("oceanic-estimate", "C-FTJO")->First("visibility");
    EXPECT_EQ(hidden ? hidden->text : "(none)", "0");  // not yet at its entry time
    EXPECT_EQ(Find("aircraft", "G-EUPT")->First("visibility"), nullptr);

    std::vector<std::string> folders;
    for (const XmlElement* f : root->First("Document")->All("Folder")) folders.push_back(f->First("name")->text);
    EXPECT_EQ(folders, (std::vector<std::string>{"Aircraft", "Oceanic estimates", "Route lines", "NAT tracks",
                                                 "SBS-1 aircraft", "SBS-1 trails"}));

    std::map<std::string, std::string> colour;
    for (const XmlElement* st : root->First("Document")->All("Style")) {
        std::vector<const XmlElement*> c;
        st->Collect("color", c);
        colour[st->attributes.at("id")] = c.at(0)->text;
    }
    // The request line is half-transparent; a descending SBS-1 aircraft yellow, as the maps draw it.
    EXPECT_EQ(std::tie(colour["route"], colour["request"], colour["aircraft"], colour["sbs-descending"]),
              std::tuple("ffff8040", "80ff8040", "ff0000ff", "ff00ffff"));
}

// Markup characters become entities, bytes 0x80..0xFF their Latin-1 characters in UTF-8, CR a
// character reference, and controls XML cannot hold the replacement character (each writer's
// escaping is pinned byte by byte in encode_test.cpp; this is the binding).
TEST_F(Kml, OddBytesAreEscaped)
{
    auto a = AddAircraft(rig.station, "<A&\"B'>]]>", "-33870/151200");
    a->FNo = std::string("CAF\xC9 \x01\x1F\x7F\xFF\0", 10);
    a->ACDetails = "Boeing 767\r\n[UPS]\t";
    ASSERT_TRUE(Export());
    const XmlElement* p = Find("aircraft", "<A&\"B'>]]>");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(std::tuple(DataValue(*p, "flight"), DataValue(*p, "details"), PartsOf(*p)),
              std::tuple("CAF\u00C9 \uFFFD\uFFFD\u007F\u00FF\uFFFD", "Boeing 767\r\n[UPS]\t",
                         std::vector<Points>{{{-33870, 151200}}}));
}

TEST_F(Kml, EmptyStationIsAnEmptyDocument)
{
    ASSERT_TRUE(Export());
    EXPECT_TRUE(Placemarks().empty() && root->First("Document")->All("Folder").empty());
}

}  // namespace
}  // namespace korval::test

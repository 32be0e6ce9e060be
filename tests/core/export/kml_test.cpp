#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>

#include "export/tracks.h"
#include "export_replay.h"
#include "export_support.h"

namespace korval::test {
namespace {

std::unique_ptr<XmlElement> ReadKml(const std::string& text)
{
    std::string error;
    auto root = XmlReader(text).Read(error);
    EXPECT_NE(root, nullptr) << error << "\n" << text;
    return root;
}

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

std::vector<const XmlElement*> Placemarks(const XmlElement& root)
{
    std::vector<const XmlElement*> out;
    root.Collect("Placemark", out);
    return out;
}

const XmlElement* FindPlacemark(const XmlElement& root, const std::string& kind, const std::string& name)
{
    for (const XmlElement* p : Placemarks(root))
        if (DataValue(*p, "kind") == kind && p->First("name") && p->First("name")->text == name) return p;
    return nullptr;
}

// A placemark's geometry as parts of (latitude, longitude) in thousandths.
std::vector<Points> PartsOf(const XmlElement& placemark)
{
    std::vector<const XmlElement*> coordinates;
    placemark.Collect("coordinates", coordinates);
    std::vector<Points> parts;
    for (const XmlElement* c : coordinates) parts.push_back(KmlPositions(c->text));
    return parts;
}

TEST(Kml, ReplayParsesAsKml22AndRoundTripsEveryPosition)
{
    Rig rig;
    ReplayTraffic(rig.station);
    auto root = ReadKml(ExportKml(rig.station));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->name, "kml");
    EXPECT_EQ(root->attributes["xmlns"], "http://www.opengis.net/kml/2.2");
    std::set<std::string> styles;
    for (const XmlElement* s : root->First("Document")->All("Style")) styles.insert(s->attributes.at("id"));
    for (const XmlElement* p : Placemarks(*root)) {
        ASSERT_NE(p->First("styleUrl"), nullptr);
        const std::string url = p->First("styleUrl")->text;
        EXPECT_TRUE(url.size() > 1 && url[0] == '#' && styles.count(url.substr(1))) << url << " is not a style";
        EXPECT_NE(DataValue(*p, "source"), "(none)");
    }
    EXPECT_EQ(Placemarks(*root).size(), ExpectedTraffic().size());
    for (const ExpectedFeature& e : ExpectedTraffic()) {
        const XmlElement* p = FindPlacemark(*root, e.kind, e.name);
        ASSERT_NE(p, nullptr) << e.kind << " " << e.name << " missing";
        EXPECT_EQ(DataValue(*p, "flight"), e.flight);
        EXPECT_EQ(PartsOf(*p), e.parts) << e.kind << " " << e.name;
    }
    // Lines follow the ground; the line over the 180th meridian is one placemark in two parts.
    const XmlElement* pacific = FindPlacemark(*root, "route", "JA8089")->First("MultiGeometry");
    ASSERT_NE(pacific, nullptr);
    EXPECT_EQ(pacific->All("LineString").at(1)->First("tessellate")->text, "1");
}

// Map 1's colours, 0x00BBGGRR, become KML's aabbggrr.
TEST(Kml, StylesTakeMapOnesColoursFoldersGroupTheKindsAndAHiddenEstimateIsNotVisible)
{
    Rig rig;
    rig.station.map[0].Line = 0x00FF8040;    // blue FF, green 80, red 40
    rig.station.map[0].Circle = 0x000000FF;  // red
    ReplayTraffic(rig.station);
    auto root = ReadKml(ExportKml(rig.station));
    ASSERT_NE(root, nullptr);
    const XmlElement* hidden = FindPlacemark(*root, "oceanic-estimate", "C-FTJO")->First("visibility");
    ASSERT_NE(hidden, nullptr);
    EXPECT_EQ(hidden->text, "0");  // not yet at its entry time
    EXPECT_EQ(FindPlacemark(*root, "aircraft", "G-EUPT")->First("visibility"), nullptr);

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
    EXPECT_EQ(colour["route"], "ffff8040");
    EXPECT_EQ(colour["request"], "80ff8040");  // half-transparent
    EXPECT_EQ(colour["aircraft"], "ff0000ff");
    EXPECT_EQ(colour["sbs-descending"], "ff00ffff");  // yellow, as the maps draw it
}

// Markup characters become entities, bytes 0x80..0xFF their Latin-1 characters in UTF-8, CR a
// character reference, and controls XML cannot hold the replacement character (each writer's
// escaping is pinned byte by byte in encode_test.cpp; this is the binding).
TEST(Kml, OddBytesAreEscaped)
{
    Rig rig;
    Station& s = rig.station;
    auto a = AddAircraft(s, "<A&\"B'>]]>", "-33870/151200");
    a->FNo = std::string("CAF\xC9 \x01\x1F\x7F\xFF\0", 10);
    a->ACDetails = "Boeing 767\r\n[UPS]\t";
    auto root = ReadKml(ExportKml(s));
    ASSERT_NE(root, nullptr);
    const XmlElement* p = FindPlacemark(*root, "aircraft", "<A&\"B'>]]>");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(DataValue(*p, "flight"), "CAF\u00C9 \uFFFD\uFFFD\u007F\u00FF\uFFFD");
    EXPECT_EQ(DataValue(*p, "details"), "Boeing 767\r\n[UPS]\t");
    EXPECT_EQ(PartsOf(*p), (std::vector<Points>{{{-33870, 151200}}}));
}

TEST(Kml, EmptyStationIsAnEmptyDocument)
{
    Rig rig;
    auto root = ReadKml(ExportKml(rig.station));
    ASSERT_NE(root, nullptr);
    EXPECT_TRUE(Placemarks(*root).empty());
    EXPECT_TRUE(root->First("Document")->All("Folder").empty());
}

}  // namespace
}  // namespace korval::test

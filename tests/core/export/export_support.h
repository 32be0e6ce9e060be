#pragma once

// Readers for the exports, written independently of the writers: a GeoJSON checker over a
// parsed JSON document and a small, strict XML reader. Both say what is wrong rather than just
// failing, so a broken export names its fault.

#include <cctype>
#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace korval::test {

// ---- GeoJSON ----------------------------------------------------------------------------------

// "" when `doc` is a FeatureCollection that RFC 7946 accepts, each Feature with a properties
// object and a point or line geometry; else what is wrong. (The tests compare every position with
// the one read off the messages, which checks the coordinates and the cuts at the 180th meridian.)
inline std::string GeoJsonProblem(const nlohmann::json& doc)
{
    if (doc.value("type", "") != "FeatureCollection") return "not a FeatureCollection";
    if (doc.contains("crs")) return "\"crs\" is not GeoJSON any more";
    if (!doc.contains("features") || !doc["features"].is_array()) return "no features array";
    for (const auto& f : doc["features"]) {
        if (!f.is_object() || f.value("type", "") != "Feature") return "a member of features is not a Feature";
        if (!f.contains("properties") || !f["properties"].is_object()) return "a Feature without properties";
        const std::string type = f.contains("geometry") ? f["geometry"].value("type", "") : "";
        if (type != "Point" && type != "LineString" && type != "MultiLineString") return "geometry type " + type;
        if (!f["geometry"].contains("coordinates")) return "a geometry without coordinates";
    }
    return "";
}

// A coordinate in thousandths of a degree, as the station stores it.
inline std::int32_t Thousandths(const nlohmann::json& degrees)
{
    return static_cast<std::int32_t>(std::lround(degrees.get<double>() * 1000));
}

// ---- XML --------------------------------------------------------------------------------------

struct XmlElement {
    std::string name;
    std::map<std::string, std::string> attributes;
    std::string text;  // character data directly inside, entities resolved
    std::vector<std::unique_ptr<XmlElement>> children;

    // Direct children named `n`.
    std::vector<const XmlElement*> All(std::string_view n) const
    {
        std::vector<const XmlElement*> out;
        for (const auto& c : children)
            if (c->name == n) out.push_back(c.get());
        return out;
    }
    const XmlElement* First(std::string_view n) const
    {
        const auto all = All(n);
        return all.empty() ? nullptr : all.front();
    }
    // Every element named `n` at any depth below, in document order.
    void Collect(std::string_view n, std::vector<const XmlElement*>& out) const
    {
        for (const auto& c : children) {
            if (c->name == n) out.push_back(c.get());
            c->Collect(n, out);
        }
    }
};

// Reads a whole document strictly: valid UTF-8, the XML declaration of version 1.0 in UTF-8, one
// root element, matched tags, quoted attributes, only the five named entities and references to
// line ends, no characters XML 1.0 forbids. No comments, CDATA or processing instructions besides
// the declaration (the exports write none).
class XmlReader {
public:
    explicit XmlReader(std::string_view text) : t_(text) {}

    std::unique_ptr<XmlElement> Read(std::string& error)
    {
        try {
            try {
                (void)nlohmann::json(std::string(t_)).dump();  // refuses bytes that are not UTF-8
            } catch (const nlohmann::json::type_error&) {
                Fail("not UTF-8");
            }
            if (At("<?") && !Skip("<?xml version=\"1.0\" encoding=\"UTF-8\"?>")) Fail("another declaration");
            SkipSpace();
            auto root = Element();
            SkipSpace();
            if (i_ != t_.size()) Fail("text after the root element");
            return root;
        } catch (const std::string& e) {
            error = e + " at byte " + std::to_string(i_);
            return nullptr;
        }
    }

private:
    [[noreturn]] static void Fail(const std::string& why) { throw why; }
    static bool Space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
    bool At(std::string_view s) const { return t_.substr(i_, s.size()) == s; }
    bool Skip(std::string_view s) { return At(s) ? (i_ += s.size(), true) : false; }
    void Expect(char c)
    {
        if (!Skip(std::string_view(&c, 1))) Fail(std::string("expected '") + c + "'");
    }
    void SkipSpace()
    {
        while (i_ < t_.size() && Space(t_[i_])) ++i_;
    }
    std::string Name()
    {
        const std::size_t start = i_;
        while (i_ < t_.size() && (std::isalnum(static_cast<unsigned char>(t_[i_])) || t_[i_] == ':' || t_[i_] == '_'))
            ++i_;
        if (i_ == start || std::isdigit(static_cast<unsigned char>(t_[start]))) Fail("expected a name");
        return std::string(t_.substr(start, i_ - start));
    }

    // Character data up to `stop` ("<", or the closing quote of an attribute value), references
    // resolved. The exports refer to line ends only by number; other characters are themselves.
    std::string CharData(char stop)
    {
        static const std::map<std::string, char> known = {{"amp", '&'},   {"lt", '<'},   {"gt", '>'},   {"quot", '"'},
                                                          {"apos", '\''}, {"#9", '\t'},  {"#x9", '\t'}, {"#10", '\n'},
                                                          {"#xA", '\n'},  {"#13", '\r'}, {"#xD", '\r'}};
        std::string out;
        while (i_ < t_.size() && t_[i_] != stop) {
            const char c = t_[i_++];
            if (c == '<') Fail("'<' in an attribute value");
            if (static_cast<unsigned char>(c) < 0x20 && !Space(c)) Fail("a control character XML forbids");
            if (c == '>' && out.size() >= 2 && out.substr(out.size() - 2) == "]]") Fail("']]>' in character data");
            if (c != '&') {
                out += c;
                continue;
            }
            const std::size_t end = t_.find(';', i_);
            const auto it = known.find(std::string(t_.substr(i_, end == std::string_view::npos ? 0 : end - i_)));
            if (it == known.end()) Fail("an unknown or needless reference");
            out += it->second;
            i_ = end + 1;
        }
        return out;
    }

    std::unique_ptr<XmlElement> Element()
    {
        Expect('<');
        auto e = std::make_unique<XmlElement>();
        e->name = Name();
        for (SkipSpace(); !Skip(">"); SkipSpace()) {
            if (Skip("/>")) return e;
            std::string attr = Name();
            Expect('=');
            if (!At("\"")) Fail("attribute value not in double quotes");
            ++i_;
            const std::string value = CharData('"');
            Expect('"');
            if (!e->attributes.emplace(attr, value).second) Fail("attribute " + attr + " given twice");
        }
        for (e->text = CharData('<'); !Skip("</"); e->text += CharData('<')) {
            if (At("<!") || At("<?")) Fail("markup this reader does not take");
            if (i_ >= t_.size()) Fail("element " + e->name + " not closed");
            e->children.push_back(Element());
        }
        if (Name() != e->name) Fail("a closing tag that does not match <" + e->name + ">");
        Expect('>');
        return e;
    }

    std::string_view t_;
    std::size_t i_ = 0;
};

// Positions of a KML coordinates text ("lon,lat lon,lat"), in thousandths of a degree,
// [latitude, longitude] as the station keeps them.
inline std::vector<std::pair<std::int32_t, std::int32_t>> KmlPositions(std::string_view text)
{
    std::vector<std::pair<std::int32_t, std::int32_t>> out;
    std::istringstream in{std::string(text)};
    double lon = 0, lat = 0;
    char comma = 0;
    while (in >> lon >> comma >> lat)
        out.emplace_back(static_cast<std::int32_t>(std::lround(lat * 1000)),
                         static_cast<std::int32_t>(std::lround(lon * 1000)));
    return out;
}

}  // namespace korval::test

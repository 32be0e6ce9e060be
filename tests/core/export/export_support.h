#pragma once

// Readers for the exports, written independently of the writers: a GeoJSON checker over a
// parsed JSON document and a small, strict XML reader. Both say what is wrong rather than just
// failing, so a broken export names its fault.

#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <regex>
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

// `raw` with its references resolved; none at a reference XML does not know or the exports need
// not write (they refer to tabs and line ends only by number).
inline std::optional<std::string> Resolved(const std::string& raw)
{
    static const std::map<std::string, char> known = {{"amp", '&'},   {"lt", '<'},   {"gt", '>'},   {"quot", '"'},
                                                      {"apos", '\''}, {"#9", '\t'},  {"#x9", '\t'}, {"#10", '\n'},
                                                      {"#xA", '\n'},  {"#13", '\r'}, {"#xD", '\r'}};
    std::string out;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '&') {
            out += raw[i];
            continue;
        }
        const std::size_t end = raw.find(';', i);
        const auto it = end == std::string::npos ? known.end() : known.find(raw.substr(i + 1, end - i - 1));
        if (it == known.end()) return std::nullopt;
        out += it->second;
        i = end;
    }
    return out;
}

// Reads a whole document strictly: the XML declaration of version 1.0 in UTF-8 if any, one root
// element, matched tags, attributes in double quotes given once, only the references above. No
// comments, CDATA or processing instructions (the exports write none). Null, with what is wrong
// where in `error`, for anything else.
inline std::unique_ptr<XmlElement> ReadXml(const std::string& text, std::string& error)
{
    static const std::regex token(R"(<(/?)([A-Za-z_][\w:]*)((?:\s+[A-Za-z_][\w:]*="[^"<]*")*)\s*(/?)>|[^<]+)");
    static const std::regex attribute(R"re(([\w:]+)="([^"]*)")re");
    static const std::string declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    std::size_t at = text.rfind("<?", 0) == 0 ? declaration.size() : 0;
    auto fail = [&](const std::string& why) {
        error = why + " at byte " + std::to_string(at);
        return nullptr;
    };
    if (at != 0 && text.compare(0, at, declaration) != 0) return fail("another declaration");
    std::unique_ptr<XmlElement> root;
    std::vector<XmlElement*> open;
    for (std::smatch m; at < text.size(); at += static_cast<std::size_t>(m.length())) {
        const auto from = text.cbegin() + static_cast<std::ptrdiff_t>(at);
        if (!std::regex_search(from, text.cend(), m, token, std::regex_constants::match_continuous))
            return fail("markup this reader does not take");
        if (!m[2].matched) {  // character data
            const std::optional<std::string> data = Resolved(m.str());
            if (!data) return fail("an unknown or needless reference");
            if (!open.empty()) open.back()->text += *data;
            if (open.empty() && data->find_first_not_of(" \t\r\n") != std::string::npos) return fail("text outside");
        } else if (m[1].length() != 0) {
            if (open.empty() || open.back()->name != m.str(2)) return fail("a closing tag that does not match");
            open.pop_back();
        } else {
            auto e = std::make_unique<XmlElement>();
            e->name = m.str(2);
            const std::string attributes = m.str(3);
            for (std::sregex_iterator a(attributes.begin(), attributes.end(), attribute), end; a != end; ++a) {
                const std::optional<std::string> value = Resolved((*a).str(2));
                if (!value) return fail("an unknown or needless reference");
                if (!e->attributes.emplace((*a).str(1), *value).second) return fail("an attribute given twice");
            }
            XmlElement* element = e.get();
            if (!open.empty()) open.back()->children.push_back(std::move(e));
            if (open.empty() && root) return fail("a second root element");
            if (open.empty()) root = std::move(e);
            if (m[4].length() == 0) open.push_back(element);
        }
    }
    if (!root || !open.empty()) return fail("an element not closed");
    return root;
}

}  // namespace korval::test

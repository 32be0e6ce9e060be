#pragma once

#include <cstdio>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "maps/canvas.h"
#include "station/station.h"
#include "text/fault.h"

namespace korval::test {

// A Canvas that writes every call as one line of text ("Circle -3000 -10000 20 FF0000"),
// numbers in their shortest form and colours as six hex digits BBGGRR. The image "loads" when
// the file exists. A call can be made to raise a fault, to play a surface that failed.
class RecordingCanvas final : public Canvas {
public:
    std::vector<std::string> calls;

    std::optional<ImageLoad> loadResult;  // overrides the file check
    bool paintResult = true;
    // Raise fault `failNumber` at the `failOccurrence`-th call whose name is `failCall`.
    std::string failCall;
    int failNumber = 0;
    int failOccurrence = 1;

    float width = 6000, height = 4000;

    void SetColours(Colour fore, Colour back) override { Record("SetColours", Hex(fore), Hex(back)); }
    ImageLoad LoadImage(const std::string& path) override
    {
        Record("LoadImage", path);
        if (loadResult) return *loadResult;
        return std::filesystem::exists(path) ? ImageLoad::Ok : ImageLoad::MissingFile;
    }
    bool PaintImage(float w, float h) override
    {
        Record("PaintImage", Num(w), Num(h));
        return paintResult;
    }
    void SetOrigin(float left, float top) override { Record("SetOrigin", Num(left), Num(top)); }
    void SetDrawWidth(int pixels) override { Record("DrawWidth", Num(pixels)); }
    void SetDrawStyle(int style) override { Record("DrawStyle", Num(style)); }
    void SetFillStyle(FillStyle style) override { Record("FillStyle", Num(static_cast<int>(style))); }
    void SetFillColour(Colour colour) override { Record("FillColour", Hex(colour)); }
    void Circle(float x, float y, float radius, Colour outline) override
    {
        Record("Circle", Num(x), Num(y), Num(radius), Hex(outline));
    }
    void Line(float x1, float y1, float x2, float y2, Colour colour) override
    {
        Record("Line", Num(x1), Num(y1), Num(x2), Num(y2), Hex(colour));
    }
    void SetTextPosition(float x, float y) override { Record("TextPosition", Num(x), Num(y)); }
    void SetFontBold(bool bold) override { Record("FontBold", bold ? "1" : "0"); }
    void SetFontSize(float points) override { Record("FontSize", Num(points)); }
    void Print(const std::string& text) override { Record("Print", text); }
    float Width() const override { return width; }
    float Height() const override { return height; }

    // How many recorded calls start with `prefix`.
    int CountOf(const std::string& prefix) const
    {
        int n = 0;
        for (const auto& c : calls) n += c.rfind(prefix, 0) == 0 ? 1 : 0;
        return n;
    }

    static std::string Num(double v)
    {
        std::ostringstream o;
        o.precision(9);
        o << v;
        return o.str();
    }
    static std::string Hex(Colour c)
    {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%06X", static_cast<unsigned>(c));
        return buf;
    }

private:
    template <class... A>
    void Record(const std::string& call, const A&... args)
    {
        std::string line = call;
        ((line += ' ', line += args), ...);
        calls.push_back(line);
        if (call == failCall && --failOccurrence == 0) Raise(failNumber);
    }
};

// A map window of a given client size around a RecordingCanvas.
class RecordingView final : public MapView {
public:
    int clientWidth = 6000, clientHeight = 4000;
    bool minimised = false;
    RecordingCanvas canvas;

    int ClientWidthTwips() const override { return clientWidth; }
    int ClientHeightTwips() const override { return clientHeight; }
    bool Minimised() const override { return minimised; }
    Canvas& Surface() override { return canvas; }
};

// A map frame from its edge texts (thousandths of a degree) and image path.
inline MapConfig Frame(std::string n, std::string s, std::string e, std::string w, std::string path = {})
{
    MapConfig m;
    m.N = std::move(n);
    m.S = std::move(s);
    m.E = std::move(e);
    m.W = std::move(w);
    m.MapPath = std::move(path);
    return m;
}

}  // namespace korval::test

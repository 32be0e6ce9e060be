#include "station/links.h"

#include "text/convert.h"

namespace korval {
namespace {

struct SourceRow {
    LinkBox box;
    const char* topic;
    const char* notRunning;  // message when no server answers
};

// The decoders the DDE menu offers, with their link topics.
constexpr SourceRow kSources[] = {
    {LinkBox::AirData, "WinACARS|ACARS", "Airmaster must be running before selecting as DDE source"},
    {LinkBox::SkyData, "SkySpy|ACARS", "SkySpy must be running before selecting as DDE source"},
    {LinkBox::ANAData, "ANAD|ACARS", "AirNav ACARS Decoder must be running before selecting as DDE source"},
    {LinkBox::HFDL, "PCHFDL|HFDL", "PC-HFDL must be running before selecting as DDE source"},
    {LinkBox::HFACARSData, "PCHFDL|ACARS", "PC-HFDL must be running before selecting as DDE source"},
};

const SourceRow* RowOf(LinkBox box)
{
    for (const SourceRow& r : kSources)
        if (r.box == box) return &r;
    return nullptr;
}

const char* BoxName(LinkBox box)
{
    switch (box) {
    case LinkBox::AirData: return "AirData";
    case LinkBox::SkyData: return "SkyData";
    case LinkBox::ANAData: return "ANAData";
    case LinkBox::HFDL: return "HFDL";
    case LinkBox::HFACARSData: return "HFACARSData";
    case LinkBox::txtNewData: return "txtNewData";
    }
    return "";
}

// Links a box afresh; true when linked, false when no server answered (error 282). Other
// errors are ignored, as the link procedures have always done.
bool LinkAfresh(Station& s, LinkBox box, const std::string& topic)
{
    if (!s.links) return false;
    try {
        s.links->Unlink(box);
        s.links->Link(box, topic, "LiveData");
        return true;
    } catch (const Fault& f) {
        return f.number() != err::DdeNoAnswer;
    } catch (...) {
        return true;
    }
}

void NotRunning(Station& s, const char* message, bool& item)
{
    s.notifier().Beep();
    s.notifier().Message(message, "KORVAL", Icon::Exclamation);
    item = false;
    s.Notify(ChangeOptions);
}

void Unlink(Station& s, LinkBox box)
{
    if (!s.links) return;
    try {
        s.links->Unlink(box);
    } catch (...) {
    }
}

}  // namespace

std::string LinkTopic(const Station& s, LinkBox box)
{
    if (box == LinkBox::txtNewData) return Trim(s.dlg.txtServer) + "|" + Trim(s.dlg.txtTopic);
    const SourceRow* row = RowOf(box);
    return row ? row->topic : "";
}

bool LinkWanted(const Station& s, LinkBox box)
{
    switch (box) {
    case LinkBox::AirData: return s.opt.mnuAir;
    case LinkBox::SkyData: return s.opt.mnuSky;
    case LinkBox::ANAData: return s.opt.mnuANAD;
    case LinkBox::HFDL:
    case LinkBox::HFACARSData: return s.opt.mnuPCHFDL;
    case LinkBox::txtNewData: return s.opt.mnuNew;
    }
    return false;
}

void Link_Airmaster(Station& s)
{
    if (!LinkAfresh(s, LinkBox::AirData, LinkTopic(s, LinkBox::AirData)))
        NotRunning(s, RowOf(LinkBox::AirData)->notRunning, s.opt.mnuAir);
}

void Link_SkySpy(Station& s)
{
    if (!LinkAfresh(s, LinkBox::SkyData, LinkTopic(s, LinkBox::SkyData)))
        NotRunning(s, RowOf(LinkBox::SkyData)->notRunning, s.opt.mnuSky);
}

void Link_ANAD(Station& s)
{
    s.opt.mnuANAD = true;
    s.Notify(ChangeOptions);
    if (!LinkAfresh(s, LinkBox::ANAData, LinkTopic(s, LinkBox::ANAData)))
        NotRunning(s, RowOf(LinkBox::ANAData)->notRunning, s.opt.mnuANAD);
}

void Link_PCHFDL(Station& s)
{
    s.opt.mnuPCHFDL = true;
    s.Notify(ChangeOptions);
    bool hfdl = LinkAfresh(s, LinkBox::HFDL, LinkTopic(s, LinkBox::HFDL));
    bool acars = LinkAfresh(s, LinkBox::HFACARSData, LinkTopic(s, LinkBox::HFACARSData));
    if (!hfdl || !acars) {
        // One source program serves both topics: take both boxes down together.
        Unlink(s, LinkBox::HFDL);
        Unlink(s, LinkBox::HFACARSData);
        NotRunning(s, RowOf(LinkBox::HFDL)->notRunning, s.opt.mnuPCHFDL);
    }
}

void Link_Other(Station& s)
{
    s.opt.mnuNew = true;
    s.Notify(ChangeOptions);
    if (Trim(s.dlg.txtServer) == "Set" || Trim(s.dlg.txtTopic) == "Set") {
        Unlink(s, LinkBox::txtNewData);
        s.notifier().Beep();
        s.notifier().Message("You must set your DDE Server and Topic", "KORVAL", Icon::Exclamation);
        return;  // the item stays checked
    }
    if (!LinkAfresh(s, LinkBox::txtNewData, LinkTopic(s, LinkBox::txtNewData)))
        NotRunning(s, "Your specified DDE must be running before selecting it as DDE source", s.opt.mnuNew);
}

namespace {

void Toggle(Station& s, bool& item, void (*link)(Station&), std::initializer_list<LinkBox> boxes)
{
    if (!item) {
        item = true;
        s.Notify(ChangeOptions);
        link(s);
    } else {
        item = false;
        s.Notify(ChangeOptions);
        for (LinkBox b : boxes) Unlink(s, b);
    }
}

}  // namespace

void mnuAir_Click(Station& s) { Toggle(s, s.opt.mnuAir, Link_Airmaster, {LinkBox::AirData}); }
void mnuSky_Click(Station& s) { Toggle(s, s.opt.mnuSky, Link_SkySpy, {LinkBox::SkyData}); }
void mnuANAD_Click(Station& s) { Toggle(s, s.opt.mnuANAD, Link_ANAD, {LinkBox::ANAData}); }
void mnuPCHFDL_Click(Station& s)
{
    Toggle(s, s.opt.mnuPCHFDL, Link_PCHFDL, {LinkBox::HFDL, LinkBox::HFACARSData});
}
void mnuNew_Click(Station& s) { Toggle(s, s.opt.mnuNew, Link_Other, {LinkBox::txtNewData}); }

void RelinkSources(Station& s)
{
    if (s.opt.mnuAir) Link_Airmaster(s);
    if (s.opt.mnuSky) Link_SkySpy(s);
    if (s.opt.mnuANAD) Link_ANAD(s);
    if (s.opt.mnuPCHFDL) Link_PCHFDL(s);
    if (s.opt.mnuNew) Link_Other(s);
}

void LinkLost(Station& s, LinkBox box)
{
    s.LogFaultLine(Fault(err::DdeNoAnswer,
                         "Link to " + LinkTopic(s, box) + " lost; retrying every 10 seconds", 0),
                   std::string(BoxName(box)) + "_Change", "DDE");
}

void LinkRestored(Station& s, LinkBox box)
{
    s.LogFaultLine(Fault(0, "Link to " + LinkTopic(s, box) + " restored", 0),
                   std::string(BoxName(box)) + "_Change", "DDE");
}

}  // namespace korval

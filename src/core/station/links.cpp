#include "station/links.h"

#include "text/convert.h"

namespace korval {
namespace {

struct SourceRow {
    LinkBox box;
    const char* name;        // the box
    const char* source;      // the source as the DDE menu names it
    const char* topic;       // "" for txtNewData, whose topic the dialog sets
    const char* notRunning;  // message when no server answers
};

// The decoders the DDE menu offers, with their link topics.
constexpr SourceRow kSources[] = {
    {LinkBox::AirData, "AirData", "Airmaster/JACARS", "WinACARS|ACARS",
     "Airmaster must be running before selecting as DDE source"},
    {LinkBox::SkyData, "SkyData", "SkySpy/ACARSD", "SkySpy|ACARS",
     "SkySpy must be running before selecting as DDE source"},
    {LinkBox::ANAData, "ANAData", "AirNav ACARS Decoder", "ANAD|ACARS",
     "AirNav ACARS Decoder must be running before selecting as DDE source"},
    {LinkBox::HFDL, "HFDL", "PC-HFDL HFDL", "PCHFDL|HFDL", "PC-HFDL must be running before selecting as DDE source"},
    {LinkBox::HFACARSData, "HFACARSData", "PC-HFDL ACARS", "PCHFDL|ACARS",
     "PC-HFDL must be running before selecting as DDE source"},
    {LinkBox::txtNewData, "txtNewData", "Other", "",
     "Your specified DDE must be running before selecting it as DDE source"},
};

const SourceRow& RowOf(LinkBox box)
{
    for (const SourceRow& r : kSources)
        if (r.box == box) return r;
    return kSources[0];  // every box has a row
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

void Unlink(Station& s, LinkBox box)
{
    if (!s.links) return;
    try {
        s.links->Unlink(box);
    } catch (...) {
    }
}

// When the link procedure runs: the user chose the source, or the start-up relinks it.
enum class When { Chosen, AtStart };

// No server answered. Chosen by the user: the message and the item unchecked. At start-up the
// source may simply not be up yet: the message once, an error-log line, the item kept checked
// and the boxes left waiting for the source.
void NotRunning(Station& s, When when, const char* procedure, bool& item, std::initializer_list<LinkBox> boxes)
{
    const SourceRow& row = RowOf(*boxes.begin());
    s.notifier().Beep();
    s.notifier().Message(row.notRunning, "KORVAL", Icon::Exclamation);
    if (when == When::Chosen || !s.links) {
        item = false;
        s.Notify(ChangeOptions);
        return;
    }
    for (LinkBox b : boxes) {
        s.LogFaultLine(Fault(err::DdeNoAnswer,
                             "Link to " + LinkTopic(s, b) + " not answering at start; retrying every 10 seconds", 0),
                       procedure, "ACARS");
        try {
            s.links->LinkLater(b, LinkTopic(s, b), "LiveData");
        } catch (...) {
            // A topic that can never be linked (a malformed name) is not waited for; the item
            // stays as the user left it.
        }
    }
}

void LinkOne(Station& s, When when, LinkBox box, const char* procedure, bool& item)
{
    if (!LinkAfresh(s, box, LinkTopic(s, box))) NotRunning(s, when, procedure, item, {box});
}

void LinkPCHFDL(Station& s, When when)
{
    s.opt.mnuPCHFDL = true;
    s.Notify(ChangeOptions);
    bool hfdl = LinkAfresh(s, LinkBox::HFDL, LinkTopic(s, LinkBox::HFDL));
    bool acars = LinkAfresh(s, LinkBox::HFACARSData, LinkTopic(s, LinkBox::HFACARSData));
    if (!hfdl || !acars) {
        // One source program serves both topics: take both boxes down together.
        Unlink(s, LinkBox::HFDL);
        Unlink(s, LinkBox::HFACARSData);
        NotRunning(s, when, "Link_PCHFDL", s.opt.mnuPCHFDL, {LinkBox::HFDL, LinkBox::HFACARSData});
    }
}

void LinkOther(Station& s, When when)
{
    s.opt.mnuNew = true;
    s.Notify(ChangeOptions);
    if (Trim(s.dlg.txtServer) == "Set" || Trim(s.dlg.txtTopic) == "Set") {
        Unlink(s, LinkBox::txtNewData);
        s.notifier().Beep();
        s.notifier().Message("You must set your DDE Server and Topic", "KORVAL", Icon::Exclamation);
        return;  // the item stays checked
    }
    LinkOne(s, when, LinkBox::txtNewData, "Link_Other", s.opt.mnuNew);
}

}  // namespace

const char* BoxName(LinkBox box)
{
    return RowOf(box).name;
}

const char* SourceName(LinkBox box)
{
    return RowOf(box).source;
}

std::string LinkTopic(const Station& s, LinkBox box)
{
    if (box == LinkBox::txtNewData) return Trim(s.dlg.txtServer) + "|" + Trim(s.dlg.txtTopic);
    return RowOf(box).topic;
}

bool LinkWanted(const Station& s, LinkBox box)
{
    switch (box) {
        case LinkBox::AirData:
            return s.opt.mnuAir;
        case LinkBox::SkyData:
            return s.opt.mnuSky;
        case LinkBox::ANAData:
            return s.opt.mnuANAD;
        case LinkBox::HFDL:
        case LinkBox::HFACARSData:
            return s.opt.mnuPCHFDL;
        case LinkBox::txtNewData:
            return s.opt.mnuNew;
    }
    return false;
}

void Link_Airmaster(Station& s)
{
    LinkOne(s, When::Chosen, LinkBox::AirData, "Link_Airmaster", s.opt.mnuAir);
}

void Link_SkySpy(Station& s)
{
    LinkOne(s, When::Chosen, LinkBox::SkyData, "Link_SkySpy", s.opt.mnuSky);
}

void Link_ANAD(Station& s)
{
    s.opt.mnuANAD = true;
    s.Notify(ChangeOptions);
    LinkOne(s, When::Chosen, LinkBox::ANAData, "Link_ANAD", s.opt.mnuANAD);
}

void Link_PCHFDL(Station& s)
{
    LinkPCHFDL(s, When::Chosen);
}

void Link_Other(Station& s)
{
    LinkOther(s, When::Chosen);
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

void mnuAir_Click(Station& s)
{
    Toggle(s, s.opt.mnuAir, Link_Airmaster, {LinkBox::AirData});
}
void mnuSky_Click(Station& s)
{
    Toggle(s, s.opt.mnuSky, Link_SkySpy, {LinkBox::SkyData});
}
void mnuANAD_Click(Station& s)
{
    Toggle(s, s.opt.mnuANAD, Link_ANAD, {LinkBox::ANAData});
}
void mnuPCHFDL_Click(Station& s)
{
    Toggle(s, s.opt.mnuPCHFDL, Link_PCHFDL, {LinkBox::HFDL, LinkBox::HFACARSData});
}
void mnuNew_Click(Station& s)
{
    Toggle(s, s.opt.mnuNew, Link_Other, {LinkBox::txtNewData});
}

void RelinkSources(Station& s)
{
    if (s.opt.mnuAir) LinkOne(s, When::AtStart, LinkBox::AirData, "Link_Airmaster", s.opt.mnuAir);
    if (s.opt.mnuSky) LinkOne(s, When::AtStart, LinkBox::SkyData, "Link_SkySpy", s.opt.mnuSky);
    if (s.opt.mnuANAD) LinkOne(s, When::AtStart, LinkBox::ANAData, "Link_ANAD", s.opt.mnuANAD);
    if (s.opt.mnuPCHFDL) LinkPCHFDL(s, When::AtStart);
    if (s.opt.mnuNew) LinkOther(s, When::AtStart);
}

void LinkLost(Station& s, LinkBox box)
{
    s.LogFaultLine(Fault(err::DdeNoAnswer, "Link to " + LinkTopic(s, box) + " lost; retrying every 10 seconds", 0),
                   std::string(BoxName(box)) + "_Change", "DDE");
}

void LinkRestored(Station& s, LinkBox box)
{
    s.LogFaultLine(Fault(0, "Link to " + LinkTopic(s, box) + " restored", 0), std::string(BoxName(box)) + "_Change",
                   "DDE");
}

std::string LinkEventLine(const Station& s, LinkBox box, LinkEvent event)
{
    const char* what = event == LinkEvent::Made ? "made" : event == LinkEvent::Lost ? "lost" : "restored";
    std::string line = std::string("link ") + what + ": " + SourceName(box) + " (" + LinkTopic(s, box) + ")";
    if (event == LinkEvent::Lost) line += "; retrying every 10 seconds";
    return line;
}

}  // namespace korval

// The station's Qt host in-process: a decoder and a listener over a private socket folder.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e_support.h"
#include "link/client.h"
#include "link/server.h"
#include "station/links.h"
#include "station_host.h"

namespace korval::e2e {
namespace {

using app::StationHost;
using korval::test::PrintTo;

struct Value {
    std::string item, value;
    bool operator==(const Value&) const = default;
};

class HostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        decoder.SetFolder(folder);
        decoder.AddItem("LiveData");
        ASSERT_TRUE(decoder.Listen("WinACARS|ACARS")) << decoder.LastReason();
        rig.home.Write("KORVAL.ini", Ini({"KORVAL/Airmaster=True"}));
        host.SetFolder(folder);
        host.Port().SetRetryInterval(kRetry);
        // What the station set, in order: the sequence a listener must receive.
        rig.station.Subscribe([this](ChangeFlags what) {
            if (what & ChangeLiveData) set.push_back(rig.station.box.LiveData.Text);
        });
        host.StartHeadless();
        ASSERT_TRUE(RunUntil([&] { return decoder.AdvisedCount("LiveData") == 1; }));

        listener.SetFolder(folder);
        listener.OnValue([this](std::string_view item, std::string_view value) {
            received.push_back({std::string(item), std::string(value)});
        });
        listener.Link("KORVAL|ACARS", "LiveData");
        ASSERT_TRUE(RunUntil([&] { return host.Server().Server().AdvisedCount("LiveData") == 1; }));
    }

    void Publish(const std::string& text)
    {
        decoder.SetValue("LiveData", text);
        decoder.Flush();
    }

    std::vector<std::string> LiveValues() const
    {
        std::vector<std::string> v;
        for (const Value& r : received)
            if (r.item == "LiveData") v.push_back(r.value);
        return v;
    }

    std::string ErrorLog() const { return rig.home.Read("Logs/ErrorLog .txt"); }

    static constexpr std::chrono::milliseconds kRetry{150};
    test::Rig rig;
    std::filesystem::path folder = rig.home.path() / "run";
    link::LinkServer decoder;
    StationHost host{rig.station, [this](const std::string& line) { hostLog.push_back(line); }};
    link::LinkClient listener;
    std::vector<Value> received;
    std::vector<std::string> set;
    std::vector<std::string> hostLog;
};

TEST_F(HostTest, StartUpLinksTheCheckedSourceAndRunsTheClockOnce)
{
    EXPECT_TRUE(rig.station.opt.mnuAir);
    EXPECT_TRUE(host.Port().Client(LinkBox::AirData).IsConnected());
    EXPECT_FALSE(host.Port().Client(LinkBox::SkyData).IsLinked());
    EXPECT_EQ(rig.station.box.labUTC, "UTC: 1200");
    EXPECT_TRUE(rig.notes.messages.empty());
}

TEST_F(HostTest, EveryLiveDataSetIsPublishedInOrderEvenWhenTheTextRepeats)
{
    const std::string same = Message("FREE TEXT ONE");
    const std::vector<std::string> corpus = {same, same, Message("FREE TEXT TWO", "M02A"), same};
    for (const std::string& m : corpus) Publish(m);
    EXPECT_TRUE(RunUntil([&] { return set.size() >= corpus.size() && LiveValues() == set; }));
    EXPECT_EQ(LiveValues(), set);
    ASSERT_GE(set.size(), 2u);
    EXPECT_EQ(set[0], set[1]);  // the same text, published twice
}

TEST_F(HostTest, TheOtherItemsArePublishedWhenTheirBoxesChange)
{
    for (const char* item : {"Aircraft", "Flight", "txtCount", "txtOCA"}) listener.Advise(item);
    ASSERT_TRUE(RunUntil([&] { return host.Server().Server().AdvisedCount("txtOCA") == 1; }));
    const std::vector<std::string> corpus = CorpusTexts(60);
    std::vector<std::string> changes[4];
    const std::string* boxes[4] = {&rig.station.box.Aircraft.Text, &rig.station.box.Flight.Text,
                                   &rig.station.box.txtCount.Text, &rig.station.box.txtOCA.Text};
    std::string last[4] = {*boxes[0], *boxes[1], *boxes[2], *boxes[3]};
    rig.station.Subscribe([&](ChangeFlags) {
        for (int i = 0; i < 4; ++i) {
            if (*boxes[i] != last[i]) changes[i].push_back(last[i] = *boxes[i]);
        }
    });
    for (const std::string& text : corpus) Publish(text);
    const char* names[4] = {"Aircraft", "Flight", "txtCount", "txtOCA"};
    auto got = [&](int i) {
        std::vector<std::string> values;
        for (const Value& r : received)
            if (r.item == names[i]) values.push_back(r.value);
        return values;
    };
    EXPECT_TRUE(RunUntil([&] {
        bool all = set.size() >= corpus.size();
        for (int i = 0; i < 4 && all; ++i) all = got(i) == changes[i];
        return all;
    }));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(got(i), changes[i]) << names[i];
    EXPECT_FALSE(changes[2].empty()) << "the corpus has counted messages";
}

struct UncheckCase {
    const char* name;
    bool throughTheMenu;  // else the option is cleared with the link still there
};

class HostUncheck : public HostTest, public ::testing::WithParamInterface<UncheckCase> {};

TEST_P(HostUncheck, AnUncheckedSourceIsNotLinkedAgain)
{
    // SkySpy, checked, is the witness: when it has been linked again twice, the retries have run.
    link::LinkServer skyspy;
    skyspy.SetFolder(folder);
    skyspy.AddItem("LiveData");
    ASSERT_TRUE(skyspy.Listen("SkySpy|ACARS")) << skyspy.LastReason();
    mnuSky_Click(rig.station);
    ASSERT_TRUE(RunUntil([&] { return skyspy.AdvisedCount("LiveData") == 1; }));
    if (GetParam().throughTheMenu) {
        mnuAir_Click(rig.station);
    } else {
        rig.station.opt.mnuAir = false;
    }
    decoder.Close();
    ASSERT_TRUE(decoder.Listen("WinACARS|ACARS")) << decoder.LastReason();
    for (int round = 0; round < 2; ++round) {
        skyspy.Close();
        ASSERT_TRUE(skyspy.Listen("SkySpy|ACARS")) << skyspy.LastReason();
        ASSERT_TRUE(RunUntil([&] { return skyspy.AdvisedCount("LiveData") == 1; })) << ErrorLog();
    }
    EXPECT_EQ(decoder.AdvisedCount("LiveData"), 0);
    EXPECT_FALSE(host.Port().Client(LinkBox::AirData).IsLinked());
    EXPECT_EQ(ErrorLog().find("Link to WinACARS|ACARS restored"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Host, HostUncheck,
                         ::testing::Values(UncheckCase{"throughTheMenu", true}, UncheckCase{"optionCleared", false}),
                         test::CaseName());

TEST_F(HostTest, AValueOverTheLinkLimitIsLoggedAndTheNextOneStillGoesOut)
{
    rig.station.box.LiveData.Text.assign(2 * 1024 * 1024, 'x');
    rig.station.Notify(ChangeLiveData);
    EXPECT_NE(ErrorLog().find("in procedure LiveData_LinkNotify of Module ACARS"), std::string::npos);

    Publish(Message("NEXT ONE"));
    ASSERT_TRUE(RunUntil([&] { return !received.empty(); }));
    EXPECT_NE(received.back().value.find("NEXT ONE"), std::string::npos);
    for (const Value& r : received) EXPECT_LT(r.value.size(), 1024u * 1024u);
}

TEST_F(HostTest, AServerWithoutTheItemIsWrittenToTheErrorLog)
{
    link::LinkServer itemless;
    itemless.SetFolder(folder);
    ASSERT_TRUE(itemless.Listen("SkySpy|ACARS")) << itemless.LastReason();
    mnuSky_Click(rig.station);
    EXPECT_TRUE(rig.station.opt.mnuSky);
    EXPECT_TRUE(RunUntil([&] {
        return ErrorLog().find(
                   "(Link to SkySpy|ACARS refused: unknown item LiveData) at line 0 in procedure "
                   "SkyData_Change of Module DDE") != std::string::npos;
    })) << ErrorLog();
}

// A source that is not up when the station starts is waited for. The operator's lines say
// when its link is made, lost and restored, and every status interval what passed.
TEST(HostReport, ASourceUpAfterTheStartIsLinkedAndItsLinkAndTrafficAreReported)
{
    test::Rig rig;
    const std::filesystem::path folder = rig.home.path() / "run";
    rig.home.Write("KORVAL.ini", Ini({"KORVAL/Airmaster=True"}));
    std::vector<std::string> lines;
    StationHost host(rig.station, nullptr);
    host.SetFolder(folder);
    host.Port().SetRetryInterval(std::chrono::milliseconds(150));
    host.ReportTo([&](const std::string& line) { lines.push_back(line); }, true);
    host.SetStatusInterval(std::chrono::milliseconds(300));
    host.StartHeadless();
    EXPECT_TRUE(rig.station.opt.mnuAir);
    ASSERT_EQ(rig.notes.messages.size(), 1u);
    EXPECT_TRUE(host.Port().Client(LinkBox::AirData).IsLinked());

    link::LinkServer decoder;
    decoder.SetFolder(folder);
    decoder.AddItem("LiveData");
    ASSERT_TRUE(decoder.Listen("WinACARS|ACARS")) << decoder.LastReason();
    ASSERT_TRUE(RunUntil([&] { return decoder.AdvisedCount("LiveData") == 1; }));
    decoder.SetValue("LiveData", Message("HELLO FROM A LATE DECODER"));
    decoder.Flush();
    ASSERT_TRUE(RunUntil([&] { return rig.station.traffic.received[BoxIndex(LinkBox::AirData)] == 1; }));
    decoder.Close();
    ASSERT_TRUE(RunUntil([&] { return decoder.Listen("WinACARS|ACARS"); }));
    ASSERT_TRUE(RunUntil([&] { return decoder.AdvisedCount("LiveData") == 1; }));

    auto has = [&](const std::string& text) {
        for (const std::string& l : lines)
            if (l.find(text) != std::string::npos) return true;
        return false;
    };
    ASSERT_TRUE(RunUntil([&] { return has("link restored:"); }));
    ASSERT_TRUE(RunUntil([&] { return has("last 300 ms: Airmaster/JACARS 1 received, 0 counted"); }));
    std::vector<std::string> links;
    for (const std::string& l : lines)
        if (l.find(" link ") != std::string::npos) links.push_back(l);
    EXPECT_EQ(links, (std::vector<std::string>{
                         "12:00:00 UTC link made: Airmaster/JACARS (WinACARS|ACARS)",
                         "12:00:00 UTC link lost: Airmaster/JACARS (WinACARS|ACARS); retrying every 10 seconds",
                         "12:00:00 UTC link restored: Airmaster/JACARS (WinACARS|ACARS)"}));
    EXPECT_EQ(rig.notes.messages.size(), 1u);  // told once, at the start
    EXPECT_TRUE(rig.station.opt.mnuAir);
}

TEST(HostServer, ASecondServerOfTheTopicIsRefusedAndSaysWhy)
{
    test::Rig rig;
    const std::filesystem::path folder = rig.home.path() / "run";
    std::vector<std::string> log;
    app::StationServer first(rig.station, nullptr);
    app::StationServer second(rig.station, [&](const std::string& line) { log.push_back(line); });
    first.SetFolder(folder);
    second.SetFolder(folder);
    ASSERT_TRUE(first.Start());
    EXPECT_FALSE(second.Start());
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].find("cannot serve KORVAL|ACARS"), std::string::npos) << log[0];
}

}  // namespace
}  // namespace korval::e2e

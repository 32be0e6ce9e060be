// The station's Qt host in-process: a decoder and a listener over a private socket folder.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
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

class HostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        rig.home.Write("KORVAL.ini", Settings());
        host.SetFolder(folder);
        host.Port().SetRetryInterval(150ms);
        decoder.SetFolder(folder);
        decoder.AddItem("LiveData");
        listener.SetFolder(folder);
        listener.OnValue(
            [this](std::string_view item, std::string_view value) { received[std::string(item)].emplace_back(value); });
    }

    // The decoder up, the station started and linked to it, and the listener linked to the station.
    void StartLinked()
    {
        ASSERT_TRUE(decoder.Listen("WinACARS|ACARS")) << decoder.LastReason();
        host.StartHeadless();
        ASSERT_TRUE(RunUntil([&] { return decoder.AdvisedCount("LiveData") == 1; }));
        listener.Link("KORVAL|ACARS", "LiveData");
        ASSERT_TRUE(RunUntil([&] { return host.Server().Server().AdvisedCount("LiveData") == 1; }));
    }

    void Publish(const std::string& text)
    {
        decoder.SetValue("LiveData", text);
        decoder.Flush();
    }

    std::string ErrorLog() const { return rig.home.Read("Logs/ErrorLog .txt"); }

    test::Rig rig;
    std::filesystem::path folder = rig.home.path() / "run";
    link::LinkServer decoder;
    StationHost host{rig.station, nullptr};
    link::LinkClient listener;
    std::map<std::string, std::vector<std::string>> received;  // the values of each item, in order
};

TEST_F(HostTest, EveryLiveDataSetAndEveryChangeOfTheOtherItemsIsPublishedInOrder)
{
    ASSERT_NO_FATAL_FAILURE(StartLinked());
    const char* items[] = {"Aircraft", "Flight", "txtCount", "txtOCA"};
    for (const char* item : items) listener.Advise(item);
    ASSERT_TRUE(RunUntil([&] { return host.Server().Server().AdvisedCount("txtOCA") == 1; }));
    MainBoxes& b = rig.station.box;
    const std::string* boxes[] = {&b.Aircraft.Text, &b.Flight.Text, &b.txtCount.Text, &b.txtOCA.Text};
    // What the station set: every LiveData, the other boxes when their text changes.
    std::map<std::string, std::vector<std::string>> set;
    std::string last[] = {*boxes[0], *boxes[1], *boxes[2], *boxes[3]};
    rig.station.Subscribe([&](ChangeFlags what) {
        if (what & ChangeLiveData) set["LiveData"].push_back(b.LiveData.Text);
        for (int i = 0; i < 4; ++i)
            if (*boxes[i] != last[i]) set[items[i]].push_back(last[i] = *boxes[i]);
    });
    // The corpus, then one text three times: a text that repeats is a new value each time.
    std::vector<std::string> texts = CorpusTexts(60);
    texts.insert(texts.end(), 3, Message("FREE TEXT"));
    for (const std::string& text : texts) Publish(text);
    EXPECT_TRUE(RunUntil([&] { return set["LiveData"].size() >= texts.size() && received == set; }));
    EXPECT_EQ(received, set);
    EXPECT_FALSE(set["txtCount"].empty()) << "the corpus has counted messages";
}

// A source the user no longer wants is not linked again when its link is lost.
TEST_F(HostTest, AnUncheckedSourceIsNotLinkedAgain)
{
    ASSERT_NO_FATAL_FAILURE(StartLinked());
    // SkySpy, checked, is the witness: when it has been linked again twice, the retries have run.
    link::LinkServer skyspy;
    skyspy.SetFolder(folder);
    skyspy.AddItem("LiveData");
    ASSERT_TRUE(skyspy.Listen("SkySpy|ACARS")) << skyspy.LastReason();
    mnuSky_Click(rig.station);
    ASSERT_TRUE(RunUntil([&] { return skyspy.AdvisedCount("LiveData") == 1; }));
    rig.station.opt.mnuAir = false;  // with the link still there
    decoder.Close();
    ASSERT_TRUE(decoder.Listen("WinACARS|ACARS")) << decoder.LastReason();
    for (int round = 0; round < 2; ++round) {
        skyspy.Close();
        ASSERT_TRUE(skyspy.Listen("SkySpy|ACARS")) << skyspy.LastReason();
        ASSERT_TRUE(RunUntil([&] { return skyspy.AdvisedCount("LiveData") == 1; })) << ErrorLog();
    }
    EXPECT_EQ(decoder.AdvisedCount("LiveData"), 0);
}

// A value over the link limit is logged and the next one still goes out; a server without the
// item is written to the error log, and a second server of the topic is refused and says why.
TEST_F(HostTest, RefusalsAreLoggedAndTheStationGoesOn)
{
    ASSERT_NO_FATAL_FAILURE(StartLinked());
    rig.station.box.LiveData.Text.assign(2 * 1024 * 1024, 'x');
    rig.station.Notify(ChangeLiveData);
    EXPECT_NE(ErrorLog().find("in procedure LiveData_LinkNotify of Module ACARS"), std::string::npos);
    Publish(Message("NEXT ONE"));
    ASSERT_TRUE(RunUntil([&] { return !received["LiveData"].empty(); }));
    EXPECT_NE(received["LiveData"].back().find("NEXT ONE"), std::string::npos);
    for (const std::string& value : received["LiveData"]) EXPECT_LT(value.size(), 1024u * 1024u);

    link::LinkServer itemless;
    itemless.SetFolder(folder);
    ASSERT_TRUE(itemless.Listen("SkySpy|ACARS")) << itemless.LastReason();
    mnuSky_Click(rig.station);
    EXPECT_TRUE(RunUntil([&] {
        return ErrorLog().find(
                   "(Link to SkySpy|ACARS refused: unknown item LiveData) at line 0 in procedure "
                   "SkyData_Change of Module DDE") != std::string::npos;
    })) << ErrorLog();

    std::vector<std::string> log;  // a second server of the station's topic
    app::StationServer second(rig.station, [&](const std::string& line) { log.push_back(line); });
    second.SetFolder(folder);
    EXPECT_FALSE(second.Start());
    EXPECT_EQ(log.size(), 1u);
    EXPECT_NE(log.at(0).find("cannot serve KORVAL|ACARS"), std::string::npos) << log.at(0);
}

// A source that is not up when the station starts is waited for. The operator's lines say
// when its link is made, lost and restored, and every status interval what passed.
TEST_F(HostTest, ASourceUpAfterTheStartIsLinkedAndItsLinkAndTrafficAreReported)
{
    std::vector<std::string> links, status;  // the operator's lines
    host.ReportTo([&](const std::string& l) { (l.find(" link ") != std::string::npos ? links : status).push_back(l); },
                  true);
    host.SetStatusInterval(300ms);
    host.StartHeadless();
    ASSERT_TRUE(decoder.Listen("WinACARS|ACARS")) << decoder.LastReason();
    ASSERT_TRUE(RunUntil([&] { return decoder.AdvisedCount("LiveData") == 1; }));
    Publish(Message("HELLO FROM A LATE DECODER"));
    ASSERT_TRUE(RunUntil([&] { return rig.station.traffic.received[BoxIndex(LinkBox::AirData)] == 1; }));
    decoder.Close();
    ASSERT_TRUE(RunUntil([&] { return decoder.Listen("WinACARS|ACARS"); }));
    ASSERT_TRUE(RunUntil([&] { return links.size() == 3; }));
    ASSERT_TRUE(RunUntil([&] {
        return std::ranges::any_of(status, [](const std::string& l) {
            return l.find("last 300 ms: Airmaster/JACARS 1 received, 0 counted") != std::string::npos;
        });
    }));
    EXPECT_EQ(links, (std::vector<std::string>{
                         "12:00:00 UTC link made: Airmaster/JACARS (WinACARS|ACARS)",
                         "12:00:00 UTC link lost: Airmaster/JACARS (WinACARS|ACARS); retrying every 10 seconds",
                         "12:00:00 UTC link restored: Airmaster/JACARS (WinACARS|ACARS)"}));
}

}  // namespace
}  // namespace korval::e2e

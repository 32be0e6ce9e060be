// What the page is told besides the maps: messages with their colours, counts, clock, aircraft.

#include "web/web_feed.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <QJsonArray>
#include <QJsonDocument>

#include "test_support.h"

namespace korval::web {
namespace {

using korval::test::PrintTo;
class FeedTest : public ::testing::Test {
protected:
    // A value of LiveData as the message chain sets it: colours first, then the text.
    void Live(const std::string& text, std::uint32_t fore = colour::WindowText, std::uint32_t back = colour::PaleYellow)
    {
        s.box.LiveData.ForeColor = fore;
        s.box.LiveData.BackColor = back;
        s.box.LiveData.Text = text;
        s.Notify(ChangeLiveData);
    }
    static QString FirstLiveText(Feed& feed)
    {
        const QJsonArray live = feed.Take(false).value(QStringLiteral("live")).toArray();
        return live.first().toObject().value(QStringLiteral("text")).toString();
    }
    static std::string Json(const QJsonValue& v)
    {
        const QJsonDocument d = v.isArray() ? QJsonDocument(v.toArray()) : QJsonDocument(v.toObject());
        return d.toJson(QJsonDocument::Compact).toStdString();
    }
    static QJsonObject Row(const QJsonObject& m, const QString& id)
    {
        for (const QJsonValue& v : m.value(QStringLiteral("aircraft")).toArray())
            if (v.toObject().value(QStringLiteral("id")).toString() == id) return v.toObject();
        return {};
    }

    test::Rig rig;
    Station& s = rig.station;
};

TEST_F(FeedTest, MessagesKeepTheirColoursAndArriveOnceEach)
{
    Feed feed(s);
    int dirty = 0;
    feed.OnDirty([&] { ++dirty; });
    Live("FIRST");
    Live("COUNTED", colour::White, colour::Navy);
    Live("OCEANIC", colour::White, colour::Green);
    EXPECT_EQ(dirty, 1);  // one call until the next Take

    const QJsonObject update = feed.Take(false);
    EXPECT_EQ(update.value(QStringLiteral("t")).toString(), QStringLiteral("update"));
    // Colours as the main window paints them: 0x00BBGGRR, WindowText the classic black.
    EXPECT_EQ(Json(update.value(QStringLiteral("live"))),
              R"([{"bg":"#ffffc0","fg":"#000000","n":1,"text":"FIRST","utc":"12:00:00"},)"
              R"({"bg":"#000080","fg":"#ffffff","n":2,"text":"COUNTED","utc":"12:00:00"},)"
              R"({"bg":"#00c000","fg":"#ffffff","n":3,"text":"OCEANIC","utc":"12:00:00"}])");
    EXPECT_TRUE(feed.Take(false).isEmpty());  // nothing new
    Live("NEXT");
    EXPECT_EQ(dirty, 2);
    EXPECT_EQ(feed.Take(false).value(QStringLiteral("live")).toArray().size(), 1);
    EXPECT_EQ(feed.LiveSeen(), 4u);
}

TEST_F(FeedTest, AGreetingHasTheLastFiveHundredAndABurstLosesNothing)
{
    Feed feed(s);
    for (int i = 1; i <= 1200; ++i) Live("M" + std::to_string(i));
    const QJsonArray burst = feed.Take(false).value(QStringLiteral("live")).toArray();
    ASSERT_EQ(burst.size(), 1200);  // everything since the last look, however many
    EXPECT_EQ(burst.last().toObject().value(QStringLiteral("text")).toString(), QStringLiteral("M1200"));

    const QJsonArray recent = feed.Hello().value(QStringLiteral("live")).toArray();
    ASSERT_EQ(recent.size(), 500);
    EXPECT_EQ(recent.first().toObject().value(QStringLiteral("text")).toString(), QStringLiteral("M701"));
    EXPECT_EQ(recent.last().toObject().value(QStringLiteral("text")).toString(), QStringLiteral("M1200"));
}

TEST_F(FeedTest, BytesAreShownOneCharacterEachAndALongMessageCut)
{
    Feed feed(s);
    Live(std::string("A\xB0\x42\x01", 4));  // A, the degree sign, B, a control byte
    EXPECT_EQ(FirstLiveText(feed), QString::fromUtf8("A\u00B0B\u0001"));
    const std::string text(Feed::kLiveShownBytes + 10, 'X');
    Live(text);
    EXPECT_TRUE(FirstLiveText(feed).endsWith(QStringLiteral("X\n[10 more bytes not shown]")));
    EXPECT_EQ(s.box.LiveData.Text.size(), text.size());
}

TEST_F(FeedTest, CountsAndClockGoTogetherWhenOneChanges)
{
    Feed feed(s);
    s.box.txtCount.Text = "41";
    s.box.txtOCA.Text = "7";
    s.box.labUTC = "UTC: 1234";
    s.Notify(ChangeClock);
    EXPECT_EQ(Json(feed.Take(false)), R"({"count":"41","oca":"7","t":"update","utc":"UTC: 1234"})");
}

TEST_F(FeedTest, TheTableIsPacedByTheCallerAndSaysWhenAMessageLastMovedAnAircraft)
{
    test::AddAircraft(s, "G-AAAA", "51234/-010500");
    Feed feed(s);
    rig.clock.SetUtcTime(12, 5, 30);
    auto moved = test::AddAircraft(s, "G-BBBB", "50000/2000");
    Live("POSITION OF G-BBBB");
    EXPECT_FALSE(feed.Take(false).contains(QStringLiteral("aircraft")));  // not yet: the caller paces it
    EXPECT_TRUE(feed.AircraftChanged());
    QJsonObject m = feed.Take(true);
    EXPECT_FALSE(feed.AircraftChanged());
    EXPECT_EQ(m.value(QStringLiteral("aircraft")).toArray().size(), 2);

    // G-AAAA was seen when the feed began.
    EXPECT_EQ(Json(Row(m, QStringLiteral("G-AAAA"))),
              R"({"flight":"FNG-AAAA","id":"G-AAAA","kind":"ACARS","lat":51.234,"lon":-10.5,"oceanic":"",)"
              R"("pos":"51.234N 010.500W","source":"","time":"12:00:00"})");
    EXPECT_EQ(Row(m, QStringLiteral("G-BBBB")).value(QStringLiteral("time")).toString(), QStringLiteral("12:05:30"));

    // The oceanic estimate moves an aircraft without a message: no new report time.
    rig.clock.SetUtcTime(12, 6, 0);
    moved->NewLocation = "50100/2100";
    moved->Oceanic = true;
    moved->NextTime = "1215";
    moved->WayList = std::vector<std::string>{"50000/2000,1200", "51000/-10000,1215"};
    moved->WayIndex = 1;
    s.Notify(ChangeMaps);
    const QJsonObject b = Row(feed.Take(true), QStringLiteral("G-BBBB"));
    EXPECT_EQ(b.value(QStringLiteral("time")).toString(), QStringLiteral("12:05:30"));
    EXPECT_EQ(b.value(QStringLiteral("oceanic")).toString(),
              QStringLiteral("estimated, next 51.000N 010.000W at 1215 (M080 F350)"));
}

TEST_F(FeedTest, SbsTracksAreListedWithTheirOwnKind)
{
    auto sbs = std::make_shared<SBSAircraft>();
    sbs->ID = "4CA123";
    sbs->NewPosition = "nonsense";
    s.SBSAircraftCol.Add(sbs, sbs->ID);
    Feed feed(s);
    // The position is shown as it is, with no coordinates.
    EXPECT_EQ(Json(Row(feed.Hello(), QStringLiteral("4CA123"))),
              R"({"flight":"","id":"4CA123","kind":"SBS-1","lat":null,"lon":null,"oceanic":"","pos":"nonsense",)"
              R"("source":"","time":"12:00:00"})");
}

// North and west are the table's rows; a text that is no position at all is the SBS-1 row's.
TEST(Labels, ThousandthsAsDegreesWithHemispheres)
{
    EXPECT_EQ(PositionLabel("-33900/151200").toStdString(), "33.900S 151.200E");
    EXPECT_EQ(PositionLabel("90000/-180000").toStdString(), "90.000N 180.000W");
    EXPECT_EQ(PositionLabel("91000/0").toStdString(), "91000/0");  // out of range: shown as it is
}

}  // namespace
}  // namespace korval::web

// Which requests the web view answers, and where it listens: pure functions over text.

#include "web/web_paths.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"
#include "web/web_config.h"

namespace korval::web {
namespace {

using korval::test::PrintTo;
struct RouteCase {
    const char *name, *method, *target;
    int status;
    Resource resource;
};

class Routes : public ::testing::TestWithParam<RouteCase> {};

TEST_P(Routes, StatusAndResource)
{
    const RouteCase& c = GetParam();
    const Route r = RouteRequest(c.method, c.target);
    EXPECT_EQ(r.status, c.status) << c.target << ": " << r.reason;
    EXPECT_EQ(r.resource, c.resource) << c.target;
    if (r.status != 200) {
        EXPECT_FALSE(r.reason.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Web, Routes,
    ::testing::Values(RouteCase{"root", "GET", "/", 200, Resource::Page},
                      RouteCase{"index", "GET", "/index.html", 200, Resource::Page},
                      RouteCase{"kml", "GET", "/tracks.kml?now=1", 200, Resource::Kml},
                      RouteCase{"queryIgnored", "GET", "/app.js?v=2&x=%2e%2e", 200, Resource::Script},
                      RouteCase{"escapedLetters", "GET", "/%61pp.js", 200, Resource::Script},
                      RouteCase{"absoluteForm", "GET", "http://korval.local:8080/style.css", 200, Resource::Style},
                      RouteCase{"unknown", "GET", "/admin", 404, Resource::None},
                      RouteCase{"trailingSlash", "GET", "/index.html/", 404, Resource::None},
                      RouteCase{"caseMatters", "GET", "/INDEX.HTML", 404, Resource::None},
                      RouteCase{"dotDot", "GET", "/../etc/passwd", 400, Resource::None},
                      RouteCase{"dotDotAtEnd", "GET", "/maps/..", 400, Resource::None},
                      RouteCase{"singleDot", "GET", "/./index.html", 400, Resource::None},
                      RouteCase{"encodedDotDot", "GET", "/%2e%2e/etc/passwd", 400, Resource::None},
                      RouteCase{"encodedSlash", "GET", "/..%2fKORVAL.ini", 400, Resource::None},
                      RouteCase{"encodedBackslash", "GET", "/..%5cKORVAL.ini", 400, Resource::None},
                      RouteCase{"backslash", "GET", "/..\\KORVAL.ini", 400, Resource::None},
                      RouteCase{"doubleEncoded", "GET", "/%252e%252e/KORVAL.ini", 400, Resource::None},
                      RouteCase{"nulByte", "GET", "/index.html%00.js", 400, Resource::None},
                      RouteCase{"highByte", "GET", "/%c0%ae%c0%ae/", 400, Resource::None},
                      RouteCase{"rawHighByte", "GET", "/caf\xc3\xa9", 400, Resource::None},
                      RouteCase{"badEscape", "GET", "/%zz", 400, Resource::None},
                      RouteCase{"cutEscape", "GET", "/app.js%2", 400, Resource::None},
                      RouteCase{"noSlash", "GET", "index.html", 400, Resource::None},
                      RouteCase{"post", "POST", "/", 405, Resource::None}),
    korval::test::CaseName());

TEST(Web, LongTargetsAreRefusedBeforeAnythingElse)
{
    EXPECT_EQ(RouteRequest("GET", "/" + std::string(kMaxTargetBytes - 1, 'a')).status, 404);
    EXPECT_EQ(RouteRequest("GET", "/" + std::string(kMaxTargetBytes, 'a')).status, 414);
}

// The address as ToText writes it.
struct ListenCase {
    const char *name, *text;
    bool ok;
    const char* address;
};

class Listening : public ::testing::TestWithParam<ListenCase> {};

TEST_P(Listening, AddressAndPort)
{
    std::string reason;
    const auto a = ParseListen(GetParam().text, &reason);
    ASSERT_EQ(a.has_value(), GetParam().ok) << reason;
    if (a) {
        EXPECT_EQ(ToText(*a), GetParam().address);
    } else {
        EXPECT_NE(reason.find(GetParam().text), std::string::npos) << reason;
    }
}

INSTANTIATE_TEST_SUITE_P(Web, Listening,
                         ::testing::Values(ListenCase{"loopback", "127.0.0.1:8080", true, "127.0.0.1:8080"},
                                           ListenCase{"ipv6", "[::1]:8080", true, "[::1]:8080"},
                                           ListenCase{"anyPort", "127.0.0.1:0", true, "127.0.0.1:0"},
                                           ListenCase{"portOnly", ":8080", true, "127.0.0.1:8080"},
                                           ListenCase{"bareNumber", "8080", true, "127.0.0.1:8080"},
                                           ListenCase{"localhost", "localhost:9000", true, "127.0.0.1:9000"},
                                           ListenCase{"hostName", "feeder.local:8080", false, ""},
                                           ListenCase{"portTooLarge", "127.0.0.1:65536", false, ""},
                                           ListenCase{"noPort", "127.0.0.1:", false, ""},
                                           ListenCase{"bareIpv6", "::1:8080", false, ""},
                                           ListenCase{"unclosedBracket", "[::1:8080", false, ""},
                                           ListenCase{"badAddress", "300.1.1.1:80", false, ""}),
                         korval::test::CaseName());

TEST(Web, OnTheLoopbackAddressOnlyThisMachinesOwnNamesPass)
{
    const ListenAddress loopback = *ParseListen("127.0.0.1:8080");
    const ListenAddress everyNetwork = *ParseListen("0.0.0.0:8080");
    const ListenAddress loopback6 = *ParseListen("[::1]:8080");
    std::string passed;
    for (const char* host : {"127.0.0.1", "127.3.4.5", "localhost", "LocalHost", "::1", "[::1]", "evil.example",
                             "localhost.evil.example", ""}) {
        if (HostAllowed(loopback, host)) passed += std::string(host) + " ";
        EXPECT_EQ(HostAllowed(loopback6, host), HostAllowed(loopback, host)) << host;
        EXPECT_TRUE(HostAllowed(everyNetwork, host)) << host;
    }
    EXPECT_EQ(passed, "127.0.0.1 127.3.4.5 localhost LocalHost ::1 [::1] ");
}

TEST(Web, TheSettingsFileSwitchesTheViewOnOnlyWithItsKey)
{
    test::TempHome home;
    // What each file gives: the address, or "off" and the reason (none when the view is merely off).
    const auto listen = [&] {
        std::string reason;
        const auto a = ListenFromSettings(home.path() / "KORVAL.ini", &reason);
        return a ? ToText(*a) : "off " + reason;
    };
    EXPECT_EQ(listen(), "off ");  // no file
    home.Write("KORVAL.ini", "[KORVAL]\r\nAirmaster=True\r\n");
    EXPECT_EQ(listen(), "off ");  // no key
    home.Write("KORVAL.ini", "[Web]\r\nListen=\r\n");
    EXPECT_EQ(listen(), "off ");  // empty
    home.Write("KORVAL.ini", "[KORVAL]\r\nNew=False\r\n[web]\r\nlisten = 0.0.0.0:8081\r\n");
    EXPECT_EQ(listen(), "0.0.0.0:8081");
    home.Write("KORVAL.ini", "[Web]\r\nListen=everywhere\r\n");
    EXPECT_NE(listen().find("[Web] Listen=everywhere"), std::string::npos) << listen();
}

}  // namespace
}  // namespace korval::web

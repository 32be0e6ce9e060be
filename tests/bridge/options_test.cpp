#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bridge_options.h"
#include "test_support.h"

namespace korval::bridge {
namespace {

using korval::test::PrintTo;
struct EndpointCase {
    const char* name;
    std::string text;
    std::optional<std::string> endpoint;  // Text() of the result
};

class Endpoints : public ::testing::TestWithParam<EndpointCase> {};

TEST_P(Endpoints, ParseAsAddressAndPort)
{
    const EndpointCase& c = GetParam();
    const std::optional<Endpoint> e = ParseEndpoint(c.text, 5550);
    ASSERT_EQ(e.has_value(), c.endpoint.has_value());
    if (e) {
        EXPECT_EQ(e->Text(), *c.endpoint);
    }
}

INSTANTIATE_TEST_SUITE_P(Bridge, Endpoints,
                         ::testing::Values(EndpointCase{"portOnlyIsLoopback", "6000", "127.0.0.1:6000"},
                                           EndpointCase{"hostAndPort", "192.0.2.7:6000", "192.0.2.7:6000"},
                                           EndpointCase{"hostOnlyKeepsTheDefaultPort", "localhost", "localhost:5550"},
                                           EndpointCase{"ipv6", "[::1]:6000", "[::1]:6000"},
                                           EndpointCase{"ipv6WithoutPort", "[::1]", "[::1]:5550"},
                                           EndpointCase{"portZero", "127.0.0.1:0", std::nullopt},
                                           EndpointCase{"portNotNumber", "127.0.0.1:http", std::nullopt},
                                           EndpointCase{"unclosedBracket", "[::1:6000", std::nullopt}),
                         test::CaseName());

std::vector<std::string_view> Args(const std::vector<const char*>& args)
{
    return std::vector<std::string_view>(args.begin(), args.end());
}

TEST(BridgeArgs, SeveralSourcesEachWithTheirOwnAddressAndTopic)
{
    const ParsedBridgeArgs p =
        ParseBridgeArgs(Args({"--from",  "acarsdec",    "--listen",  "127.0.0.1:5550", "--from",
                              "sbs",     "--listen",    "192.0.2.7", "--from",         "dumpvdl2",
                              "--topic", "VDL|ACARS",   "--from",    "dumphfdl",       "--sbs-every",
                              "2.5",     "--sbs-retry", "0.1",       "--report",       "30"}));
    ASSERT_EQ(p.error, "");
    ASSERT_EQ(p.options.sources.size(), 4u);
    const auto& s = p.options.sources;
    EXPECT_EQ(s[0].source, Source::Acarsdec);
    EXPECT_EQ(s[0].address.Text(), "127.0.0.1:5550");
    EXPECT_EQ(s[1].source, Source::Sbs);
    EXPECT_EQ(s[1].address.Text(), "192.0.2.7:30003");
    EXPECT_EQ(s[2].address.Text(), "127.0.0.1:5551");
    EXPECT_EQ(s[2].topic, "VDL|ACARS");
    EXPECT_EQ(s[3].address.Text(), "127.0.0.1:5552");
    EXPECT_EQ(s[3].topic, "");
    EXPECT_EQ(p.options.sbsEvery, 2.5);
    EXPECT_EQ(p.options.sbsRetry.count(), 100);
    EXPECT_EQ(p.options.report.count(), 30000);
}

struct ArgsCase {
    const char* name;
    std::vector<const char*> args;
    std::string error;
};

class BadArgs : public ::testing::TestWithParam<ArgsCase> {};

TEST_P(BadArgs, AreRefusedWithAReason)
{
    EXPECT_EQ(ParseBridgeArgs(Args(GetParam().args)).error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Bridge, BadArgs,
    ::testing::Values(
        ArgsCase{"nothing", {}, "--from is required"},
        ArgsCase{"unknownSource", {"--from", "rtl433"}, "unknown source rtl433 (acarsdec, dumpvdl2, dumphfdl or sbs)"},
        ArgsCase{"listenBeforeFrom",
                 {"--listen", "5550", "--from", "acarsdec"},
                 "--listen belongs after the --from it is for"},
        ArgsCase{"badAddress",
                 {"--from", "acarsdec", "--listen", "host:port"},
                 "--listen needs PORT, HOST, HOST:PORT or [IPv6]:PORT, not host:port"},
        ArgsCase{"sameUdpPortTwice",
                 {"--from", "acarsdec", "--from", "dumpvdl2", "--listen", "5550"},
                 "two sources listen on 127.0.0.1:5550"},
        ArgsCase{"topicForHfdl",
                 {"--from", "dumphfdl", "--topic", "A|B"},
                 "dumphfdl publishes on PCHFDL|HFDL and PCHFDL|ACARS, as PC-HFDL does; --topic is not for it"},
        ArgsCase{"missingValue", {"--from", "acarsdec", "--listen"}, "--listen needs a value"},
        ArgsCase{"zeroRetry", {"--from", "sbs", "--sbs-retry", "0"}, "--sbs-retry needs a number of seconds above 0"},
        ArgsCase{"unknownOption", {"--from", "sbs", "--verbose"}, "unknown option --verbose"}),
    test::CaseName());

TEST(BridgeArgs, HelpWinsAndDocumentsEverySource)
{
    EXPECT_TRUE(ParseBridgeArgs(Args({"--from", "nonsense", "--help"})).help == false);
    EXPECT_TRUE(ParseBridgeArgs(Args({"--help", "--from", "nonsense"})).help);
    const std::string help = BridgeHelp();
    for (const char* word : {"acarsdec", "dumpvdl2", "dumphfdl", "sbs", "WinACARS|ACARS", "PCHFDL|HFDL", "PCHFDL|ACARS",
                             "--sbs-every", "--listen", "--topic"}) {
        EXPECT_NE(help.find(word), std::string::npos) << word;
    }
}

}  // namespace
}  // namespace korval::bridge

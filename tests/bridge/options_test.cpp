#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "bridge_options.h"
#include "test_support.h"

namespace korval::bridge {
namespace {

using korval::test::PrintTo;

// The arguments of a command line whose words are separated by single blanks.
std::vector<std::string_view> Args(std::string_view line)
{
    std::vector<std::string_view> args;
    for (std::size_t start = 0, end; start < line.size(); start = end + 1) {
        end = std::min(line.find(' ', start), line.size());
        args.push_back(line.substr(start, end - start));
    }
    return args;
}

struct ArgsCase {
    const char* name;
    const char* args;
    std::string parsed;  // "source address topic;" for every source, or the error
};

class BridgeArgs : public ::testing::TestWithParam<ArgsCase> {};

TEST_P(BridgeArgs, GiveEachSourceItsAddressAndTopicOrAReason)
{
    const ParsedBridgeArgs p = ParseBridgeArgs(Args(GetParam().args));
    std::string parsed = p.error;
    for (const SourceSetting& s : p.options.sources) {
        if (p.error.empty()) parsed += std::string(SourceName(s.source)) + " " + s.address.Text() + " " + s.topic + ";";
    }
    EXPECT_EQ(parsed, GetParam().parsed);
}

INSTANTIATE_TEST_SUITE_P(
    Bridge, BridgeArgs,
    ::testing::Values(
        // Each source takes the next port of its own when none is given.
        ArgsCase{"severalSources",
                 "--from acarsdec --listen 127.0.0.1:5550 --from sbs --listen 192.0.2.7 --from dumpvdl2 --topic "
                 "VDL|ACARS --from dumphfdl",
                 "acarsdec 127.0.0.1:5550 ;sbs 192.0.2.7:30003 ;dumpvdl2 127.0.0.1:5551 VDL|ACARS;dumphfdl "
                 "127.0.0.1:5552 ;"},
        ArgsCase{"portOnlyIsLoopback", "--from acarsdec --listen 6000", "acarsdec 127.0.0.1:6000 ;"},
        ArgsCase{"hostOnlyKeepsTheDefaultPort", "--from acarsdec --listen localhost", "acarsdec localhost:5550 ;"},
        ArgsCase{"ipv6", "--from acarsdec --listen [::1]:6000", "acarsdec [::1]:6000 ;"},
        ArgsCase{"ipv6WithoutPort", "--from acarsdec --listen [::1]", "acarsdec [::1]:5550 ;"},
        ArgsCase{"nothing", "", "--from is required"},
        ArgsCase{"unknownSource", "--from rtl433", "unknown source rtl433 (acarsdec, dumpvdl2, dumphfdl or sbs)"},
        ArgsCase{"listenBeforeFrom", "--listen 5550 --from acarsdec", "--listen belongs after the --from it is for"},
        ArgsCase{"badAddress", "--from acarsdec --listen host:port",
                 "--listen needs PORT, HOST, HOST:PORT or [IPv6]:PORT, not host:port"},
        ArgsCase{"portZero", "--from acarsdec --listen 127.0.0.1:0",
                 "--listen needs PORT, HOST, HOST:PORT or [IPv6]:PORT, not 127.0.0.1:0"},
        ArgsCase{"unclosedBracket", "--from acarsdec --listen [::1:6000",
                 "--listen needs PORT, HOST, HOST:PORT or [IPv6]:PORT, not [::1:6000"},
        ArgsCase{"sameUdpPortTwice", "--from acarsdec --from dumpvdl2 --listen 5550",
                 "two sources listen on 127.0.0.1:5550"},
        ArgsCase{"topicForHfdl", "--from dumphfdl --topic A|B",
                 "dumphfdl publishes on PCHFDL|HFDL and PCHFDL|ACARS, as PC-HFDL does; --topic is not for it"},
        ArgsCase{"missingValue", "--from acarsdec --listen", "--listen needs a value"},
        ArgsCase{"zeroRetry", "--from sbs --sbs-retry 0", "--sbs-retry needs a number of seconds above 0"},
        ArgsCase{"unknownOption", "--from sbs --verbose", "unknown option --verbose"}),
    test::CaseName());

TEST(BridgeArgs, TimesAreInSecondsAndHelpWinsOnlyBeforeAnError)
{
    const ParsedBridgeArgs p = ParseBridgeArgs(Args("--from sbs --sbs-every 2.5 --sbs-retry 0.1 --report 30"));
    EXPECT_EQ(p.options.sbsEvery, 2.5);
    EXPECT_EQ(p.options.sbsRetry.count(), 100);
    EXPECT_EQ(p.options.report.count(), 30000);
    EXPECT_FALSE(ParseBridgeArgs(Args("--from nonsense --help")).help);
    EXPECT_TRUE(ParseBridgeArgs(Args("--help --from nonsense")).help);
}

}  // namespace
}  // namespace korval::bridge

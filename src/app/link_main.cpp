#include <charconv>
#include <cmath>
#include <iostream>
#include <string>
#include <string_view>

#include <QCoreApplication>

#include <fcntl.h>
#include <unistd.h>

#include "bridge_run.h"
#include "link/protocol.h"
#include "link_tool.h"

namespace {

using namespace korval::linktool;

constexpr const char* kUsage =
    "usage: korval-link serve --topic APP|TOPIC [--item ITEM] [--input FILE] [--source S] [--rate N]\n"
    "                         [--exit-when-done]\n"
    "       korval-link listen --topic APP|TOPIC [--item ITEM] [--count N] [--wait]\n"
    "       korval-link bridge --from SOURCE [--listen ADDRESS] [--topic APP|TOPIC] ... (bridge --help)\n";

int Usage(std::string_view problem = {})
{
    if (!problem.empty()) std::cerr << "korval-link: " << problem << '\n';
    std::cerr << kUsage;
    return kExitUsage;
}

bool ParseRate(std::string_view text, double& rate)
{
    try {
        std::size_t used = 0;
        const std::string s(text);
        rate = std::stod(s, &used);
        return used == s.size() && std::isfinite(rate) && rate >= 0;
    } catch (const std::exception&) {
        return false;
    }
}

bool ParseCount(std::string_view text, long long& count)
{
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), count);
    return ec == std::errc() && end == text.data() + text.size() && count > 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return Usage();
    const std::string_view command = argv[1];
    if (command == "--help" || command == "-h") {
        std::cout << kUsage;
        return kExitOk;
    }
    if (command == "bridge") return korval::bridge::BridgeMain(argc, argv);
    if (command != "serve" && command != "listen") return Usage("unknown command " + std::string(command));

    ServeOptions serve;
    ListenOptions listen;
    std::string input;
    bool hasTopic = false;
    for (int i = 2; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "--help" || a == "-h") {
            std::cout << kUsage;
            return kExitOk;
        }
        const bool hasValue = i + 1 < argc;
        auto value = [&]() -> std::string_view { return argv[++i]; };
        const bool both = a == "--topic" || a == "--item";
        const bool serveOnly = a == "--input" || a == "--source" || a == "--rate";
        const bool listenOnly = a == "--count";
        if ((both || serveOnly || listenOnly) && !hasValue) return Usage(std::string(a) + " needs a value");
        if ((serveOnly || a == "--exit-when-done") && command != "serve")
            return Usage(std::string(a) + " is for serve");
        if ((listenOnly || a == "--wait") && command != "listen") return Usage(std::string(a) + " is for listen");

        if (a == "--topic") {
            serve.topic = listen.topic = value();
            hasTopic = true;
        } else if (a == "--item") {
            serve.item = listen.item = value();
        } else if (a == "--input") {
            input = value();
        } else if (a == "--source") {
            serve.source = std::string(value());
        } else if (a == "--rate") {
            if (!ParseRate(value(), serve.rate)) return Usage("--rate needs a number of values per second, 0 or more");
        } else if (a == "--count") {
            if (!ParseCount(value(), listen.count)) return Usage("--count needs a whole number above 0");
        } else if (a == "--exit-when-done") {
            serve.exitWhenDone = true;
        } else if (a == "--wait") {
            listen.wait = true;
        } else {
            return Usage("unknown option " + std::string(a));
        }
    }
    if (!hasTopic) return Usage("--topic is required");
    if (!korval::link::IsItemName(serve.item)) return Usage("an item name is 1 to 255 printable characters, no blanks");

    std::ios::sync_with_stdio(false);  // values are printed in large blocks, not a byte at a time
    QCoreApplication app(argc, argv);
    if (command == "listen") return RunListen(listen, std::cout, std::cerr);
    if (input.empty()) return RunServe(serve, STDIN_FILENO, std::cerr);
    const int file = ::open(input.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0) {
        std::cerr << "korval-link: cannot read " << input << '\n';
        return kExitFailed;
    }
    const int status = RunServe(serve, file, std::cerr);
    ::close(file);
    return status;
}

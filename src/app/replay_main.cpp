#include <fstream>
#include <iostream>
#include <string>

#include "replay.h"

namespace {

int Usage()
{
    std::cerr << "usage: korval-replay --home DIR [--input FILE] [--utc HHMM] [--tracks] [--live-all]\n"
                 "       korval-replay --help\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    korval::ReplayOptions options;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::cout << korval::ReplayHelp();
            return 0;
        }
        if (a == "--tracks") {
            options.tracks = true;
            continue;
        }
        if (a == "--live-all") {
            options.liveAll = true;
            continue;
        }
        if (a != "--home" && a != "--input" && a != "--utc") return Usage();
        if (i + 1 >= argc) {
            std::cerr << "korval-replay: " << a << " needs a value\n";
            return Usage();
        }
        std::string value = argv[++i];
        if (a == "--home")
            options.home = value;
        else if (a == "--input")
            options.input = value;
        else
            options.utc = value;
    }
    if (options.home.empty()) return Usage();

    std::ios::sync_with_stdio(false);
    if (!options.input.empty()) {
        std::ifstream in(options.input, std::ios::binary);
        if (!in) {
            std::cerr << "korval-replay: cannot read " << options.input << '\n';
            return 2;
        }
        return korval::RunReplay(options, in, std::cout, std::cerr);
    }
    return korval::RunReplay(options, std::cin, std::cout, std::cerr);
}

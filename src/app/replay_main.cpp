#include <fstream>
#include <iostream>
#include <string>

#include "replay.h"

int main(int argc, char** argv)
{
    korval::ReplayOptions options;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::cerr << "korval-replay: " << a << " needs a value\n";
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--home") options.home = next();
        else if (a == "--input") options.input = next();
        else if (a == "--utc") options.utc = next();
        else if (a == "--tracks") options.tracks = true;
        else {
            std::cerr << "usage: korval-replay --home DIR [--input FILE] [--utc HHMM] [--tracks]\n";
            return 2;
        }
    }
    if (options.home.empty()) {
        std::cerr << "usage: korval-replay --home DIR [--input FILE] [--utc HHMM] [--tracks]\n";
        return 2;
    }
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

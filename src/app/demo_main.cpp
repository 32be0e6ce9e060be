#include <iostream>
#include <string>
#include <string_view>

#include "demo_traffic.h"

namespace {

int Usage(std::string_view problem)
{
    std::cerr << "korval-demo: " << problem << '\n'
              << "usage: korval-demo --template FILE [--now HHMM] [--date YYYY-MM-DD]\n"
                 "       korval-demo --help\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    korval::demo::DemoOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "--help" || a == "-h") {
            std::cout << korval::demo::DemoHelp();
            return 0;
        }
        if (a != "--template" && a != "--now" && a != "--date") return Usage("unknown option " + std::string(a));
        if (i + 1 >= argc) return Usage(std::string(a) + " needs a value");
        const std::string value = argv[++i];
        if (a == "--template")
            options.templatePath = value;
        else if (a == "--now")
            options.now = value;
        else
            options.date = value;
    }
    if (options.templatePath.empty()) return Usage("--template is required");
    std::ios::sync_with_stdio(false);
    return korval::demo::RunDemo(options, std::cout, std::cerr);
}

// A fuzz target run without libFuzzer: every seed of a folder once, then mutations of the seeds
// (bytes changed, inserted, removed or repeated, two seeds spliced) until the time is up. It keeps
// the targets building and running with the main build's compiler and sanitizers; coverage-guided
// fuzzing is tools/fuzz.sh.
//
//   smoke_<target> SEED_FOLDER [SECONDS] [MAX_LENGTH]
//
// A fault aborts the program (the target's checks and the sanitizers); the input it ran is first
// written to smoke-<target>-input in the current folder, to be replayed by the libFuzzer build.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

using Bytes = std::vector<std::uint8_t>;

std::string g_inputFile;

void Run(const Bytes& input)
{
    // Kept on disk while it runs: a crash leaves the input behind.
    {
        std::ofstream out(g_inputFile, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(input.data()), static_cast<std::streamsize>(input.size()));
    }
    LLVMFuzzerTestOneInput(input.data(), input.size());
}

Bytes Mutate(const std::vector<Bytes>& seeds, std::mt19937_64& random, std::size_t maxLength)
{
    auto pick = [&](std::size_t n) { return n == 0 ? 0 : static_cast<std::size_t>(random() % n); };
    Bytes out = seeds[pick(seeds.size())];
    const int steps = 1 + static_cast<int>(pick(4));
    for (int step = 0; step < steps; ++step) {
        switch (pick(6)) {
            case 0:  // change a byte
                if (!out.empty()) out[pick(out.size())] = static_cast<std::uint8_t>(random());
                break;
            case 1:  // flip a bit
                if (!out.empty()) out[pick(out.size())] ^= static_cast<std::uint8_t>(1u << pick(8));
                break;
            case 2: {  // insert a few bytes, often printable
                const std::size_t at = pick(out.size() + 1);
                const std::size_t n = 1 + pick(8);
                for (std::size_t i = 0; i < n; ++i) {
                    const auto byte = static_cast<std::uint8_t>(pick(2) ? 32 + pick(95) : random());
                    out.insert(out.begin() + static_cast<std::ptrdiff_t>(at), byte);
                }
                break;
            }
            case 3: {  // remove a run
                if (out.empty()) break;
                const std::size_t at = pick(out.size());
                const std::size_t n = std::min(out.size() - at, 1 + pick(16));
                out.erase(out.begin() + static_cast<std::ptrdiff_t>(at),
                          out.begin() + static_cast<std::ptrdiff_t>(at + n));
                break;
            }
            case 4: {  // repeat a run
                if (out.empty()) break;
                const std::size_t at = pick(out.size());
                const std::size_t n = std::min(out.size() - at, 1 + pick(32));
                const Bytes run(out.begin() + static_cast<std::ptrdiff_t>(at),
                                out.begin() + static_cast<std::ptrdiff_t>(at + n));
                const std::size_t times = 1 + pick(64);
                for (std::size_t i = 0; i < times && out.size() < maxLength; ++i)
                    out.insert(out.begin() + static_cast<std::ptrdiff_t>(at), run.begin(), run.end());
                break;
            }
            default: {  // splice another seed in
                const Bytes& other = seeds[pick(seeds.size())];
                const std::size_t cut = pick(out.size() + 1);
                const std::size_t from = pick(other.size() + 1);
                out.resize(cut);
                out.insert(out.end(), other.begin() + static_cast<std::ptrdiff_t>(from), other.end());
                break;
            }
        }
    }
    if (out.size() > maxLength) out.resize(maxLength);
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 4) {
        std::cerr << "usage: " << argv[0] << " SEED_FOLDER [SECONDS] [MAX_LENGTH]\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    const double seconds = argc > 2 ? std::atof(argv[2]) : 2.0;
    const std::size_t maxLength = argc > 3 ? static_cast<std::size_t>(std::atol(argv[3])) : 4096;
    g_inputFile = "smoke-" + std::filesystem::path(argv[0]).filename().string() + "-input";
    if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);

    std::vector<Bytes> seeds;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (error || seeds.empty()) {
        std::cerr << "no seeds in " << folder << "\n";
        return 2;
    }
    std::sort(seeds.begin(), seeds.end());
    for (const Bytes& seed : seeds) Run(seed);

    // A fixed start: a failure is the same on every run.
    std::mt19937_64 random(20261206);
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    std::size_t runs = seeds.size();
    while (std::chrono::steady_clock::now() < end) {
        Run(Mutate(seeds, random, maxLength));
        ++runs;
    }
    std::filesystem::remove(g_inputFile, error);
    std::cout << runs << " inputs (" << seeds.size() << " seeds) in " << seconds << " s\n";
    return 0;
}

// Runs a fuzz entry without libFuzzer: every file of its seed corpus, then a fixed number of
// mutations of them from a fixed seed, so that a build with any compiler keeps the entry working
// and a regression on a corpus file fails the tests. Prints "N passed, 0 failed" at the end; a
// finding aborts (the sanitizers or the entry's own checks), which fails the test.
//
//   fuzz_<name> CORPUS_DIR [MUTATIONS]

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// One to four edits of the kinds a byte-level fuzzer makes.
Bytes Mutate(Bytes b, std::mt19937& rng)
{
    static const uint8_t interesting[] = { 0x00, 0x01, 0x7F, 0x80, 0xFF, '\r', '\n', '=', '[', ']',
        ',', ';', '"', '\\', '-', '.', '0', '9' };
    auto pick = [&](size_t n) { return n == 0 ? size_t(0) : size_t(rng() % n); };
    const int edits = 1 + int(rng() % 4);
    for (int e = 0; e < edits; ++e) {
        switch (rng() % 7) {
        case 0:
            if (!b.empty())
                b[pick(b.size())] ^= uint8_t(1u << (rng() % 8));
            break;
        case 1:
            if (!b.empty())
                b[pick(b.size())] = interesting[pick(sizeof interesting)];
            break;
        case 2:
            b.insert(b.begin() + long(pick(b.size() + 1)), uint8_t(rng()));
            break;
        case 3:
            if (!b.empty()) {
                const size_t at = pick(b.size());
                b.erase(b.begin() + long(at), b.begin() + long(std::min(b.size(), at + 1 + pick(8))));
            }
            break;
        case 4:
            b.resize(pick(b.size() + 1));
            break;
        case 5:
            if (!b.empty()) {
                const size_t at = pick(b.size());
                const size_t len = std::min(b.size() - at, 1 + pick(32));
                const Bytes chunk(b.begin() + long(at), b.begin() + long(at + len));
                b.insert(b.begin() + long(pick(b.size() + 1)), chunk.begin(), chunk.end());
            }
            break;
        default:
            b.insert(b.begin() + long(pick(b.size() + 1)), interesting[pick(sizeof interesting)]);
            break;
        }
    }
    return b;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR [MUTATIONS]\n", argv[0]);
        return 2;
    }
    const long mutations = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 2000;
    std::vector<Bytes> corpus;
    std::vector<std::filesystem::path> names;
    for (const auto& entry : std::filesystem::directory_iterator(argv[1])) {
        if (entry.is_regular_file())
            names.push_back(entry.path());
    }
    std::sort(names.begin(), names.end());
    for (const auto& name : names)
        corpus.push_back(ReadFile(name));
    if (corpus.empty())
        corpus.emplace_back();
    long runs = 0;
    for (const Bytes& b : corpus) {
        LLVMFuzzerTestOneInput(b.data(), b.size());
        ++runs;
    }
    std::mt19937 rng(20261207);
    for (long i = 0; i < mutations; ++i) {
        const Bytes b = Mutate(corpus[rng() % corpus.size()], rng);
        LLVMFuzzerTestOneInput(b.data(), b.size());
        ++runs;
    }
    std::printf("%s: %zu corpus files, %ld mutations\n%ld passed, 0 failed\n", argv[0], corpus.size(),
                mutations, runs);
    return 0;
}

// The loader's decoders (loader/) beside the codec's decoder and memcpy, one
// benchmark per decoder and file, all in one run; throughput is of the
// output. Before timing, each file's stream is held against the codec's
// decoder and its in-place margin proved (tests/support/loader_check.h): a
// disagreement ends the run.
//
//   loader_bench [benchmark flags] [file ...]
//
// Without files it measures a few generated inputs. The byte-fed decoder
// takes its stream in 512-byte pieces, as from a device's sectors.
#include "codec/decoder.h"
#include "loader/lzs_checked.h"
#include "loader/lzs_feed.h"
#include "loader/lzs_trusted.h"
#include "tests/support/loader_check.h"
#include "tests/support/memory_codec.h"
#include "tests/support/synthetic_inputs.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

using testing_support::Bytes;

constexpr std::size_t PIECE = 512;

struct Input {
    std::string name;
    Bytes bytes;
    Bytes stream;
};

Bytes read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

using Decode = void (*)(const Input& input, std::uint8_t* output);

void codec_decode(const Input& input, std::uint8_t* output)
{
    benchmark::DoNotOptimize(
        codec::decode_tokens_checked(input.stream.data(), input.stream.size(), output, input.bytes.size()));
}

void checked_decode(const Input& input, std::uint8_t* output)
{
    std::size_t produced = 0;
    benchmark::DoNotOptimize(
        lzs_decode(input.stream.data(), input.stream.size(), output, input.bytes.size(), &produced));
}

void byte_fed_decode(const Input& input, std::uint8_t* output)
{
    lzs_feed_state state;
    lzs_feed_init(&state, output, input.bytes.size());
    for (std::size_t at = 0; at < input.stream.size(); at += PIECE)
        if (lzs_feed(&state, input.stream.data() + at, std::min(PIECE, input.stream.size() - at)) != LZS_MORE)
            break;
    benchmark::DoNotOptimize(lzs_feed_end(&state));
}

void minimal_decode(const Input& input, std::uint8_t* output)
{
    benchmark::DoNotOptimize(lzs_decode_trusted(input.stream.data(), output));
}

void copy(const Input& input, std::uint8_t* output)
{
    if (!input.bytes.empty())
        std::memcpy(output, input.bytes.data(), input.bytes.size());
    benchmark::ClobberMemory();
}

void run(benchmark::State& state, const Input* input, Decode decode)
{
    auto output = std::make_unique<std::uint8_t[]>(input->bytes.size() + 1);
    for (auto _ : state)
        decode(*input, output.get());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input->bytes.size()));
}

// Ends the run unless every decoder agrees with the codec on `input`.
void prove(const Input& input)
{
    const std::uint8_t* stream = input.stream.data();
    std::size_t size = input.stream.size();
    std::string found =
        testing_support::loader_disagreement(stream, size, input.bytes.size(), input.bytes.size() / 2, 1);
    if (found.empty())
        found = testing_support::margin_disagreement(stream, size);
    if (found.empty())
        return;
    std::fprintf(stderr, "%s: %s\n", input.name.c_str(), found.c_str());
    std::exit(1);
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    static std::vector<Input> inputs;
    for (int i = 1; i < argc; ++i)
        inputs.push_back({std::filesystem::path(argv[i]).filename().string(), read_file(argv[i]), {}});
    if (inputs.empty()) {
        using namespace testing_support;
        inputs.push_back({"word_soup", word_soup(1 << 20, 1), {}});
        inputs.push_back({"code_like", code_like(1 << 20, 2), {}});
    }
    const std::pair<const char*, Decode> decoders[] = {
        {"codec", codec_decode},
        {"checked", checked_decode},
        {"byte_fed", byte_fed_decode},
        {"minimal", minimal_decode},
        {"memcpy", copy},
    };
    for (Input& input : inputs) {
        input.stream = testing_support::encode_bytes(input.bytes.data(), input.bytes.size()).stream;
        prove(input);
        for (const auto& [name, decode] : decoders)
            benchmark::RegisterBenchmark((std::string(name) + "/" + input.name).c_str(), run, &input, decode);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Writes the synthetic half of the benchmark corpus into a directory: the
// inputs that cost a plain hash-chain search the most. The same bytes on
// every run and machine.
#include "tests/support/synthetic_inputs.h"

#include <cstdio>
#include <string>

namespace {

using namespace testing_support;

constexpr std::size_t SIZE = 1 << 20;  // small enough for the plain encoder to finish

bool write_file(const std::string& path, const Bytes& bytes)
{
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "Usage: %s directory\n", argv[0]);
        return 1;
    }
    const std::string dir = argv[1];
    const struct {
        const char* name;
        Bytes bytes;
    } files[] = {
        {"zeros", Bytes(SIZE, 0)},
        {"random_bytes", random_over(SIZE, all_byte_values(), 1)},
        {"random_2_symbols", random_over(SIZE, letters(2), 2)},
        {"random_4_symbols", random_over(SIZE, letters(4), 3)},
        {"phrase_mutated", mutated_phrase(SIZE, "the window slides and every chain is rebased; ", 1000, 4)},
        {"hash_top_bits", top_bits_noise(SIZE, 5)},
        {"hash_overlapping_bits", overlapping_bits(SIZE, 6)},
        {"one_in_16_zeros", sparse_ones(SIZE / 2, 16, 7)},
    };
    for (const auto& file : files) {
        if (!write_file(dir + "/" + file.name, file.bytes)) {
            std::fprintf(stderr, "Can't write %s/%s\n", dir.c_str(), file.name);
            return 2;
        }
    }
    return 0;
}

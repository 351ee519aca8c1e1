#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// Stops the fuzzer with the broken invariant and the input's values; libFuzzer
// then saves the input as a finding.
#define FUZZ_CHECK(condition, ...)                                          \
    do {                                                                    \
        if (!(condition)) {                                                 \
            std::fprintf(stderr, "broken invariant: %s\n  ", #condition); \
            std::fprintf(stderr, __VA_ARGS__);                              \
            std::fprintf(stderr, "\n");                                     \
            std::abort();                                                   \
        }                                                                   \
    } while (false)

// Reads a fuzzer's input front to back; bytes past the end read as zero.
class FuzzInput
{
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data(data), size(size) {}

    bool atEnd() const { return position >= size; }
    std::uint8_t byte() { return position < size ? data[position++] : 0; }
    int word() { return byte() | (byte() << 8); }
    double number()
    {
        unsigned char bytes[sizeof(double)] = {};
        for (unsigned char& b : bytes)
            b = byte();
        double value = 0.0;
        std::memcpy(&value, bytes, sizeof value);
        return value;
    }

private:
    const std::uint8_t* data;
    std::size_t size;
    std::size_t position = 0;
};

// What the fuzz targets share: a check that stops the run on a broken property,
// so that libFuzzer keeps the input that broke it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

#define LC_FUZZ_CHECK(condition)                                                                  \
    do {                                                                                          \
        if (!(condition)) {                                                                       \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                         \
        }                                                                                         \
    } while (false)

namespace lc_fuzz {

inline std::string_view AsText(const unsigned char* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace lc_fuzz

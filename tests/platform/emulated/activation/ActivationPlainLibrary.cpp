#include <cstdint>

// A library that is not an in-process server: it has an export, but none of
// the server entry points.
extern "C" int32_t PlainFunction() {
    return 7;
}

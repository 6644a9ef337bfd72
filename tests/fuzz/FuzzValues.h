#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Variant.h"

// A property value of any kind the store and the directory hold: null, an
// integer, a list of strings or a string, and with booleans a boolean in
// place of every other string.
inline platform::Variant ConsumeVariant(FuzzedDataProvider& input, bool withBooleans) {
    switch (input.ConsumeIntegralInRange<int>(0, 4)) {
        case 0:
            return platform::Variant::Null();
        case 1:
            return platform::Variant(input.ConsumeIntegral<int32_t>());
        case 2: {
            std::vector<std::string> values;
            const size_t count = input.ConsumeIntegralInRange<size_t>(0, 3);
            for (size_t i = 0; i < count; ++i)
                values.push_back(input.ConsumeRandomLengthString(24));
            return platform::Variant::StringArray(values);
        }
        case 3:
            if (withBooleans)
                return platform::Variant(input.ConsumeBool());
            break;
        default:
            break;
    }
    return platform::Variant(input.ConsumeRandomLengthString(40));
}

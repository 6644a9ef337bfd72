#pragma once

#include <cstdint>

#include "platform/ComError.h"

namespace testsupport {

// The number of the platform error the call throws; 0 when it throws none.
template <typename Call>
int32_t ErrorNumberOf(Call&& call) {
    try {
        call();
    } catch (const platform::ComError& error) {
        return error.number();
    }
    return 0;
}

}  // namespace testsupport

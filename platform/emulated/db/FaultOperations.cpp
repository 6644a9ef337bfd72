#include "platform/emulated/db/FaultOperations.h"

#include <algorithm>
#include <iterator>

namespace platform::emulated {

bool IsFaultOperation(std::string_view name) {
    return std::any_of(std::begin(kFaultOperations), std::end(kFaultOperations),
                       [name](const FaultOperation& operation) { return operation.name == name; });
}

std::string FaultOperationNames() {
    std::string names;
    for (const FaultOperation& operation : kFaultOperations)
        names += (names.empty() ? "" : ", ") + std::string(operation.name);
    return names;
}

}  // namespace platform::emulated

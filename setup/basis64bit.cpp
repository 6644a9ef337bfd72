#include "setup/basis64bit.h"

#include "platform/ComError.h"

namespace setup::basis64bit {

bool Is64bit(platform::Machine& machine) {
    try {
        if (!machine.HasProcedure("kernel32", "IsWow64Process")) {
            return false;
        }
        bool wow64 = false;
        return machine.IsWow64Process(wow64) && wow64;
    } catch (const platform::ComError&) {
        return false;
    }
}

}  // namespace setup::basis64bit

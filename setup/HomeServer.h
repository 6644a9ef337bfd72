#pragma once

#include <string>

#include "platform/Text.h"

// The server name in a directory home-server value, as the mailbox walk and
// the cluster-name look-up read it.
namespace setup {

// The upper-cased value cut to the part after its last "CN=", when at least
// two characters follow it; otherwise the whole upper-cased value.
// "/o=Corp/ou=First Administrative Group/cn=Configuration/cn=Servers/cn=Mail01"
// gives "MAIL01".
inline std::string ServerFromHomeServerName(const std::string& value) {
    const std::string upper = platform::text::ToUpper(value);
    const size_t position = platform::text::FindLast(upper, "CN=");
    if (position > 0 && position + 3 < upper.size()) {
        return platform::text::Mid(upper, position + 3);
    }
    return upper;
}

}  // namespace setup

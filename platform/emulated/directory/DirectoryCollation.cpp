#include "platform/emulated/directory/DirectoryCollation.h"

#include <unicode/ucol.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/ComError.h"

namespace platform::emulated {

namespace {

using CollatorHandle = std::unique_ptr<UCollator, decltype(&ucol_close)>;

[[noreturn]] void ThrowCollationError(UErrorCode status) {
    throw ComError(hresult::E_FAIL,
                   std::string("The directory cannot sort: ") + u_errorName(status));
}

// A collator per thread: ICU's collators are not to be shared while used.
UCollator& ThreadCollator() {
    thread_local CollatorHandle collator = [] {
        UErrorCode status = U_ZERO_ERROR;
        CollatorHandle opened(ucol_open("", &status), &ucol_close);
        if (U_FAILURE(status))
            ThrowCollationError(status);
        ucol_setStrength(opened.get(), UCOL_SECONDARY);
        return opened;
    }();
    return *collator;
}

std::u16string Utf16Of(std::string_view text) {
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    const auto size = static_cast<int32_t>(text.size());
    u_strFromUTF8WithSub(nullptr, 0, &length, text.data(), size, 0xFFFD, nullptr, &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status))
        ThrowCollationError(status);
    std::u16string wide(static_cast<size_t>(length), u'\0');
    status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(wide.data(), length, nullptr, text.data(), size, 0xFFFD, nullptr, &status);
    if (U_FAILURE(status))
        ThrowCollationError(status);
    return wide;
}

}  // namespace

std::string DirectorySortKey(std::string_view text) {
    const std::u16string wide = Utf16Of(text);
    UCollator& collator = ThreadCollator();
    const auto length = static_cast<int32_t>(wide.size());
    std::vector<uint8_t> key(wide.size() * 4 + 16);
    int32_t needed = ucol_getSortKey(&collator, wide.data(), length, key.data(),
                                     static_cast<int32_t>(key.size()));
    if (needed > static_cast<int32_t>(key.size())) {
        key.resize(static_cast<size_t>(needed));
        needed = ucol_getSortKey(&collator, wide.data(), length, key.data(), needed);
    }
    // The key ends in a NUL byte, which adds nothing to the order.
    return std::string(key.begin(), key.begin() + std::max(needed - 1, 0));
}

}  // namespace platform::emulated

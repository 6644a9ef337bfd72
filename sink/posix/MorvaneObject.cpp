#include "sink/posix/MorvaneObject.h"

#include <array>
#include <string_view>

#include "platform/ComError.h"
#include "platform/Text.h"

namespace morvane_posix {

namespace {

struct Member {
    std::string_view name;
    int32_t dispId;
    size_t parameterCount;
};

constexpr std::array<Member, 3> kMembers = {{
    {"CreateRegItem", MorvaneCls::kDispIdCreateRegItem, 8},
    {"RemoveRegItem", MorvaneCls::kDispIdRemoveRegItem, 3},
    {"CheckRegItemExists", MorvaneCls::kDispIdCheckRegItemExists, 3},
}};

const Member& FindMember(const std::string& name) {
    for (const Member& member : kMembers) {
        if (platform::text::EqualsNoCase(name, member.name))
            return member;
    }
    throw platform::ComError(platform::hresult::DISP_E_UNKNOWNNAME, "Unknown name.");
}

// The strings the method works on: a by-reference argument is the caller's
// own string, a by-value argument a copy of it.
class Arguments {
  public:
    explicit Arguments(std::vector<platform::DispArg>& args) : args_(args), copies_(args.size()) {
        for (size_t i = 0; i < args.size(); ++i)
            copies_[i] = args[i].value;
    }
    std::string& operator[](size_t index) {
        return args_[index].byRef ? args_[index].value : copies_[index];
    }

  private:
    std::vector<platform::DispArg>& args_;
    std::vector<std::string> copies_;
};

}  // namespace

MorvaneObject::MorvaneObject()
    : ado_(platform::emulated::ServerFolder(), platform::SystemActivation()) {}

int32_t MorvaneObject::GetIDOfName(const std::string& member) {
    return FindMember(member).dispId;
}

platform::Variant MorvaneObject::Invoke(const std::string& member,
                                        std::vector<platform::DispArg>& args) {
    const Member& called = FindMember(member);
    if (args.size() != called.parameterCount) {
        throw platform::ComError(platform::hresult::DISP_E_BADPARAMCOUNT,
                                 "Invalid number of parameters.");
    }
    Arguments arg(args);
    switch (called.dispId) {
        case MorvaneCls::kDispIdCreateRegItem:
            return sink_.CreateRegItem(arg[0], arg[1], arg[2], arg[3], arg[4], arg[5], arg[6],
                                       arg[7]);
        case MorvaneCls::kDispIdRemoveRegItem:
            return sink_.RemoveRegItem(arg[0], arg[1], arg[2]);
        default:
            return sink_.CheckRegItemExists(arg[0], arg[1], arg[2]);
    }
}

}  // namespace morvane_posix

#include "tests/reliability/SoakMessages.h"

#include <array>
#include <cstdint>

#include "platform/emulated/store/StoreValues.h"

namespace reliability {

namespace {

using platform::Variant;
namespace property = platform::emulated::property;

const std::array<const char*, 20> kKeywordPool = {
    "Project", "Customer",  "SCL=3",  "scl=7", "SCL=-1", "4",  "-1",
    " SCL=2",  "6 ",        "SCL=12", "12",    "  ",     "",   "\t",
    "SCL=",    "Ünterlage", "9",      "sCl=0", "SCL=10", "-2",
};

std::optional<int32_t> RandomScl(std::mt19937_64& random) {
    const int kind = std::uniform_int_distribution<int>(0, 19)(random);
    if (kind < 2)
        return std::nullopt;
    if (kind < 5) {
        constexpr std::array<int32_t, 7> outOfRange = {10, 12, 99, -2, -5, INT32_MAX, INT32_MIN};
        return outOfRange[std::uniform_int_distribution<size_t>(0, outOfRange.size() - 1)(random)];
    }
    return std::uniform_int_distribution<int32_t>(-1, 9)(random);
}

Variant RandomKeywords(std::mt19937_64& random) {
    const int kind = std::uniform_int_distribution<int>(0, 9)(random);
    if (kind == 0)
        return Variant();
    if (kind == 1)
        return Variant("Project");
    std::vector<std::string> keywords;
    const int count = std::uniform_int_distribution<int>(0, 6)(random);
    std::uniform_int_distribution<size_t> pick(0, kKeywordPool.size() - 1);
    for (int i = 0; i < count; ++i)
        keywords.emplace_back(kKeywordPool[pick(random)]);
    return Variant::StringArray(keywords);
}

std::string DescribeForms(const FormSet& forms) {
    std::string text;
    for (StampForm form : forms)
        text += std::string(text.empty() ? "" : " or ") + NameOf(form);
    return text;
}

std::string Describe(const DeliveryRecord& delivery, const platform::emulated::StoredItem& item) {
    const auto& message = delivery.message;
    return "\"" + message.subject + "\" into " + delivery.address +
           (delivery.registered ? "" : " (not registered)") + ", SCL " +
           (message.scl ? std::to_string(*message.scl) : "none") + ", keywords delivered " +
           platform::Describe(message.keywords) + ", stored " +
           platform::Describe(item.properties.Get(property::kKeywords)) + ", comments stored " +
           platform::Describe(item.properties.Get(property::kComments)) +
           ", file held: " + DescribeForms(delivery.forms);
}

bool AsDelivered(const platform::emulated::StoredItem& item,
                 const platform::emulated::DeliveredMessage& message) {
    return item.properties.Get(property::kKeywords) == message.keywords &&
           item.properties.Get(property::kComments) ==
               (message.comments ? Variant(*message.comments) : Variant());
}

// The form the message was stamped in, if it matches the rules in one of
// the forms the file held.
std::optional<StampForm> StampedForm(const platform::emulated::StoredItem& item,
                                     const DeliveryRecord& delivery) {
    const int32_t scl = *delivery.message.scl;
    for (StampForm form : delivery.forms) {
        if (item.properties.Get(property::kKeywords) ==
                StampedKeywords(delivery.message.keywords, form, scl) &&
            item.properties.Get(property::kComments) == Variant(StampOf(form, scl)))
            return form;
    }
    return std::nullopt;
}

}  // namespace

platform::emulated::DeliveredMessage RandomMessage(std::mt19937_64& random,
                                                   const std::string& subject) {
    platform::emulated::DeliveredMessage message;
    message.subject = subject;
    message.scl = RandomScl(random);
    message.keywords = RandomKeywords(random);
    if (std::uniform_int_distribution<int>(0, 2)(random) == 0)
        message.comments = "Forwarded by the front desk";
    return message;
}

std::optional<std::string> CheckDelivery(const platform::emulated::StoredItem& item,
                                         const DeliveryRecord& delivery, SoakOutcome& outcome) {
    const auto& message = delivery.message;
    if (item.properties.Get(property::kSubject) != Variant(message.subject) ||
        item.properties.Get(property::kScl) != (message.scl ? Variant(*message.scl) : Variant()))
        return "subject or SCL changed: " + Describe(delivery, item);
    if (!delivery.registered || !message.scl) {
        if (!AsDelivered(item, message))
            return "changed although it must not be stamped: " + Describe(delivery, item);
        ++outcome.leftAsDelivered;
        return std::nullopt;
    }
    const auto form = StampedForm(item, delivery);
    if (!form)
        return "not stamped by the rules: " + Describe(delivery, item);
    ++(*form == StampForm::Bare ? outcome.stampedBare : outcome.stampedPrefixed);
    return std::nullopt;
}

}  // namespace reliability

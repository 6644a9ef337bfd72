// What the store's deliveries look like with the sink registered, for both
// libraries: the stamp in each display format, the keyword rules, the
// comments, and the settings read again for every message.
#include "tests/acceptance/SinkAcceptance.h"

namespace acceptance {
namespace {

using platform::Variant;
using platform::emulated::DeliveredMessage;

TEST_P(SinkAcceptance, RegisteredSinkStampsADeliveredMessage) {
    ASSERT_EQ(Check(Place::Inbox), "0");
    ASSERT_EQ(Create(Place::Inbox), "1");
    ASSERT_EQ(Check(Place::Inbox), "1");

    DeliveredMessage message;
    message.subject = "Offer";
    message.scl = 7;
    auto item = Deliver(message);
    Variant comments = item.properties.Get(kComments);
    ASSERT_TRUE(comments.IsString()) << Describe(comments);
    EXPECT_EQ(comments.AsString(), "SCL=7") << "no settings file: the \"SCL=\" form";
    EXPECT_EQ(item.properties.Get(kKeywords), Variant(Variant::Array{comments}));
}

TEST_P(SinkAcceptance, RemovedRegistrationLeavesMessagesAlone) {
    ASSERT_EQ(Create(Place::Inbox), "1");
    ASSERT_EQ(Remove(Place::Inbox), "1");
    EXPECT_EQ(Check(Place::Inbox), "0");
    DeliveredMessage message;
    message.scl = 5;
    auto item = Deliver(message);
    EXPECT_TRUE(item.properties.Get(kComments).IsEmpty());
    EXPECT_TRUE(item.properties.Get(kKeywords).IsEmpty());
}

TEST_P(SinkAcceptance, UnregisteredLibraryIsNoLongerCalledByTheStore) {
    ASSERT_EQ(Create(Place::Inbox), "1");
    ASSERT_EQ(activation.BindExport(library, "DllUnregisterServer")(), 0);
    DeliveredMessage message;
    message.scl = 3;
    auto item = Deliver(message);
    EXPECT_TRUE(item.properties.Get(kComments).IsEmpty())
        << "the store cannot create an unregistered sink, and the delivery goes on";
}

Variant Keywords(const std::vector<std::string>& values) {
    return Variant::StringArray(values);
}

// One delivery: the display format in Morvane.ini when the message
// arrives, the message as the store delivers it, and what it holds after
// the sink's begin phase.
struct Stamping {
    std::string rule;
    std::string displayFormat;
    std::optional<int32_t> scl;
    Variant keywords;
    std::optional<std::string> comments;
    Variant stampedKeywords;
    Variant stampedComments;
};

const std::vector<Stamping> kStampings = {
    {"the \"SCL=\" form as the setup program writes it",
     "SCL=<SCL value>",
     6,
     {},
     {},
     Keywords({"SCL=6"}),
     Variant("SCL=6")},
    {"the bare form in any letter case; blank entries and old stamps go", "<scl VALUE>", 6,
     Keywords({"7", "   ", "Project"}), "from the filter", Keywords({"Project", "6"}),
     Variant("6")},
    {"read again for the next message: an old stamp in other letter case is replaced, the "
     "current one never doubled",
     "SCL=<SCL value>",
     3,
     Keywords({"scl=5", "work", "SCL=3"}),
     {},
     Keywords({"work", "SCL=3"}),
     Variant("SCL=3")},
    {"a stamp with a blank in front is kept",
     "SCL=<SCL value>",
     5,
     Keywords({" SCL=5"}),
     {},
     Keywords({" SCL=5", "SCL=5"}),
     Variant("SCL=5")},
    {"the bare form keeps stamps of the \"SCL=\" form",
     "<SCL value>",
     -1,
     Keywords({"SCL=-1", "-1"}),
     {},
     Keywords({"SCL=-1", "-1"}),
     Variant("-1")},
    {"the bare form removes a user keyword from -1 to 9",
     "<SCL value>",
     4,
     Keywords({"9", "x"}),
     {},
     Keywords({"x", "4"}),
     Variant("4")},
    {"the \"SCL=\" form keeps bare stamps",
     "SCL=<SCL value>",
     6,
     Keywords({"6"}),
     {},
     Keywords({"6", "SCL=6"}),
     Variant("SCL=6")},
    {"any other text selects the \"SCL=\" form",
     "SCL: <SCL value>",
     0,
     {},
     {},
     Keywords({"SCL=0"}),
     Variant("SCL=0")},
    {"an empty value selects the \"SCL=\" form",
     "",
     9,
     {},
     "x",
     Keywords({"SCL=9"}),
     Variant("SCL=9")},
    {"a value longer than the 2047 characters read selects the \"SCL=\" form",
     "<SCL value>" + std::string(3000, 'x'),
     1,
     {},
     {},
     Keywords({"SCL=1"}),
     Variant("SCL=1")},
    {"an SCL of 10 or more: its old stamp is not matched",
     "SCL=<SCL value>",
     12,
     Keywords({"SCL=12"}),
     {},
     Keywords({"SCL=12", "SCL=12"}),
     Variant("SCL=12")},
    {"keywords that are not a list are replaced",
     "SCL=<SCL value>",
     -1,
     Variant("loose"),
     {},
     Keywords({"SCL=-1"}),
     Variant("SCL=-1")},
    {"an unrated message is not touched",
     "<SCL value>",
     {},
     Keywords({"k"}),
     "c",
     Keywords({"k"}),
     Variant("c")},
};

TEST_P(SinkAcceptance, EachDeliveryIsStampedByTheSettingsItFinds) {
    ASSERT_EQ(Create(Place::Inbox), "1");
    int number = 0;
    for (const Stamping& row : kStampings) {
        WriteDisplayFormat(row.displayFormat);
        DeliveredMessage message;
        message.subject = "Message " + std::to_string(++number);
        message.scl = row.scl;
        message.keywords = row.keywords;
        message.comments = row.comments;
        auto item = Deliver(message);
        EXPECT_EQ(item.properties.Get(kKeywords), row.stampedKeywords)
            << row.rule << ": " << Describe(item.properties.Get(kKeywords));
        EXPECT_EQ(item.properties.Get(kComments), row.stampedComments) << row.rule;
    }
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Linux, SinkAcceptance, ::testing::Values(LinuxSink()));
INSTANTIATE_TEST_SUITE_P(Windows, SinkAcceptance, ::testing::Values(WindowsSink()));

}  // namespace acceptance

#include "tests/sink/SinkTestSupport.h"

#include <gtest/gtest.h>

#include "sink/LibraryFolder.h"

namespace sinktest {

using platform::Variant;

fakestore::FieldList Message(const Variant& scl, std::optional<std::vector<std::string>> keywords) {
    fakestore::FieldList fields = {{"urn:schemas:httpmail:subject", Variant("Hello")}};
    if (!scl.IsEmpty())
        fields.emplace_back(MorvaneModule::kSclProperty, scl);
    if (keywords)
        fields.emplace_back(MorvaneModule::kKeywordsProperty, Variant::StringArray(*keywords));
    return fields;
}

std::vector<std::string> KeywordsOf(const fakestore::FakeEventInfo& info) {
    std::vector<std::string> texts;
    Variant keywords = info.Value(MorvaneModule::kKeywordsProperty);
    EXPECT_TRUE(keywords.IsArray()) << platform::Describe(keywords);
    if (!keywords.IsArray())
        return texts;
    for (const Variant& entry : keywords.AsArray()) {
        EXPECT_TRUE(entry.IsString()) << platform::Describe(entry);
        texts.push_back(entry.IsString() ? entry.AsString() : "");
    }
    return texts;
}

void WriteSettings(const testsupport::TempFolder& folder, const std::string& displayFormat) {
    testsupport::WriteFile(folder.File("Morvane.ini"),
                           "[Morvane Settings]\r\nSCLDisplayFormat=" + displayFormat + "\r\n");
}

SettingsFolderScope::SettingsFolderScope(const std::string& folder) {
    SetSettingsFolderOverride(folder);
    MorvaneModule::sIniFile.clear();
    MorvaneModule::sDisplayFormat.clear();
}

SettingsFolderScope::~SettingsFolderScope() {
    SetSettingsFolderOverride(std::nullopt);
    MorvaneModule::sIniFile.clear();
    MorvaneModule::sDisplayFormat.clear();
}

}  // namespace sinktest

namespace platform {

void PrintTo(const Variant& value, std::ostream* out) {
    *out << Describe(value);
}

}  // namespace platform

// Text and value conversions at the COM boundary, and errors of late-bound
// calls turned into platform::ComError.
#include "platform/Clock.h"
#include "platform/Text.h"
#include "platform/win32/Automation.h"
#include "platform/win32/ComVariant.h"
#include "platform/win32/WideText.h"
#include "tests/platform/LocalTimeCases.h"
#include "tests/win32/AdapterTests.h"
#include "tests/win32/Check.h"
#include "tests/win32/FakeObject.h"

using platform::Variant;
using platform::win32::ComVariant;

namespace {

void TextConversions() {
    const std::string umlauts =
        "Gr\xC3\xBC\xC3\x9F"
        "e \xE2\x82\xAC";
    check::ExpectEqual("UTF-8 survives the way through UTF-16", umlauts,
                       platform::win32::WideToUtf8(platform::win32::Utf8ToWide(umlauts)));
    check::ExpectEqual("UTF-16 length of a non-ASCII text", 7,
                       static_cast<long long>(platform::win32::Utf8ToWide(umlauts).size()));
    BSTR withNul = SysAllocStringLen(L"a\0b", 3);
    check::ExpectEqual("a BSTR keeps its embedded NUL", std::string("a\0b", 3),
                       platform::win32::BstrToUtf8(withNul));
    SysFreeString(withNul);
    check::ExpectEqual("a null BSTR is the empty text", "", platform::win32::BstrToUtf8(nullptr));
    check::ExpectEqual("ANSI conversion round trip",
                       "Gr\xC3\xBC\xC3\x9F"
                       "e",
                       platform::win32::AnsiToUtf8(platform::win32::Utf8ToAnsi("Gr\xC3\xBC\xC3\x9F"
                                                                               "e")));
}

// The platform's own texts. The wine prefix of the test run has the user
// locale English (United States).
void LocaleTexts() {
    check::ExpectEqual("upper case follows Unicode", "R\xC3\x89SERVE / CN=\xCE\xA9MEGA",
                       platform::text::ToUpper("R\xC3\xA9serve / cn=\xCF\x89mega"));
    check::ExpectEqual("general date: regional short date, blank, regional time",
                       "12/7/2026 5:07:58 AM",
                       platform::GeneralDateText(platform::LocalTime{2026, 12, 7, 5, 7, 58}));
    check::ExpectEqual("general date at exactly midnight: the date alone", "1/2/2026",
                       platform::GeneralDateText(platform::LocalTime{2026, 1, 2, 0, 0, 0}));
}

// The prefix of the test run has the time zone UTC.
void LocalTimes() {
    for (const auto& moment : clockcases::kLocalTimeCases) {
        check::ExpectEqual("the local time of " + std::to_string(moment.seconds),
                           platform::SortableDateText(moment.local),
                           platform::SortableDateText(platform::LocalTimeOf(moment.seconds)));
    }
}

void ValueConversions() {
    const Variant values[] = {Variant(),
                              Variant::Null(),
                              Variant("text"),
                              Variant(-7),
                              Variant(true),
                              Variant(false),
                              Variant(Variant::Array{Variant("SCL=6"), Variant(3)})};
    for (const Variant& value : values)
        check::Expect("round trip of " + platform::Describe(value),
                      ComVariant(value).ToVariant() == value,
                      platform::Describe(ComVariant(value).ToVariant()));

    ComVariant shortInteger;
    shortInteger.Get()->vt = VT_I2;
    shortInteger.Get()->iVal = -1;
    check::Expect("a 16-bit integer reads as a 32-bit integer",
                  shortInteger.ToVariant() == Variant(-1));

    SAFEARRAY* strings = SafeArrayCreateVector(VT_BSTR, 0, 2);
    LONG index = 0;
    BSTR first = SysAllocString(L"one");
    SafeArrayPutElement(strings, &index, first);
    SysFreeString(first);
    ComVariant stringArray;
    stringArray.Get()->vt = VT_ARRAY | VT_BSTR;
    stringArray.Get()->parray = strings;
    check::Expect("an array of strings reads as an array of variants",
                  stringArray.ToVariant() == Variant(Variant::Array{Variant("one"), Variant("")}),
                  platform::Describe(stringArray.ToVariant()));

    ComVariant decimals;
    decimals.Get()->vt = VT_ARRAY | VT_DECIMAL;
    decimals.Get()->parray = SafeArrayCreateVector(VT_DECIMAL, 0, 1);
    check::ExpectComError("an array of wide values is refused, not copied past its slot",
                          static_cast<int32_t>(DISP_E_TYPEMISMATCH), [&] { decimals.ToVariant(); });

    BSTR referenced = SysAllocString(L"by reference");
    ComVariant byRef;
    byRef.Get()->vt = VT_BYREF | VT_BSTR;
    byRef.Get()->pbstrVal = &referenced;
    check::Expect("a by-reference string is followed",
                  byRef.ToVariant() == Variant("by reference"));
    SysFreeString(referenced);

    auto object = fakes::FakeObject::Make();
    check::ExpectComError("an object is no value", static_cast<int32_t>(DISP_E_TYPEMISMATCH),
                          [&] { fakes::Object(object.Get()).ToVariant(); });
    check::ExpectComError("a number is no object", static_cast<int32_t>(DISP_E_TYPEMISMATCH),
                          [] { ComVariant(Variant(5)).ToDispatch(); });
}

void LateBoundErrors() {
    using namespace platform::win32::automation;
    auto object = fakes::FakeObject::Make();
    object->On("Fail", [](fakes::Args&) -> ComVariant {
        throw fakes::Failure{static_cast<HRESULT>(0x80040E19), "The object was not found."};
    });
    object->On("Echo", [](fakes::Args& args) { return args.at(1); });
    check::ExpectComError(
        "the object's error number and text come through", -2147217895,
        [&] { Call(object.Get(), "Fail"); }, "The object was not found.");
    check::ExpectComError("an unknown member is DISP_E_UNKNOWNNAME", -2147352570,
                          [&] { Call(object.Get(), "NoSuchMember"); });
    check::Expect("arguments arrive in the member's order",
                  Call(object.Get(), "echo", {ComVariant(Variant("a")), ComVariant(Variant(2))})
                          .ToVariant() == Variant(2));
    check::ExpectComError("a missing ProgID is CO_E_CLASSSTRING", -2147221005,
                          [] { CreateObject("Morvane.NoSuchClass"); });
}

}  // namespace

void RunConversionTests() {
    check::Group("text conversion", TextConversions);
    check::Group("locale texts", LocaleTexts);
    check::Group("local time", LocalTimes);
    check::Group("value conversion", ValueConversions);
    check::Group("late-bound errors", LateBoundErrors);
}

// What DllRegisterServer leaves in the registry, the embedded type
// library, and what DllUnregisterServer takes away.
#include "platform/Activation.h"
#include "platform/Text.h"
#include "platform/win32/ComPtr.h"
#include "platform/win32/WideText.h"
#include "sink/win32/MorvaneIds.h"
#include "tests/win32/Check.h"
#include "tests/win32/RegistryText.h"
#include "tests/win32/SinkComTests.h"

using testsupport_win32::ClassesRootKeyExists;
using testsupport_win32::ClassesRootValue;

namespace {

const std::string kClassKey = std::string("CLSID\\") + kClsidText;

void RegisteredEntries() {
    check::ExpectEqual("the ProgID names the class", kClsidText,
                       ClassesRootValue("Morvane.MorvaneCls\\CLSID").value_or("(missing)"));
    check::ExpectEqual("the class names its ProgID", "Morvane.MorvaneCls",
                       ClassesRootValue(kClassKey + "\\ProgID").value_or("(missing)"));
    check::ExpectEqual(
        "apartment threading", "Apartment",
        ClassesRootValue(kClassKey + "\\InprocServer32", "ThreadingModel").value_or("(missing)"));
    std::string server = ClassesRootValue(kClassKey + "\\InprocServer32").value_or("");
    check::Expect("the server is the library file",
                  platform::text::EndsWithNoCase(server, "\\Morvane.dll"), server);
    check::ExpectEqual("the class names its type library", kLibidText,
                       ClassesRootValue(kClassKey + "\\TypeLib").value_or("(missing)"));
    check::Expect("the type library is registered",
                  ClassesRootKeyExists(std::string("TypeLib\\") + kLibidText + "\\1.0"));
    check::Expect("the interface is registered",
                  ClassesRootKeyExists(std::string("Interface\\") + kIidText));
}

void EmbeddedTypeLibrary() {
    using platform::win32::ComPtr;
    std::wstring path =
        platform::win32::Utf8ToWide(testsupport_win32::ProgramFolder() + "\\Morvane.dll");
    ComPtr<ITypeLib> library;
    check::Expect("the library file holds a type library",
                  SUCCEEDED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.Out())));
    if (!library)
        return;
    TLIBATTR* libAttr = nullptr;
    library->GetLibAttr(&libAttr);
    check::Expect("LIBID", libAttr->guid == morvane_com::LIBID_Morvane);
    check::ExpectEqual("version", 0x10000, libAttr->wMajorVerNum * 0x10000 + libAttr->wMinorVerNum);
    library->ReleaseTLibAttr(libAttr);
    BSTR name = nullptr;
    library->GetDocumentation(-1, &name, nullptr, nullptr, nullptr);
    check::ExpectEqual("library name", "Morvane", platform::win32::BstrToUtf8(name));
    SysFreeString(name);

    ComPtr<ITypeInfo> info;
    library->GetTypeInfoOfGuid(morvane_com::IID__MorvaneCls, info.Out());
    TYPEATTR* attr = nullptr;
    info->GetTypeAttr(&attr);
    const WORD wanted = TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE;
    check::Expect("_MorvaneCls is hidden, dual and non-extensible",
                  attr->typekind == TKIND_DISPATCH && (attr->wTypeFlags & wanted) == wanted,
                  std::to_string(attr->wTypeFlags));
    info->ReleaseTypeAttr(attr);
    // The interface half of the dual interface: the vtable the store and
    // DispInvoke call through.
    HREFTYPE vtableHalf = 0;
    ComPtr<ITypeInfo> vtable;
    info->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtableHalf);
    info->GetRefTypeInfo(vtableHalf, vtable.Out());
    vtable->GetTypeAttr(&attr);
    check::Expect(
        "its interface half is automation compatible",
        attr->typekind == TKIND_INTERFACE && (attr->wTypeFlags & TYPEFLAG_FOLEAUTOMATION) != 0,
        std::to_string(attr->wTypeFlags));
    check::ExpectEqual("IDispatch's seven slots and the three methods", 10, attr->cFuncs + 7);
    vtable->ReleaseTypeAttr(attr);

    ComPtr<ITypeInfo> coclass;
    library->GetTypeInfoOfGuid(morvane_com::CLSID_MorvaneCls, coclass.Out());
    coclass->GetTypeAttr(&attr);
    check::Expect("MorvaneCls is a creatable class",
                  attr->typekind == TKIND_COCLASS && (attr->wTypeFlags & TYPEFLAG_FCANCREATE) != 0);
    coclass->ReleaseTypeAttr(attr);
}

}  // namespace

void RunRegisteredEntryTests() {
    check::Group("registration", RegisteredEntries);
}

void RunTypeLibraryTests() {
    check::Group("type library", EmbeddedTypeLibrary);
}

void RunUnregisteredTests() {
    check::Group("unregistration", [] {
        check::ExpectComError("the ProgID is gone", -2147221005, [] {
            platform::SystemActivation().CreateObject("Morvane.MorvaneCls");
        });
        check::Expect("the class key is gone", !ClassesRootKeyExists(kClassKey));
        check::Expect("the interface key is gone",
                      !ClassesRootKeyExists(std::string("Interface\\") + kIidText));
        check::Expect("the type library key is gone",
                      !ClassesRootKeyExists(std::string("TypeLib\\") + kLibidText));
    });
}

#include "platform/emulated/hosting/CapturedRegistration.h"

#include <gtest/gtest.h>

#include "tests/platform/emulated/activation/ActivationTestSupport.h"

using platform::emulated::CapturedValue;
using platform::emulated::LibraryKind;
using platform::emulated::Registry;

namespace {

constexpr const char* kClsid = "{5B6A2E8C-0D4F-4B38-9A6E-2C1D7F0E9B11}";
constexpr const char* kLibid = "{0E2B0C55-6B53-4D1B-8E0D-6F1B6E0C4A22}";
constexpr const char* kIid = "{7C9F1A33-2E44-4A0D-B5C6-8D7E6F5A4B33}";

// What a library's DllRegisterServer writes below HKEY_CLASSES_ROOT, in
// the letter cases and order a library may use, with a key the server
// keeps nothing of.
const std::vector<CapturedValue> kWritten = {
    {"Morvane.MorvaneCls", "", "Morvane.MorvaneCls"},
    {"Morvane.MorvaneCls\\Clsid", "", kClsid},
    {std::string("CLSID\\") + kClsid, "", "Morvane.MorvaneCls"},
    {std::string("clsid\\") + kClsid + "\\InprocServer32", "", "Z:\\opt\\Morvane.dll"},
    {std::string("CLSID\\") + kClsid + "\\InprocServer32", "ThreadingModel", "Apartment"},
    {std::string("CLSID\\") + kClsid + "\\ProgID", "", "Morvane.MorvaneCls"},
    {std::string("CLSID\\") + kClsid + "\\TypeLib", "", kLibid},
    {std::string("CLSID\\") + kClsid + "\\VERSION", "", "1.0"},
    {std::string("TypeLib\\") + kLibid + "\\1.0", "", "Morvane"},
    {std::string("TypeLib\\") + kLibid + "\\1.0\\0\\win32", "", "Z:\\opt\\Morvane.dll"},
    {std::string("Interface\\") + kIid, "", "_MorvaneCls"},
    {std::string("Interface\\") + kIid + "\\TypeLib", "", kLibid},
    {std::string("Interface\\") + kIid + "\\TypeLib", "Version", "1.0"},
    {"TypeLib", "", "a key without a library"},
};

TEST(CapturedRegistration, WhatALibraryWritesIsReadAsTheEntriesTheServerKeepsAndRemoves) {
    const auto registration = platform::emulated::ReadCapturedRegistration(
        kWritten, [](const std::string& path) { return "[" + path + "]"; });
    ASSERT_EQ(registration.classes.size(), 1u);
    const auto& entry = registration.classes[0];
    EXPECT_EQ(entry.clsid, kClsid);
    EXPECT_EQ(entry.progId, "Morvane.MorvaneCls");
    EXPECT_EQ(entry.libraryPath, "[Z:\\opt\\Morvane.dll]");
    EXPECT_EQ(entry.threadingModel, "Apartment");
    EXPECT_EQ(entry.typeLibraryId, kLibid);
    EXPECT_EQ(entry.typeLibraryVersion, "1.0");
    EXPECT_EQ(entry.libraryKind, LibraryKind::Windows);
    ASSERT_EQ(registration.typeLibraries.size(), 1u);
    EXPECT_EQ(registration.typeLibraries[0].name, "Morvane");
    EXPECT_EQ(registration.typeLibraries[0].libraryPath, "[Z:\\opt\\Morvane.dll]");
    ASSERT_EQ(registration.interfaces.size(), 1u);
    EXPECT_EQ(registration.interfaces[0].name, "_MorvaneCls");
    EXPECT_EQ(registration.interfaces[0].typeLibraryVersion, "1.0");

    activation_test::ServerScope server;
    Registry registry(server.db());
    platform::emulated::RecordRegistration(registry, registration);
    EXPECT_EQ(registry.ResolveProgId("morvane.morvanecls")->classEntry->libraryKind,
              LibraryKind::Windows);
    EXPECT_TRUE(registry.FindTypeLibrary(kLibid, "1.0"));
    EXPECT_TRUE(registry.FindInterface(kIid));
    platform::emulated::RemoveRegistration(registry, registration);
    EXPECT_FALSE(registry.ResolveProgId("Morvane.MorvaneCls"));
    EXPECT_FALSE(registry.FindTypeLibrary(kLibid, "1.0"));
    EXPECT_FALSE(registry.FindInterface(kIid));
}

}  // namespace

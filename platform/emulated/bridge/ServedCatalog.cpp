#include "platform/Catalog.h"
#include "platform/bridge/BridgeClasses.h"
#include "platform/bridge/ServedObject.h"
#include "platform/emulated/bridge/ServedClasses.h"
#include "platform/emulated/machine/WindowsPaths.h"

// The COM+ catalog, its collections and their objects. A collection's
// default member is its Item; For Each walks its objects by position. A Windows program
// names the library it installs by its Windows path; the catalog is given
// the file's own path.
namespace platform::emulated::served {

namespace {

using bridge::Args;
using bridge::kDefaultMember;
using bridge::kEnumerateByPosition;
using bridge::Serve;
using bridge::ServedClass;
using bridge::Takes;
using bridge::Value;
using enum bridge::MemberKind;

using CatalogObject = std::shared_ptr<catalog::CatalogObject>;
const ServedClass<CatalogObject> kCatalogObject{
    "COMAdmin.COMAdminCatalogObject",
    {
        {Get, "Name", Takes(0), [](CatalogObject& o) { return o->Name(); }},
        {Get, "Value", Takes(1),
         [](CatalogObject& o, Args& args) { return o->Value(args.Text(0)); }},
        {Put, "Value", Takes(2),
         [](CatalogObject& o, Args& args) { o->SetValue(args.Text(0), args.Any(1)); }},
    }};

using Collection = std::shared_ptr<catalog::CatalogCollection>;
const ServedClass<Collection> kCollection{
    "COMAdmin.COMAdminCatalogCollection",
    {
        {Method, "Populate", Takes(0), [](Collection& c) { c->Populate(); }},
        {Get, "Count", Takes(0), [](Collection& c) { return c->Count(); }},
        {Get, "Item", Takes(1),
         [](Collection& c, Args& args) { return Serve(kCatalogObject, c->Item(args.Int(0))); },
         kDefaultMember},
        {Method, "Add", Takes(0), [](Collection& c) { return Serve(kCatalogObject, c->Add()); }},
        {Method, "Remove", Takes(1), [](Collection& c, Args& args) { c->Remove(args.Int(0)); }},
        {Method, "SaveChanges", Takes(0), [](Collection& c) { return c->SaveChanges(); }},
        kEnumerateByPosition,
    }};

using Catalog = std::shared_ptr<catalog::AdminCatalog>;

void InstallComponent(Catalog& catalog, Args& args) {
    catalog->InstallComponent(args.Text(0), wine::UnixPath(args.Text(1), wine::PrefixFolder()),
                              args.Text(2), args.Text(3));
}

void CreateService(Catalog& catalog, Args& args) {
    catalog->CreateServiceForApplication(args.Text(0), args.Text(1), args.Text(2), args.Text(3),
                                         args.Text(4), args.Text(5), args.Text(6), args.Bool(7));
}

const ServedClass<Catalog> kCatalog{
    std::string(bridge::kAdminCatalog.progId),
    {
        {Method, "GetCollection", Takes(1),
         [](Catalog& c, Args& args) { return Serve(kCollection, c->GetCollection(args.Text(0))); }},
        {Method, "InstallComponent", Takes(4), InstallComponent},
        {Method, "RefreshComponents", Takes(0), [](Catalog& c) { c->RefreshComponents(); }},
        {Method, "CreateServiceForApplication", Takes(8), CreateService},
        {Method, "ShutdownApplication", Takes(1),
         [](Catalog& c, Args& args) { c->ShutdownApplication(args.Text(0)); }},
    }};

}  // namespace

Value NewAdminCatalog() {
    return Serve(kCatalog, catalog::SystemCatalog().CreateCatalog());
}

}  // namespace platform::emulated::served

#include "platform/Catalog.h"
#include "platform/emulated/bridge/ServedClasses.h"
#include "platform/emulated/bridge/ServedObject.h"
#include "platform/emulated/bridge/WinePaths.h"

// The COM+ catalog, its collections and their objects. A Windows program
// names the library it installs by its Windows path; the catalog is given
// the file's own path.
namespace platform::emulated::served {

namespace {

using bridge::Value;

using CatalogObject = std::shared_ptr<catalog::CatalogObject>;
const ServedClass<CatalogObject> kCatalogObject{
    "COMAdmin.COMAdminCatalogObject",
    {
        {"Name", [](CatalogObject& o, Args&) { return Value(o->Name()); }, {}, {}},
        {"Value",
         [](CatalogObject& o, Args& args) { return Value(o->Value(args.Text(0))); },
         [](CatalogObject& o, Args& args) {
             args.Expect(2, 2);
             o->SetValue(args.Text(0), args.Any(1));
             return Nothing();
         },
         {}},
    }};

using Collection = std::shared_ptr<catalog::CatalogCollection>;
const ServedClass<Collection> kCollection{
    "COMAdmin.COMAdminCatalogCollection",
    {
        {"Populate",
         {},
         {},
         [](Collection& c, Args&) {
             c->Populate();
             return Nothing();
         }},
        {"Count", [](Collection& c, Args&) { return Value(c->Count()); }, {}, {}},
        {"Item",
         [](Collection& c, Args& args) { return Serve(kCatalogObject, c->Item(args.Int(0))); },
         {},
         {}},
        {"Add", {}, {}, [](Collection& c, Args&) { return Serve(kCatalogObject, c->Add()); }},
        {"Remove",
         {},
         {},
         [](Collection& c, Args& args) {
             c->Remove(args.Int(0));
             return Nothing();
         }},
        {"SaveChanges", {}, {}, [](Collection& c, Args&) { return Value(c->SaveChanges()); }},
    }};

using Catalog = std::shared_ptr<catalog::AdminCatalog>;

void InstallComponent(catalog::AdminCatalog& catalog, Args& args) {
    args.Expect(4, 4);
    catalog.InstallComponent(args.Text(0), wine::UnixPath(args.Text(1), wine::PrefixFolder()),
                             args.Text(2), args.Text(3));
}

void CreateService(catalog::AdminCatalog& catalog, Args& args) {
    args.Expect(8, 8);
    catalog.CreateServiceForApplication(args.Text(0), args.Text(1), args.Text(2), args.Text(3),
                                        args.Text(4), args.Text(5), args.Text(6), args.Bool(7));
}

const ServedClass<Catalog> kCatalog{
    "COMAdmin.COMAdminCatalog",
    {
        {"GetCollection",
         {},
         {},
         [](Catalog& c, Args& args) { return Serve(kCollection, c->GetCollection(args.Text(0))); }},
        {"InstallComponent",
         {},
         {},
         [](Catalog& c, Args& args) {
             InstallComponent(*c, args);
             return Nothing();
         }},
        {"RefreshComponents",
         {},
         {},
         [](Catalog& c, Args&) {
             c->RefreshComponents();
             return Nothing();
         }},
        {"CreateServiceForApplication",
         {},
         {},
         [](Catalog& c, Args& args) {
             CreateService(*c, args);
             return Nothing();
         }},
    }};

}  // namespace

std::optional<Value> CreateCatalogObject(const std::string& progId) {
    if (text::EqualsNoCase(progId, "COMAdmin.COMAdminCatalog"))
        return Serve(kCatalog, catalog::SystemCatalog().CreateCatalog());
    return std::nullopt;
}

}  // namespace platform::emulated::served

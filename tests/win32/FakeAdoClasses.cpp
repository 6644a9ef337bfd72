#include "tests/win32/FakeAdoClasses.h"

namespace fakes {

namespace {
// Test-only class ids, never shipped.
constexpr CLSID kFakeConnection = {
    0x1B0F6A51, 0x3C2D, 0x4E5F, {0x80, 0x91, 0xA2, 0xB3, 0xC4, 0xD5, 0xE6, 0x01}};
constexpr CLSID kFakeRecord = {
    0x1B0F6A51, 0x3C2D, 0x4E5F, {0x80, 0x91, 0xA2, 0xB3, 0xC4, 0xD5, 0xE6, 0x02}};
}  // namespace

FakeAdo::FakeAdo()
    : connection_("ADODB.Connection", kFakeConnection,
                  [store = store_] { return MakeConnection(store); }),
      record_("ADODB.Record", kFakeRecord, [store = store_] { return MakeRecord(store); }) {}

}  // namespace fakes

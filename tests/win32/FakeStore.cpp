#include "tests/win32/FakeStore.h"

#include "platform/win32/ExStoreInterfaces.h"

namespace fakes {

namespace {

constexpr int32_t kFailIfNotExists = -1;

struct RecordState {
    std::shared_ptr<StoreData> store;
    std::string url;
    int32_t state = 0;
    std::map<std::string, platform::Variant> pending;
};

std::string Text(const ComVariant& value) {
    platform::Variant v = value.ToVariant();
    return v.IsString() ? v.AsString() : v.AppendToEmptyString();
}

ComPtr<FakeObject> MakeField(std::shared_ptr<RecordState> record, const std::string& name) {
    auto field = FakeObject::Make();
    field->On("Value", [record, name](Args&) {
        auto staged = record->pending.find(name);
        if (staged != record->pending.end())
            return Value(staged->second);
        auto& item = record->store->items[record->url];
        auto stored = item.find(name);
        return stored == item.end() ? Nothing() : Value(stored->second);
    });
    field->OnPut("Value", [record, name](Args& args) {
        auto failure = record->store->writeFailures.find(name);
        if (failure != record->store->writeFailures.end())
            throw failure->second;
        record->pending[name] = args.back().ToVariant();
    });
    return field;
}

ComPtr<FakeObject> MakeFields(std::shared_ptr<RecordState> record) {
    auto fields = FakeObject::Make();
    fields->On("Count", [record](Args&) {
        return Value(static_cast<int32_t>(record->store->items[record->url].size()));
    });
    fields->On("Item",
               [record](Args& args) { return Object(MakeField(record, Text(args.at(0))).Get()); });
    fields->On("Update", [record](Args&) {
        record->store->log.push_back("Update " + record->url);
        for (auto& [name, value] : record->pending)
            record->store->items[record->url][name] = value;
        record->pending.clear();
        return Nothing();
    });
    return fields;
}

void OpenRecord(RecordState& record, Args& args) {
    std::string url = Text(args.at(0));
    int32_t createOptions = args.at(3).ToVariant().ToInt32();
    record.store->log.push_back("Open " + url + " " + std::to_string(createOptions));
    for (auto& [piece, failure] : record.store->failures)
        if (url.find(piece) != std::string::npos)
            throw failure;
    bool exists = record.store->items.count(url) > 0;
    if (createOptions == kFailIfNotExists && !exists)
        throw Failure{kNotFound, "The object was not found."};
    if (createOptions != kFailIfNotExists)
        record.store->items[url].clear();
    record.url = url;
    record.state = 1;
    record.pending.clear();
}

ComPtr<FakeObject> RecordObject(std::shared_ptr<RecordState> record) {
    auto object = FakeObject::Make();
    object->On("Open", [record](Args& args) {
        OpenRecord(*record, args);
        return Nothing();
    });
    object->On("State", [record](Args&) { return Value(record->state); });
    object->On("Close", [record](Args&) {
        record->state = 0;
        return Nothing();
    });
    object->On("DeleteRecord", [record](Args&) {
        record->store->log.push_back("Delete " + record->url);
        record->store->items.erase(record->url);
        return Nothing();
    });
    object->On("Fields", [record](Args&) { return Object(MakeFields(record).Get()); });
    return object;
}

}  // namespace

ComPtr<FakeObject> MakeConnection(std::shared_ptr<StoreData> store) {
    auto state = std::make_shared<int32_t>(0);
    auto connection = FakeObject::Make();
    connection->OnPut(
        "Provider", [store](Args& args) { store->log.push_back("Provider " + Text(args.back())); });
    connection->On("Open", [store, state](Args& args) {
        store->log.push_back("Connect " + Text(args.at(0)));
        *state = 1;
        return Nothing();
    });
    connection->On("State", [state](Args&) { return Value(*state); });
    connection->On("Close", [store, state](Args&) {
        store->log.push_back("Disconnect");
        *state = 0;
        return Nothing();
    });
    for (const char* name : {"BeginTrans", "CommitTrans", "RollbackTrans"})
        connection->On(name, [store, name](Args&) {
            store->log.push_back(name);
            return Nothing();
        });
    return connection;
}

ComPtr<FakeObject> MakeRecord(std::shared_ptr<StoreData> store) {
    auto record = std::make_shared<RecordState>();
    record->store = std::move(store);
    return RecordObject(record);
}

ComPtr<FakeObject> MakeOpenRecord(std::shared_ptr<StoreData> store, const std::string& url) {
    auto record = std::make_shared<RecordState>();
    record->store = std::move(store);
    record->url = url;
    record->state = 1;
    return RecordObject(record);
}

ComPtr<FakeObject> MakeEventInfo(ComPtr<FakeObject> record) {
    auto info = FakeObject::Make();
    info->Answers(platform::win32::IID_IExStoreEventInfo)
        .Answers(platform::win32::IID_IExStoreDispEventInfo);
    info->On("EventRecord", [record](Args&) { return Object(record.Get()); });
    return info;
}

}  // namespace fakes

#include "platform/emulated/store/StoreEvents.h"

#include <algorithm>
#include <optional>

#include "platform/ComError.h"
#include "platform/Text.h"
#include "platform/emulated/store/StoreCriteria.h"
#include "platform/emulated/store/StoreRecords.h"

namespace platform::emulated {

namespace {

// The item being saved, as the sinks see and change it.
struct InFlightItem {
    StoredItem item;
};

class InFlightFields : public FieldsCore {
  public:
    InFlightFields(std::shared_ptr<StoreSession> session, std::shared_ptr<InFlightItem> inFlight)
        : FieldsCore(std::move(session), inFlight->item.url), inFlight_(std::move(inFlight)) {}

  protected:
    const PropertyList& Committed() override { return inFlight_->item.properties; }
    void Commit(const PropertyList& merged) override { inFlight_->item.properties = merged; }

  private:
    std::shared_ptr<InFlightItem> inFlight_;
};

// The event record: the item in flight, already open.
class InFlightRecord : public store::Record {
  public:
    explicit InFlightRecord(std::shared_ptr<FieldsCore> fields) : fields_(std::move(fields)) {}
    void Open(const std::string&, store::Connection&, int32_t, int32_t, int32_t, const std::string&,
              const std::string&) override {
        ThrowObjectOpen();
    }
    int32_t State() override { return open_ ? store::adStateOpen : store::adStateClosed; }
    void Close() override {
        if (!open_)
            ThrowObjectClosed();
        open_ = false;
        fields_->Close();
    }
    void DeleteRecord(const std::string&, bool) override { ThrowNotCapable(); }
    std::shared_ptr<store::Fields> GetFields() override {
        if (!open_)
            ThrowObjectClosed();
        return MakeFields(fields_);
    }

  private:
    std::shared_ptr<FieldsCore> fields_;
    bool open_ = true;
};

class SaveEventInfo : public store::EventInfo {
  public:
    SaveEventInfo(std::shared_ptr<StoreSession> session, std::shared_ptr<InFlightItem> inFlight)
        : session_(std::move(session)), inFlight_(std::move(inFlight)) {}
    std::shared_ptr<store::Record> EventRecord() override {
        AsComError([&] { session_->faults().Check("event.record", inFlight_->item.url); });
        return std::make_shared<InFlightRecord>(
            std::make_shared<InFlightFields>(session_, inFlight_));
    }

  private:
    std::shared_ptr<StoreSession> session_;
    std::shared_ptr<InFlightItem> inFlight_;
};

struct LoadedSink {
    std::shared_ptr<ComObject> object;
    StoreSyncEvents* events = nullptr;
};

std::string TextOf(const StoredItem& item, std::string_view name) {
    Variant value = item.properties.Get(name);
    return value.IsString() ? value.AsString() : "";
}

bool NamesSaveEvent(const std::string& eventMethod) {
    size_t start = 0;
    while (start <= eventMethod.size()) {
        size_t end = eventMethod.find(',', start);
        if (end == std::string::npos)
            end = eventMethod.size();
        if (text::EqualsNoCase(text::Trim(eventMethod.substr(start, end - start)),
                               kSaveEventMethod))
            return true;
        start = end + 1;
    }
    return false;
}

bool IsEnabled(const StoredItem& registration) {
    Variant enabled = registration.properties.Get(property::kEnabled);
    if (enabled.IsBool())
        return enabled.AsBool();
    if (enabled.IsString())
        return !text::EqualsNoCase(text::Trim(enabled.AsString()), "false") &&
               text::Trim(enabled.AsString()) != "0";
    return !(enabled.IsInt32() && enabled.AsInt32() == 0);
}

bool CriteriaMatch(const StoredItem& registration, const StoredItem& item) {
    try {
        StoreCriteria criteria = StoreCriteria::Parse(TextOf(registration, property::kCriteria));
        return criteria.Matches(
            [&item](std::string_view name) { return CriteriaValue(item, name); });
    } catch (const ComError&) {
        // Criteria the store cannot read match nothing; the save goes on.
        return false;
    }
}

int32_t PriorityOf(const StoredItem& registration) {
    Variant priority = registration.properties.Get(property::kPriority);
    if (priority.IsEmpty() || priority.IsNull())
        return kDefaultPriority;
    try {
        return priority.IsString() ? Variant(text::Trim(priority.AsString())).ToInt32()
                                   : priority.ToInt32();
    } catch (const ComError&) {
        // A priority that is not a number counts as the default.
        return kDefaultPriority;
    }
}

// Whether the registration, found in a folder where scopes allows, fires
// for a save of item.
bool Fires(const StoredItem& registration, const StoredItem& item,
           const std::vector<std::string_view>& scopes) {
    std::string scope = text::Trim(TextOf(registration, property::kMatchScope));
    bool scopeFits = std::any_of(scopes.begin(), scopes.end(), [&scope](std::string_view s) {
        return text::EqualsNoCase(scope, s);
    });
    return scopeFits && IsEnabled(registration) &&
           NamesSaveEvent(TextOf(registration, property::kEventMethod)) &&
           CriteriaMatch(registration, item);
}

void Collect(const std::vector<StoredItem>& registrations, const StoredItem& item,
             const std::vector<std::string_view>& scopes, std::vector<SaveRegistration>& out) {
    for (const StoredItem& registration : registrations) {
        if (Fires(registration, item, scopes)) {
            out.push_back(SaveRegistration{registration.url,
                                           TextOf(registration, property::kSinkClass),
                                           PriorityOf(registration)});
        }
    }
}

std::vector<LoadedSink> CreateSinks(Activation& activation,
                                    const std::vector<SaveRegistration>& registrations) {
    std::vector<LoadedSink> sinks;
    for (const SaveRegistration& registration : registrations) {
        std::shared_ptr<ComObject> object;
        try {
            object = activation.CreateObject(registration.sinkClass);
        } catch (const ComError&) {
            // A sink that cannot be created is skipped; the save goes on.
            continue;
        }
        StoreSyncEvents* events = object ? object->AsStoreSyncEvents() : nullptr;
        if (events)
            sinks.push_back(LoadedSink{object, events});
    }
    return sinks;
}

void RunPhase(const std::vector<LoadedSink>& sinks, store::EventInfo& info, const std::string& url,
              int32_t flags) {
    for (const LoadedSink& sink : sinks) {
        try {
            sink.events->OnSyncSave(info, url, flags);
        } catch (const std::exception&) {
            // A sink that fails does not veto the save.
        }
    }
}

// Calls Register of the sink a registration item names; a sink that
// returns anything but 0 refuses the registration.
void RegisterSink(Activation& activation, store::EventInfo& info, const StoredItem& item,
                  int32_t itemFlags) {
    std::string sinkClass = TextOf(item, property::kSinkClass);
    std::shared_ptr<ComObject> object;
    try {
        object = activation.CreateObject(sinkClass);
    } catch (const ComError&) {
        // The store keeps registrations of sinks it cannot create yet.
        return;
    }
    CreateRegistration* registration = object ? object->AsCreateRegistration() : nullptr;
    if (!registration)
        return;
    int32_t result = registration->Register(info, item.url, itemFlags);
    if (result != 0) {
        throw ComError(hresult::E_FAIL, "The event sink " + sinkClass +
                                            " refused the registration (result " +
                                            std::to_string(result) + ").");
    }
}

// A delivered message never replaces another of the same name.
int64_t StoreInDatabase(StoreSession& session, const StoredItem& item, bool replace) {
    std::optional<DbTransaction> transaction;
    if (!session.db().InTransaction())
        transaction.emplace(session.db());
    int64_t id = session.data().WriteItem(item, replace);
    if (transaction)
        transaction->Commit();
    return id;
}

}  // namespace

Variant CriteriaValue(const StoredItem& item, std::string_view name) {
    Variant value = item.properties.Get(name);
    if (!value.IsEmpty())
        return value;
    if (text::EqualsNoCase(name, property::kIsHidden)) {
        // Registration items are hidden even when their writer did not say so.
        Variant contentClass = item.properties.Get(property::kContentClass);
        return Variant(
            contentClass.IsString() &&
            text::EqualsNoCase(contentClass.AsString(), content_class::kEventRegistration));
    }
    if (text::EqualsNoCase(name, property::kIsCollection))
        return Variant(false);
    if (text::EqualsNoCase(name, property::kHref))
        return Variant(item.url);
    if (text::EqualsNoCase(name, property::kDisplayName))
        return Variant(item.name);
    return value;
}

std::vector<SaveRegistration> FindSaveRegistrations(StoreData& data, const Location& where,
                                                    const StoredItem& item) {
    std::vector<SaveRegistration> found;
    Collect(data.RegistrationItems(where.mailbox, where.folder), item,
            {"SHALLOW", "EXACT", "ANY", "DEEP", ""}, found);
    for (const MailboxRow& system : data.SystemMailboxes(where.mailbox.storeId)) {
        auto globalEvents = data.FindFolder(system.id, kGlobalEventsPath);
        if (!globalEvents || globalEvents->id == where.folder.id)
            continue;
        Collect(data.RegistrationItems(system, *globalEvents), item, {"ANY"}, found);
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const SaveRegistration& a, const SaveRegistration& b) {
                         return a.priority < b.priority;
                     });
    return found;
}

int64_t SaveItem(std::shared_ptr<StoreSession> session, const Location& where, StoredItem item,
                 int32_t itemFlags) {
    auto snapshot = std::make_optional<ReadSnapshot>(session->db());
    item.folderId = where.folder.id;
    item.url = session->data().FolderUrl(where.mailbox, where.folder) + "/" + item.name;
    std::vector<SaveRegistration> registrations =
        FindSaveRegistrations(session->data(), where, item);
    auto inFlight = std::make_shared<InFlightItem>(InFlightItem{std::move(item)});
    SaveEventInfo info(session, inFlight);
    std::vector<LoadedSink> sinks = CreateSinks(session->activation(), registrations);
    const std::string url = inFlight->item.url;
    RunPhase(sinks, info, url, event_flag::kSyncBegin | itemFlags);
    // What the begin phase read was one state of the store; the item is
    // written after it.
    snapshot.reset();
    int64_t id = 0;
    try {
        if (text::EqualsNoCase(TextOf(inFlight->item, property::kContentClass),
                               content_class::kEventRegistration))
            RegisterSink(session->activation(), info, inFlight->item, itemFlags);
        id = StoreInDatabase(*session, inFlight->item, (itemFlags & event_flag::kIsDelivered) == 0);
    } catch (...) {
        RunPhase(sinks, info, url, event_flag::kSyncAborted | itemFlags);
        throw;
    }
    RunPhase(sinks, info, url, event_flag::kSyncCommitted | itemFlags);
    return id;
}

}  // namespace platform::emulated

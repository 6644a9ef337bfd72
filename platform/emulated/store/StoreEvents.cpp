#include "platform/emulated/store/StoreEvents.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <utility>

#include "platform/ComError.h"
#include "platform/Text.h"
#include "platform/emulated/store/RegistrationScope.h"
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

class SyncEventInfo : public store::EventInfo {
  public:
    SyncEventInfo(std::shared_ptr<StoreSession> session, std::shared_ptr<InFlightItem> inFlight)
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
    std::string sinkClass;
    // A sink's failures in one event are reported once.
    bool reported = false;
};

std::string TextOf(const StoredItem& item, std::string_view name) {
    Variant value = item.properties.Get(name);
    return value.IsString() ? value.AsString() : "";
}

bool NamesEvent(const std::string& eventMethod, SyncEvent event) {
    const std::string_view wanted =
        event == SyncEvent::Save ? kSaveEventMethod : kDeleteEventMethod;
    size_t start = 0;
    while (start <= eventMethod.size()) {
        size_t end = eventMethod.find_first_of(";,", start);
        if (end == std::string::npos)
            end = eventMethod.size();
        if (text::EqualsNoCase(text::Trim(eventMethod.substr(start, end - start)), wanted))
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
        // Criteria the store cannot read match nothing; the change goes on.
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

// Whether the registration, which reaches the item's folder, fires for the
// event on item.
bool Fires(const StoredItem& registration, const StoredItem& item, SyncEvent event) {
    return IsEnabled(registration) &&
           NamesEvent(TextOf(registration, property::kEventMethod), event) &&
           CriteriaMatch(registration, item);
}

struct RegistrationFolder {
    MailboxRow mailbox;
    FolderRow folder;
};

// The folders whose registrations may reach a change in the folder of
// where: that folder, its mailbox root, and the store-wide folders of the
// mailbox store, each once.
std::vector<RegistrationFolder> RegistrationFolders(StoreData& data, const Location& where) {
    std::vector<RegistrationFolder> folders{{where.mailbox, where.folder}};
    auto add = [&folders](const MailboxRow& mailbox, const std::optional<FolderRow>& folder) {
        bool known = std::any_of(folders.begin(), folders.end(), [&](const RegistrationFolder& f) {
            return folder && f.folder.id == folder->id;
        });
        if (folder && !known)
            folders.push_back({mailbox, *folder});
    };
    add(where.mailbox, data.FindFolder(where.mailbox.id, ""));
    for (const MailboxRow& system : data.SystemMailboxes(where.mailbox.storeId))
        add(system, data.FindFolder(system.id, kGlobalEventsPath));
    return folders;
}

// What the store reports of a sink that could not be created, or whose
// event method failed (its process died or hung): an error of the store's
// source in the machine's Application log. The change goes on either way.
void ReportSinkFailure(StoreSession& session, uint32_t eventId, const std::string& sinkClass,
                       const std::string& url, const ComError& error) {
    session.Report({std::string(kStoreEventSource),
                    EventType::Error,
                    eventId,
                    {sinkClass, url, std::to_string(error.number()), error.description()}});
}

std::vector<LoadedSink> CreateSinks(StoreSession& session,
                                    const std::vector<EventRegistration>& registrations,
                                    const std::string& url) {
    std::vector<LoadedSink> sinks;
    for (const EventRegistration& registration : registrations) {
        std::shared_ptr<ComObject> object;
        try {
            object = session.activation().CreateObject(registration.sinkClass);
        } catch (const ComError& error) {
            // A sink that cannot be created is skipped; the change goes on.
            ReportSinkFailure(session, store_event_id::kSinkNotCreated, registration.sinkClass, url,
                              error);
            continue;
        }
        StoreSyncEvents* events = object ? object->AsStoreSyncEvents() : nullptr;
        if (events)
            sinks.push_back(LoadedSink{object, events, registration.sinkClass});
    }
    return sinks;
}

void RunPhase(StoreSession& session, std::vector<LoadedSink>& sinks, SyncEvent event,
              store::EventInfo& info, const std::string& url, int32_t flags) {
    for (LoadedSink& sink : sinks) {
        try {
            if (event == SyncEvent::Save)
                sink.events->OnSyncSave(info, url, flags);
            else
                sink.events->OnSyncDelete(info, url, flags);
        } catch (const ComError& error) {
            // A sink that fails does not veto the change.
            if (!std::exchange(sink.reported, true))
                ReportSinkFailure(session, store_event_id::kSinkFailed, sink.sinkClass, url, error);
        } catch (const std::exception&) {
            // Neither does one that fails in any other way.
        }
    }
}

// One synchronous event on the item in flight: the begin phase for every
// sink that applies, then change, then the committed phase, or the aborted
// phase when change fails (its failure goes on to the caller).
void RunSyncEvent(const std::shared_ptr<StoreSession>& session, const Location& where,
                  const std::shared_ptr<InFlightItem>& inFlight, SyncEvent event, int32_t itemFlags,
                  const std::function<void(store::EventInfo&)>& change) {
    // A sink's own entries made while the client's transaction holds the
    // server wait for it with the store's.
    HoldEventReportsOnThisThread holding(*session);
    auto snapshot = std::make_optional<ReadSnapshot>(session->db());
    std::vector<EventRegistration> registrations =
        FindRegistrations(session->data(), where, inFlight->item, event);
    SyncEventInfo info(session, inFlight);
    const std::string url = inFlight->item.url;
    std::vector<LoadedSink> sinks = CreateSinks(*session, registrations, url);
    RunPhase(*session, sinks, event, info, url, event_flag::kSyncBegin | itemFlags);
    // What the begin phase read was one state of the store; the change is
    // made after it.
    snapshot.reset();
    try {
        change(info);
    } catch (...) {
        RunPhase(*session, sinks, event, info, url, event_flag::kSyncAborted | itemFlags);
        throw;
    }
    RunPhase(*session, sinks, event, info, url, event_flag::kSyncCommitted | itemFlags);
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

// Runs write inside the session's transaction, or in one of its own when
// the session has none open.
template <typename Write>
auto InWriteTransaction(StoreSession& session, Write&& write) {
    std::optional<DbTransaction> transaction;
    if (!session.db().InTransaction())
        transaction.emplace(session.db());
    auto result = write();
    if (transaction)
        transaction->Commit();
    return result;
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

std::vector<EventRegistration> FindRegistrations(StoreData& data, const Location& where,
                                                 const StoredItem& item, SyncEvent event) {
    std::vector<EventRegistration> found;
    for (const RegistrationFolder& home : RegistrationFolders(data, where)) {
        for (const StoredItem& registration : data.RegistrationItems(home.mailbox, home.folder)) {
            if (ScopeReaches(TextOf(registration, property::kMatchScope), home.mailbox, home.folder,
                             where.mailbox, where.folder) &&
                Fires(registration, item, event)) {
                found.push_back(EventRegistration{registration.url,
                                                  TextOf(registration, property::kSinkClass),
                                                  PriorityOf(registration)});
            }
        }
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const EventRegistration& a, const EventRegistration& b) {
                         return a.priority < b.priority;
                     });
    return found;
}

int64_t SaveItem(std::shared_ptr<StoreSession> session, const Location& where, StoredItem item,
                 int32_t itemFlags) {
    item.folderId = where.folder.id;
    item.url = session->data().FolderUrl(where.mailbox, where.folder) + "/" + item.name;
    auto inFlight = std::make_shared<InFlightItem>(InFlightItem{std::move(item)});
    // A delivered message never replaces another of the same name.
    const bool replace = (itemFlags & event_flag::kIsDelivered) == 0;
    int64_t id = 0;
    RunSyncEvent(session, where, inFlight, SyncEvent::Save, itemFlags, [&](store::EventInfo& info) {
        if (text::EqualsNoCase(TextOf(inFlight->item, property::kContentClass),
                               content_class::kEventRegistration))
            RegisterSink(session->activation(), info, inFlight->item, itemFlags);
        id = InWriteTransaction(*session,
                                [&] { return session->data().WriteItem(inFlight->item, replace); });
    });
    return id;
}

void DeleteItem(std::shared_ptr<StoreSession> session, const Location& where) {
    const int64_t id = where.itemId.value_or(0);
    auto inFlight =
        std::make_shared<InFlightItem>(InFlightItem{session->data().ReadItem(id, where.url)});
    RunSyncEvent(session, where, inFlight, SyncEvent::Delete, event_flag::kHardDelete,
                 [&](store::EventInfo&) {
                     InWriteTransaction(*session, [&] {
                         session->data().DeleteItem(id);
                         return 0;
                     });
                 });
}

FolderRow CreateFolder(std::shared_ptr<StoreSession> session, const MailboxRow& mailbox,
                       const std::string& path) {
    const std::vector<std::string> parts = SplitPath(path);
    if (parts.empty())
        ThrowNotFound();
    std::optional<FolderRow> parent =
        session->data().FindFolder(mailbox.id, JoinPath(parts, parts.size() - 1));
    if (!parent)
        ThrowNotFound();
    Location where;
    where.kind = Location::Kind::Item;
    where.mailbox = mailbox;
    where.folder = *parent;
    where.itemName = parts.back();
    where.url = session->data().FolderUrl(mailbox, *parent) + "/" + parts.back();
    StoredItem folder;
    folder.name = parts.back();
    folder.url = where.url;
    folder.folderId = parent->id;
    folder.properties = FolderProperties(folder.url, folder.name);
    auto inFlight = std::make_shared<InFlightItem>(InFlightItem{std::move(folder)});
    const std::string joined = JoinPath(parts, parts.size());
    RunSyncEvent(session, where, inFlight, SyncEvent::Save,
                 event_flag::kNewItem | event_flag::kIsCollection, [&](store::EventInfo&) {
                     InWriteTransaction(*session, [&] {
                         session->data().InsertFolder(mailbox.id, joined, false);
                         return 0;
                     });
                 });
    return *session->data().FindFolder(mailbox.id, joined);
}

}  // namespace platform::emulated

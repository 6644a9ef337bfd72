#include "platform/emulated/db/Faults.h"

#include <fnmatch.h>

#include "platform/ComError.h"
#include "platform/emulated/db/FaultOperations.h"

namespace platform::emulated {

namespace {

PlantedFault ReadFault(const Statement& row) {
    PlantedFault fault;
    fault.id = row.Int(0);
    fault.operation = row.Text(1);
    fault.urlPattern = row.OptionalText(2);
    fault.number = static_cast<int32_t>(row.Int(3));
    fault.description = row.Text(4);
    if (!row.IsNull(5))
        fault.remaining = row.Int(5);
    return fault;
}

// Every planted fault, kept with a connection while no fault changes: the
// store checks for one at every step of every call.
struct KeptFaults {
    std::optional<std::vector<PlantedFault>> all;
};

// A fault at an operation the server does not have would never fire.
void RequireKnownOperation(std::string_view operation) {
    if (!IsFaultOperation(operation)) {
        throw ServerError("the emulated server has no operation \"" + std::string(operation) +
                          "\"; the operations are: " + FaultOperationNames());
    }
}

constexpr std::string_view kSelectFaults =
    "SELECT id, operation, url_pattern, hresult, description, remaining FROM faults ";

}  // namespace

bool FaultPatternMatches(const std::string& pattern, std::string_view url) {
    std::string subject(url);
    return fnmatch(pattern.c_str(), subject.c_str(), FNM_CASEFOLD) == 0;
}

int64_t Faults::Plant(const PlantedFault& fault) {
    RequireKnownOperation(fault.operation);
    db_.LeaveSnapshot();
    auto insert = db_.Prepare(
        "INSERT INTO faults(operation, url_pattern, hresult, description, remaining) "
        "VALUES(?1, ?2, ?3, ?4, ?5)");
    insert.Bind(1, std::string_view(fault.operation)).Bind(2, fault.urlPattern);
    insert.Bind(3, int64_t{fault.number}).Bind(4, std::string_view(fault.description));
    if (fault.remaining)
        insert.Bind(5, *fault.remaining);
    insert.Run();
    return db_.LastInsertId();
}

std::vector<PlantedFault> Faults::List() {
    auto query = db_.Prepare(std::string(kSelectFaults) + "ORDER BY id");
    std::vector<PlantedFault> faults;
    while (query.Step())
        faults.push_back(ReadFault(query));
    return faults;
}

void Faults::Remove(int64_t id) {
    db_.LeaveSnapshot();
    db_.Prepare("DELETE FROM faults WHERE id = ?1").Bind(1, id).Run();
}

void Faults::Clear() {
    db_.LeaveSnapshot();
    db_.Prepare("DELETE FROM faults").Run();
}

std::vector<PlantedFault> Faults::Candidates(std::string_view operation) {
    std::vector<PlantedFault> candidates;
    if (KeptFaults* kept = db_.KeptForConfiguration<KeptFaults>()) {
        if (!kept->all)
            kept->all = List();
        for (const PlantedFault& fault : *kept->all) {
            if (fault.operation == operation && (!fault.remaining || *fault.remaining > 0))
                candidates.push_back(fault);
        }
        return candidates;
    }
    auto query = db_.Prepare(std::string(kSelectFaults) +
                             "WHERE operation = ?1 AND (remaining IS NULL OR remaining > 0) "
                             "ORDER BY id");
    query.Bind(1, operation);
    while (query.Step())
        candidates.push_back(ReadFault(query));
    return candidates;
}

std::optional<PlantedFault> Faults::Take(std::string_view operation, std::string_view url) {
    RequireKnownOperation(operation);
    for (PlantedFault& fault : Candidates(operation)) {
        if (fault.urlPattern && !FaultPatternMatches(*fault.urlPattern, url))
            continue;
        // Another process may have taken the last use in the meantime.
        if (fault.remaining && !TakeOneUse(fault.id))
            continue;
        return fault;
    }
    return std::nullopt;
}

void Faults::TakeUse(int64_t id) {
    TakeOneUse(id);
}

bool Faults::TakeOneUse(int64_t id) {
    db_.LeaveSnapshot();
    db_.Prepare("UPDATE faults SET remaining = remaining - 1 WHERE id = ?1 AND remaining > 0")
        .Bind(1, id)
        .Run();
    return db_.Changes() > 0;
}

void Faults::Check(std::string_view operation, std::string_view url) {
    if (auto fault = Take(operation, url))
        throw ComError(fault->number, fault->description);
}

void FaultGate::Check(std::string_view operation, std::string_view url) {
    auto fault = faults_.Take(operation, url);
    if (!fault)
        return;
    if (fault->remaining && db_.InTransaction())
        takenInTransaction_.push_back(fault->id);
    throw ComError(fault->number, fault->description);
}

void FaultGate::TransactionEnded(bool committed) {
    if (!committed) {
        for (int64_t id : takenInTransaction_)
            faults_.TakeUse(id);
    }
    takenInTransaction_.clear();
}

}  // namespace platform::emulated

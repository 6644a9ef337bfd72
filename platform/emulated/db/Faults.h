#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/emulated/db/ServerDb.h"

// Planted failures: any part of the emulated server can be told to fail a
// named operation (FaultOperations.h: "record.open", "directory.execute", ...) with a given
// number and description, optionally only for URLs matching a glob pattern
// and only a number of times. Faults live in the server database, so a
// fault planted by one process is met by another.
namespace platform::emulated {

struct PlantedFault {
    int64_t id = 0;
    std::string operation;
    // fnmatch pattern, compared without regard to case; none matches every URL.
    std::optional<std::string> urlPattern;
    int32_t number = 0;
    std::string description;
    // Uses left; none means the fault fails every matching operation.
    std::optional<int64_t> remaining;
};

class Faults {
  public:
    explicit Faults(ServerDb& db) : db_(db) {}

    // Plants the fault (its id is ignored) and returns the new id; an
    // operation the server does not have throws ServerError naming those it has.
    int64_t Plant(const PlantedFault& fault);
    // Every planted fault, oldest first, used-up ones included.
    std::vector<PlantedFault> List();
    void Remove(int64_t id);
    void Clear();

    // The oldest fault that applies to the operation on url, with one use
    // taken from it when it is counted; none when nothing applies.
    std::optional<PlantedFault> Take(std::string_view operation, std::string_view url);
    // Takes one use from a counted fault again (see FaultGate).
    void TakeUse(int64_t id);
    // Throws the ComError of the fault that applies, if one does.
    void Check(std::string_view operation, std::string_view url);

  private:
    // The faults for the operation that have uses left, oldest first.
    std::vector<PlantedFault> Candidates(std::string_view operation);
    bool TakeOneUse(int64_t id);

    ServerDb& db_;
};

// The fault checks made on one database connection. A use taken from a
// counted fault while the connection is inside a transaction would come
// back when that transaction is rolled back; the gate takes it again then,
// so a fault planted for N times fails exactly N operations.
class FaultGate {
  public:
    explicit FaultGate(ServerDb& db) : db_(db), faults_(db) {}
    void Check(std::string_view operation, std::string_view url);
    // Call after the connection's transaction ended.
    void TransactionEnded(bool committed);

  private:
    ServerDb& db_;
    Faults faults_;
    std::vector<int64_t> takenInTransaction_;
};

// Whether the glob pattern matches url (case-insensitive).
bool FaultPatternMatches(const std::string& pattern, std::string_view url);

}  // namespace platform::emulated

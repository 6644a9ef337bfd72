#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/Activation.h"
#include "platform/Clock.h"
#include "platform/ComError.h"
#include "platform/Profile.h"
#include "platform/StoreAdo.h"
#include "sink/FailureReports.h"

// The sink class the mail store creates for the registered events, and the
// three methods the setup program manages registration items with.
class MorvaneCls : public platform::StoreSyncEvents, public platform::CreateRegistration {
  public:
    // Dispatch identifiers of the class's own methods on _MorvaneCls.
    static constexpr int32_t kDispIdCreateRegItem = 0x60030004;
    static constexpr int32_t kDispIdRemoveRegItem = 0x60030005;
    static constexpr int32_t kDispIdCheckRegItemExists = 0x60030006;

    explicit MorvaneCls(platform::store::Ado& ado = platform::store::SystemAdo(),
                        const platform::Clock& clock = platform::SystemClock(),
                        FailureReports& reports = ProcessFailureReports(),
                        platform::Profile& profile = platform::SystemProfile());

    // The store's synchronous events. Never fail and never veto the change;
    // what goes wrong goes to the event log (FailureReports).
    void OnSyncSave(platform::store::EventInfo& pEventInfo, const std::string& bstrURLItem,
                    int32_t lFlags) override;
    void OnSyncDelete(platform::store::EventInfo& pEventInfo, const std::string& bstrURLItem,
                      int32_t lFlags) override;

    // Accepts every registration: the result is always 0.
    int32_t Register(platform::store::EventInfo& pEventInfo, const std::string& bstrURLItem,
                     int32_t lFlags) override;

    // Registration items. Each returns "1", "0" or an error line; the
    // arguments are left as they are.
    std::string CreateRegItem(std::string& FolderURL, std::string& SubFolderName,
                              std::string& itemName, std::string& EventMethod,
                              std::string& SinkClass, std::string& MatchScope,
                              std::string& Criteria, std::string& Priority);
    std::string RemoveRegItem(std::string& sParentUrl, std::string& SubFolderName,
                              std::string& sName);
    std::string CheckRegItemExists(std::string& sParentUrl, std::string& SubFolderName,
                                   std::string& sName);

  private:
    // Refreshes the thread's settings path and display format from the
    // settings file; a failing step keeps the previous value. Returns the
    // first failure, for the report.
    std::optional<platform::ComError> LoadSettings();

    // Reports the failure an event method caught.
    void ReportFailure(FailureKind kind, const char* event, int32_t lFlags,
                       const std::string& bstrURLItem, const platform::ComError& error);
    void ReportOutOfMemory(const char* event, int32_t lFlags, const std::string& bstrURLItem);

    // "[" date and time "] " url " - ERROR: " number " " description.
    std::string ErrorLine(const std::string& url, const platform::ComError& error) const;
    // "0" for an item (or folder) not found, the error line otherwise.
    std::string NotFoundOrErrorLine(const std::string& url, const platform::ComError& error) const;

    platform::store::Ado& ado_;
    const platform::Clock& clock_;
    FailureReports& reports_;
    platform::Profile& profile_;
};

#include "sink/StoreSession.h"

#include "platform/ComError.h"

namespace store = platform::store;

namespace {
constexpr char kStoreProvider[] = "ExOLEDB.DataSource";
}  // namespace

StoreSession::StoreSession(store::Ado& ado) : ado_(ado) {}

StoreSession::~StoreSession() {
    CleanUp();
}

void StoreSession::Connect(const std::string& url) {
    connection_ = ado_.CreateConnection();
    connection_->SetProvider(kStoreProvider);
    connection_->Open(url, "", "", store::adConnectUnspecified);
}

void StoreSession::BeginTrans() {
    connection_->BeginTrans();
    inTransaction_ = true;
}

void StoreSession::CommitTrans() {
    connection_->CommitTrans();
    inTransaction_ = false;
}

void StoreSession::OpenForRead(const std::string& url) {
    Open(url, store::adModeRead, store::adFailIfNotExists, store::adOpenRecordUnspecified);
}

void StoreSession::OpenForCreate(const std::string& url) {
    Open(url, store::adModeReadWrite, store::adCreateOverwrite, store::adDelayFetchFields);
}

void StoreSession::OpenExisting(const std::string& url) {
    Open(url, store::adModeReadWrite, store::adFailIfNotExists, store::adOpenRecordUnspecified);
}

store::Record& StoreSession::record() {
    if (!record_)
        record_ = ado_.CreateRecord();
    return *record_;
}

void StoreSession::CloseRecordIfOpen() {
    if (record_ && record_->State() == store::adStateOpen)
        record_->Close();
}

void StoreSession::Open(const std::string& url, int32_t mode, int32_t createOptions,
                        int32_t options) {
    record().Open(url, *connection_, mode, createOptions, options, "", "");
}

void StoreSession::CleanUp() noexcept {
    try {
        CloseRecordIfOpen();
    } catch (const platform::ComError&) {
        // Released below all the same.
    }
    record_.reset();
    if (!connection_)
        return;
    try {
        if (inTransaction_ && connection_->State() == store::adStateOpen) {
            inTransaction_ = false;
            connection_->RollbackTrans();
        }
    } catch (const platform::ComError&) {
        // The connection's close ends the transaction in any case.
    }
    try {
        if (connection_->State() == store::adStateOpen)
            connection_->Close();
    } catch (const platform::ComError&) {
        // Released below all the same.
    }
    connection_.reset();
}

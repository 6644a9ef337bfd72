#include "platform/emulated/activation/ActivationApartment.h"

#include "platform/ComError.h"
#include "platform/emulated/activation/ActivationLibrary.h"

namespace platform::emulated {

namespace {

// Runs a call into the library; an error it raises is raised again as an
// error made by the host.
template <typename Call>
auto CallIntoLibrary(Call&& call) -> decltype(call()) {
    try {
        return call();
    } catch (const ComError& error) {
        throw ComError(error.number(), error.description());
    }
}

}  // namespace

ApartmentObject::ApartmentObject(std::shared_ptr<LoadedLibrary> library,
                                 std::shared_ptr<ComObject> instance)
    : library_(std::move(library)),
      instance_(std::move(instance)),
      apartment_(std::this_thread::get_id()) {}

ApartmentObject::~ApartmentObject() = default;

void ApartmentObject::CheckApartment() const {
    if (std::this_thread::get_id() != apartment_) {
        throw ComError(activation_error::RPC_E_WRONG_THREAD,
                       "The application called an interface that was marshalled for a "
                       "different thread.");
    }
}

Dispatch* ApartmentObject::AsDispatch() {
    CheckApartment();
    return instance_->AsDispatch() ? this : nullptr;
}

StoreSyncEvents* ApartmentObject::AsStoreSyncEvents() {
    CheckApartment();
    return instance_->AsStoreSyncEvents() ? this : nullptr;
}

CreateRegistration* ApartmentObject::AsCreateRegistration() {
    CheckApartment();
    return instance_->AsCreateRegistration() ? this : nullptr;
}

int32_t ApartmentObject::GetIDOfName(const std::string& member) {
    CheckApartment();
    return CallIntoLibrary([&] { return instance_->AsDispatch()->GetIDOfName(member); });
}

Variant ApartmentObject::Invoke(const std::string& member, std::vector<DispArg>& args) {
    CheckApartment();
    return CallIntoLibrary([&] { return instance_->AsDispatch()->Invoke(member, args); });
}

void ApartmentObject::OnSyncSave(store::EventInfo& eventInfo, const std::string& urlItem,
                                 int32_t flags) {
    CheckApartment();
    CallIntoLibrary([&] { instance_->AsStoreSyncEvents()->OnSyncSave(eventInfo, urlItem, flags); });
}

void ApartmentObject::OnSyncDelete(store::EventInfo& eventInfo, const std::string& urlItem,
                                   int32_t flags) {
    CheckApartment();
    CallIntoLibrary(
        [&] { instance_->AsStoreSyncEvents()->OnSyncDelete(eventInfo, urlItem, flags); });
}

int32_t ApartmentObject::Register(store::EventInfo& eventInfo, const std::string& urlItem,
                                  int32_t flags) {
    CheckApartment();
    return CallIntoLibrary(
        [&] { return instance_->AsCreateRegistration()->Register(eventInfo, urlItem, flags); });
}

}  // namespace platform::emulated

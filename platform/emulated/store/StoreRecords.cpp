#include "platform/emulated/store/StoreRecords.h"

#include "platform/ComError.h"
#include "platform/Text.h"

namespace platform::emulated {

namespace {

class CoreField : public store::Field {
  public:
    CoreField(std::shared_ptr<FieldsCore> core, std::string name)
        : core_(std::move(core)), name_(std::move(name)) {}
    Variant Value() override {
        return AsComError([&] { return core_->Read(name_); });
    }
    void SetValue(const Variant& value) override {
        AsComError([&] { core_->Write(name_, value); });
    }

  private:
    std::shared_ptr<FieldsCore> core_;
    std::string name_;
};

class CoreFields : public store::Fields {
  public:
    explicit CoreFields(std::shared_ptr<FieldsCore> core) : core_(std::move(core)) {}
    int32_t Count() override {
        return AsComError([&] { return core_->Count(); });
    }
    std::shared_ptr<store::Field> Item(const std::string& name) override {
        return std::make_shared<CoreField>(core_, name);
    }
    void Update() override {
        AsComError([&] { core_->Update(); });
    }
    std::vector<std::string> Names() {
        return AsComError([&] { return core_->Names(); });
    }

  private:
    std::shared_ptr<FieldsCore> core_;
};

}  // namespace

void ThrowObjectClosed() {
    throw ComError(hresult::FromUnsigned(0x800A0E78),
                   "Operation is not allowed when the object is closed.");
}

void ThrowObjectOpen() {
    throw ComError(hresult::FromUnsigned(0x800A0E79),
                   "Operation is not allowed when the object is open.");
}

void ThrowNotCapable() {
    throw ComError(hresult::FromUnsigned(0x800A0CB3),
                   "Object or provider is not capable of performing requested operation.");
}

std::shared_ptr<store::Fields> MakeFields(std::shared_ptr<FieldsCore> core) {
    return std::make_shared<CoreFields>(std::move(core));
}

std::vector<std::string> FieldNames(store::Fields& fields) {
    auto* core = dynamic_cast<CoreFields*>(&fields);
    if (core == nullptr)
        ThrowNotCapable();
    return core->Names();
}

void FieldsCore::RequireOpen() const {
    if (closed_)
        ThrowObjectClosed();
}

PropertyList FieldsCore::Merged() {
    PropertyList merged = Committed();
    for (const auto& [name, value] : changes_)
        merged.Set(name, value);
    return merged;
}

int32_t FieldsCore::Count() {
    RequireOpen();
    return static_cast<int32_t>(Merged().size());
}

std::vector<std::string> FieldsCore::Names() {
    RequireOpen();
    std::vector<std::string> names;
    const PropertyList merged = Merged();
    for (const auto& [name, value] : merged.entries())
        names.push_back(name);
    return names;
}

Variant FieldsCore::Read(const std::string& name) {
    RequireOpen();
    session_->faults().Check("field.read", url_);
    for (auto it = changes_.rbegin(); it != changes_.rend(); ++it) {
        if (text::EqualsNoCase(it->first, name))
            return it->second;
    }
    return Committed().Get(name);
}

void FieldsCore::Write(const std::string& name, const Variant& value) {
    RequireOpen();
    session_->faults().Check("field.write", url_);
    changes_.emplace_back(name, value);
}

void FieldsCore::Update() {
    RequireOpen();
    session_->faults().Check("fields.update", url_);
    Commit(Merged());
    changes_.clear();
}

}  // namespace platform::emulated

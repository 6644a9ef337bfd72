#include "platform/emulated/directory/LdapSearch.h"

#include <ldap.h>

#include <algorithm>
#include <cstring>

#include "platform/ComError.h"

namespace platform::emulated {

namespace {

struct ProviderError {
    int ldapCode;
    uint32_t hresult;
    const char* text;
};

// The platform's provider maps LDAP's result codes to Win32 errors; the
// texts are the system's messages for them.
constexpr ProviderError kProviderErrors[] = {
    {LDAP_SERVER_DOWN, 0x8007203A, "The server is not operational."},
    {LDAP_CONNECT_ERROR, 0x8007203A, "The server is not operational."},
    {LDAP_UNAVAILABLE, 0x8007200F, "The server is not available."},
    {LDAP_BUSY, 0x8007200E, "The directory service is busy."},
    {LDAP_INVALID_CREDENTIALS, 0x8007052E, "Logon failure: unknown user name or bad password."},
    {LDAP_INSUFFICIENT_ACCESS, 0x80070005, "Access is denied."},
    {LDAP_OPERATIONS_ERROR, 0x80072020, "An operations error occurred."},
    {LDAP_PROTOCOL_ERROR, 0x80072021, "A protocol error occurred."},
    {LDAP_TIMELIMIT_EXCEEDED, 0x80072022, "The time limit for this request was exceeded."},
    {LDAP_ADMINLIMIT_EXCEEDED, 0x80072024,
     "The administrative limit for this request was exceeded."},
    {LDAP_STRONG_AUTH_REQUIRED, 0x80072028,
     "A more secure authentication method is required for this server."},
    {LDAP_UNAVAILABLE_CRITICAL_EXTENSION, 0x8007202C, "A critical extension is unavailable."},
    {LDAP_NO_SUCH_OBJECT, 0x80072030, "There is no such object on the server."},
    {LDAP_INVALID_DN_SYNTAX, 0x80072032, "An invalid dn syntax has been specified."},
    {LDAP_UNWILLING_TO_PERFORM, 0x80072035, "The server is unwilling to process the request."},
    {LDAP_FILTER_ERROR, 0x8007203E, "The search filter cannot be recognized."},
    {LDAP_TIMEOUT, 0x800705B4, "This operation returned because the timeout period expired."},
};

struct MessageDeleter {
    void operator()(LDAPMessage* message) const { ldap_msgfree(message); }
};
using Message = std::unique_ptr<LDAPMessage, MessageDeleter>;

struct ControlsDeleter {
    void operator()(LDAPControl** controls) const { ldap_controls_free(controls); }
};
using Controls = std::unique_ptr<LDAPControl*, ControlsDeleter>;

std::vector<std::string> Values(LDAP* ldap, LDAPMessage* entry, const char* attribute) {
    std::vector<std::string> values;
    berval** found = ldap_get_values_len(ldap, entry, attribute);
    if (found == nullptr)
        return values;
    for (berval** value = found; *value != nullptr; ++value)
        values.emplace_back((*value)->bv_val, (*value)->bv_len);
    ldap_value_free_len(found);
    return values;
}

LdapEntry ReadEntry(LDAP* ldap, LDAPMessage* message) {
    LdapEntry entry;
    if (char* dn = ldap_get_dn(ldap, message)) {
        entry.dn = dn;
        ldap_memfree(dn);
    }
    BerElement* position = nullptr;
    for (char* name = ldap_first_attribute(ldap, message, &position); name != nullptr;
         name = ldap_next_attribute(ldap, message, position)) {
        entry.attributes.emplace_back(name, Values(ldap, message, name));
        ldap_memfree(name);
    }
    if (position != nullptr)
        ber_free(position, 0);
    return entry;
}

}  // namespace

LdapSession::~LdapSession() {
    ldap_unbind_ext_s(handle_, nullptr, nullptr);
}

void ThrowLdapError(int code) {
    for (const ProviderError& error : kProviderErrors) {
        if (error.ldapCode == code)
            throw ComError(hresult::FromUnsigned(error.hresult), error.text);
    }
    throw ComError(hresult::FromUnsigned(0x8007001F),
                   std::string("A device attached to the system is not functioning. (") +
                       ldap_err2string(code) + ")");
}

std::shared_ptr<LdapSession> BindLdap(const std::string& uri, const std::string& account,
                                      const std::string& password) {
    LDAP* handle = nullptr;
    if (const int failed = ldap_initialize(&handle, uri.c_str()); failed != LDAP_SUCCESS)
        ThrowLdapError(failed);
    auto session = std::make_shared<LdapSession>(handle);
    const int version = LDAP_VERSION3;
    ldap_set_option(handle, LDAP_OPT_PROTOCOL_VERSION, &version);
    ldap_set_option(handle, LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
    // The server is on this machine: a connection that takes longer is
    // one that will not come.
    timeval connectLimit{10, 0};
    ldap_set_option(handle, LDAP_OPT_NETWORK_TIMEOUT, &connectLimit);
    berval credentials{static_cast<ber_len_t>(password.size()), const_cast<char*>(password.data())};
    const int bound = ldap_sasl_bind_s(handle, account.c_str(), LDAP_SASL_SIMPLE, &credentials,
                                       nullptr, nullptr, nullptr);
    if (bound != LDAP_SUCCESS)
        ThrowLdapError(bound);
    return session;
}

LdapPagedSearch::LdapPagedSearch(std::shared_ptr<LdapSession> session, LdapSearchRequest request)
    : session_(std::move(session)), request_(std::move(request)) {}

LdapPagedSearch::~LdapPagedSearch() = default;

std::vector<LdapEntry> LdapPagedSearch::NextPage() {
    LDAP* ldap = session_->Handle();
    std::vector<LDAPControl*> controls;
    LDAPControl* page = nullptr;
    LDAPControl* sort = nullptr;
    if (request_.pageSize > 0) {
        berval cookie{static_cast<ber_len_t>(cookie_.size()), cookie_.data()};
        if (const int failed = ldap_create_page_control(ldap, request_.pageSize, &cookie, 0, &page))
            ThrowLdapError(failed);
        controls.push_back(page);
    }
    if (request_.sortKey) {
        std::string key = (request_.descending ? "-" : "") + *request_.sortKey;
        LDAPSortKey** keys = nullptr;
        ldap_create_sort_keylist(&keys, key.data());
        const int failed = ldap_create_sort_control(ldap, keys, 0, &sort);
        ldap_free_sort_keylist(keys);
        if (failed != LDAP_SUCCESS) {
            ldap_control_free(page);
            ThrowLdapError(failed);
        }
        controls.push_back(sort);
    }
    controls.push_back(nullptr);
    std::vector<char*> attributes;
    for (std::string& attribute : request_.attributes)
        attributes.push_back(attribute.data());
    attributes.push_back(nullptr);
    timeval limit{request_.timeoutSeconds, 0};
    LDAPMessage* raw = nullptr;
    const int searched = ldap_search_ext_s(
        ldap, request_.base.c_str(), request_.scope, request_.filter.c_str(),
        request_.attributes.empty() ? nullptr : attributes.data(), 0, controls.data(), nullptr,
        request_.timeoutSeconds > 0 ? &limit : nullptr, request_.sizeLimit, &raw);
    Message result(raw);
    ldap_control_free(page);
    ldap_control_free(sort);
    // A result cut at the size limit is a result: the provider returns the
    // rows it got.
    if (searched != LDAP_SUCCESS && searched != LDAP_SIZELIMIT_EXCEEDED)
        ThrowLdapError(searched);

    std::vector<LdapEntry> entries;
    for (LDAPMessage* entry = ldap_first_entry(ldap, result.get()); entry != nullptr;
         entry = ldap_next_entry(ldap, entry)) {
        if (request_.sizeLimit > 0 && returned_ >= request_.sizeLimit)
            break;
        entries.push_back(ReadEntry(ldap, entry));
        ++returned_;
    }
    cookie_.clear();
    int code = LDAP_SUCCESS;
    LDAPControl** serverControls = nullptr;
    if (ldap_parse_result(ldap, result.get(), &code, nullptr, nullptr, nullptr, &serverControls,
                          0) == LDAP_SUCCESS) {
        Controls held(serverControls);
        if (LDAPControl* response =
                ldap_control_find(LDAP_CONTROL_PAGEDRESULTS, serverControls, nullptr)) {
            ber_int_t estimate = 0;
            berval cookie{0, nullptr};
            if (ldap_parse_pageresponse_control(ldap, response, &estimate, &cookie) ==
                LDAP_SUCCESS) {
                cookie_.assign(cookie.bv_val != nullptr ? cookie.bv_val : "", cookie.bv_len);
                ber_memfree(cookie.bv_val);
            }
        }
    }
    done_ = cookie_.empty() || searched == LDAP_SIZELIMIT_EXCEEDED ||
            (request_.sizeLimit > 0 && returned_ >= request_.sizeLimit);
    return entries;
}

std::string ReadRootDseHostName(const std::shared_ptr<LdapSession>& session) {
    LdapSearchRequest request;
    request.scope = LDAP_SCOPE_BASE;
    request.filter = "(objectClass=*)";
    request.attributes = {"dnsHostName"};
    std::vector<LdapEntry> entries = LdapPagedSearch(session, request).NextPage();
    for (const LdapEntry& entry : entries) {
        for (const auto& [name, values] : entry.attributes) {
            if (strcasecmp(name.c_str(), "dnsHostName") == 0 && !values.empty())
                return values.front();
        }
    }
    throw ComError(hresult::FromUnsigned(0x8000500D),
                   "The directory property cannot be found in the cache.");
}

}  // namespace platform::emulated

#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// A directory server reached over LDAP with OpenLDAP's client library, as
// the directory's OLE DB provider reaches a domain controller: a simple
// bind, then searches that page through the result and ask the server to
// sort it. Every failure throws platform::ComError with the number and text
// the platform's provider gives for it (0x8007203A "The server is not
// operational." for a server that cannot be reached, 0x8007052E for a
// refused bind, ...).
// OpenLDAP's session handle (LDAP in <ldap.h>).
struct ldap;

namespace platform::emulated {

struct LdapEntry {
    std::string dn;
    // Attribute names as the server spells them, each with its values.
    std::vector<std::pair<std::string, std::vector<std::string>>> attributes;
};

struct LdapSearchRequest {
    std::string base;  // "" for the whole global catalog
    int scope = 2;     // 0 base, 1 one level, 2 subtree
    std::string filter;
    std::vector<std::string> attributes;  // none: every attribute
    std::optional<std::string> sortKey;
    bool descending = false;
    int32_t pageSize = 0;   // 0: one request, not paged
    int32_t sizeLimit = 0;  // 0: no limit
    int timeoutSeconds = 0;
};

// One connection to the server, unbound when the last holder lets go.
class LdapSession {
  public:
    explicit LdapSession(::ldap* handle) : handle_(handle) {}
    ~LdapSession();
    LdapSession(const LdapSession&) = delete;
    LdapSession& operator=(const LdapSession&) = delete;
    ::ldap* Handle() const { return handle_; }

  private:
    ::ldap* handle_;
};

// An open, bound session. uri: "ldap://127.0.0.2:3268".
std::shared_ptr<LdapSession> BindLdap(const std::string& uri, const std::string& account,
                                      const std::string& password);

// One search, a page at a time. The first page is asked for by the first
// NextPage; the search is done after the page the server sends no further
// cookie with, or once the size limit is reached.
class LdapPagedSearch {
  public:
    LdapPagedSearch(std::shared_ptr<LdapSession> session, LdapSearchRequest request);
    ~LdapPagedSearch();
    LdapPagedSearch(const LdapPagedSearch&) = delete;
    LdapPagedSearch& operator=(const LdapPagedSearch&) = delete;

    std::vector<LdapEntry> NextPage();
    bool Done() const { return done_; }

  private:
    std::shared_ptr<LdapSession> session_;
    LdapSearchRequest request_;
    std::string cookie_;
    int32_t returned_ = 0;
    bool done_ = false;
};

// The dnsHostName of the server's root entry.
std::string ReadRootDseHostName(const std::shared_ptr<LdapSession>& session);

// The ComError the provider gives for an LDAP result code (one of
// libldap's, negative ones included).
[[noreturn]] void ThrowLdapError(int code);

}  // namespace platform::emulated

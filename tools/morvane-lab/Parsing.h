#pragma once

#include <cstdint>
#include <string>

// Checks and conversions of the tool's own arguments. Each throws LabError
// with a one-line message naming what was wrong.
namespace lab {

// A signed 32-bit number in decimal ("-2147217895") or an HRESULT in
// hexadecimal ("0x80040E19").
int32_t ParseHresult(const std::string& text);

// "local@domain" with both parts present, no blanks and no "/".
void CheckMailAddress(const std::string& address);
// A NetBIOS computer name: 1 to 15 letters, digits or hyphens.
void CheckServerName(const std::string& name);
// A DNS domain: dot-separated labels of letters, digits and hyphens.
void CheckDomainName(const std::string& domain);

}  // namespace lab

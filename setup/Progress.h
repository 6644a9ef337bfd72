#pragma once

#include <cstdint>
#include <string>

// The text the progress box shows.
namespace setup {

// The percentage of position out of total: its decimal digits (with a minus
// sign if negative), then "%". A box without a usable scale (no total
// known) shows "0%".
std::string PercentText(int32_t position, double total);

}  // namespace setup

#pragma once
// The partners of a generated register, and which of them may take a contract of each
// direction.
#include "generatorrandom.h"
#include "generatorrows.h"

#include <vector>

namespace Generator {

// Generated partners for the benchmark: unique names from city, brand and trade.
std::vector<Partner> makePartners(Random& r, int count);

// The fixed partners of the demo register, numbered KH... and GY....
std::vector<Partner> demoPartners();

// Indices of the partners that may take a contract of each direction.
struct PartnerPools {
    std::vector<int> byDirection[3];
    explicit PartnerPools(const std::vector<Partner>& partners);
};

} // namespace Generator

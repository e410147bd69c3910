#pragma once

// The definitions of the sample database's tables, in the order they must run.

#include <string>
#include <vector>

namespace tools::samplesite {

std::vector<std::string> sampleSchema(bool withVersionTable);

} // namespace tools::samplesite

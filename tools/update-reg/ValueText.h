#pragma once

// Value types and data as update-reg reads them from its command line and shows them.

#include <cstdint>
#include <string>

namespace tools::reg {

// "REG_SZ" and so on; "REG_0x..." for a type without a name.
std::string typeName(std::uint32_t type);

// The type named by --type: REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD or REG_BINARY, in any
// letter case. Throws ToolError for any other.
std::uint32_t parseTypeName(const std::string& name);

// The stored data of --data for a type. Throws ToolError for data that the type cannot hold.
std::string parseData(std::uint32_t type, const std::string& data);

// The data as the query shows it.
std::string showData(std::uint32_t type, const std::string& data);

} // namespace tools::reg

#pragma once

#include "varnex/WorkObjects.h"

#include <cstdint>
#include <string>

namespace varnex {

// Field-type codes of REG_LOK18.FIELD_TYPE.
constexpr std::int32_t kFieldTypeInteger = 1;
constexpr std::int32_t kFieldTypeFloating = 2;
constexpr std::int32_t kFieldTypeOther = 3;

std::int32_t fieldTypeOf(platform::db::ColumnKind kind);

// The field-type code of a column of a table, read from the shape of an empty result on the
// cursor. Never fails: a column or table that cannot be read gives 3.
std::int32_t ProbeFieldType(Cursor& cursor, const std::string& table, const std::string& column);

} // namespace varnex

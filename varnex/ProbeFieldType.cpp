#include "varnex/ProbeFieldType.h"

namespace varnex {

std::int32_t fieldTypeOf(platform::db::ColumnKind kind) {
    switch (kind) {
    case platform::db::ColumnKind::Integer:
        return kFieldTypeInteger;
    case platform::db::ColumnKind::Numeric:
        return kFieldTypeFloating;
    case platform::db::ColumnKind::Character:
    case platform::db::ColumnKind::Other:
        return kFieldTypeOther;
    }
    return kFieldTypeOther;
}

std::int32_t ProbeFieldType(Cursor& cursor, const std::string& table, const std::string& column) {
    std::int32_t answer = kFieldTypeOther;
    if (cursor.isOpen()) {
        cursor.close();
    }
    try {
        const auto& rows = cursor.open("select " + column + " from " + table + " where 1=2");
        const int index = rows.findColumn(column);
        if (index >= 0) {
            answer = fieldTypeOf(rows.columnKind(index));
        }
        cursor.close();
    } catch (const std::exception&) {
        // A column or table that cannot be probed keeps the character code.
    }
    return answer;
}

} // namespace varnex

#include "platform/db/Connection.h"

namespace platform::db {

int Query::column(std::string_view name) const {
    const int index = findColumn(name);
    if (index < 0) {
        throw DbError("the query has no column " + std::string(name));
    }
    return index;
}

} // namespace platform::db

// The catalogue lists of the Firebird backend, read from the system tables. Names there are
// CHAR columns padded with blanks; the lists give them trimmed.

#include "platform/db/firebird/FirebirdConnection.h"
#include "platform/text/Text.h"

namespace platform::db::firebird {

namespace {

std::vector<std::string> firstColumn(Query& q) {
    std::vector<std::string> names;
    for (; !q.eof(); q.next()) {
        names.push_back(text::trimBlanks(q.text(0)));
    }
    return names;
}

} // namespace

std::vector<std::string> FirebirdConnection::tableNames() {
    const auto q = query("SELECT RDB$RELATION_NAME FROM RDB$RELATIONS"
                         " WHERE RDB$SYSTEM_FLAG = 0 OR RDB$SYSTEM_FLAG IS NULL"
                         " ORDER BY RDB$RELATION_NAME");
    return firstColumn(*q);
}

std::vector<std::string> FirebirdConnection::columnNames(const std::string& table) {
    const auto q = query("SELECT RF.RDB$FIELD_NAME FROM RDB$RELATION_FIELDS RF"
                         " JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE"
                         " WHERE RF.RDB$RELATION_NAME = " +
                         text::sqlLiteral(table) +
                         " AND F.RDB$COMPUTED_BLR IS NULL"
                         " ORDER BY RF.RDB$FIELD_POSITION");
    return firstColumn(*q);
}

std::vector<ForeignKey> FirebirdConnection::foreignKeys(const std::string& condition) {
    const auto q = query("SELECT RC.RDB$CONSTRAINT_NAME, RC.RDB$RELATION_NAME,"
                         " PK.RDB$RELATION_NAME"
                         " FROM RDB$RELATION_CONSTRAINTS RC"
                         " JOIN RDB$REF_CONSTRAINTS REF"
                         " ON REF.RDB$CONSTRAINT_NAME = RC.RDB$CONSTRAINT_NAME"
                         " JOIN RDB$RELATION_CONSTRAINTS PK"
                         " ON PK.RDB$CONSTRAINT_NAME = REF.RDB$CONST_NAME_UQ"
                         " WHERE RC.RDB$CONSTRAINT_TYPE = 'FOREIGN KEY' AND " +
                         condition + " ORDER BY RC.RDB$RELATION_NAME, RC.RDB$CONSTRAINT_NAME");
    std::vector<ForeignKey> keys;
    for (; !q->eof(); q->next()) {
        keys.push_back({text::trimBlanks(q->text(0)), text::trimBlanks(q->text(1)),
                        text::trimBlanks(q->text(2))});
    }
    return keys;
}

std::vector<ForeignKey> FirebirdConnection::foreignKeysOf(const std::string& table) {
    return foreignKeys("RC.RDB$RELATION_NAME = " + text::sqlLiteral(table));
}

std::vector<ForeignKey> FirebirdConnection::foreignKeysTo(const std::string& table) {
    return foreignKeys("PK.RDB$RELATION_NAME = " + text::sqlLiteral(table));
}

} // namespace platform::db::firebird

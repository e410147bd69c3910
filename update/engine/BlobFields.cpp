#include "update/engine/BlobFields.h"

#include "platform/os/Os.h"
#include "platform/text/Text.h"
#include "update/engine/RunDialect.h"
#include "update/run/RunLog.h"

#include <fstream>

namespace update::engine {

namespace {

// A key names a data file of the Data folder only when it holds no path delimiter: a key such
// as "../x" would otherwise load a file from outside the package into the database. Such a
// key has no data file, and its row is reported as one whose file is missing.
bool namesDataFile(const std::string& id) {
    return id.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

using platform::db::Connection;
using platform::db::DbError;
using run::RunContext;
using run::TBlobDescr;
using run::WriteLogEntry;

// A data file that exists but cannot be read.
class DataFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class BlobFilling {
public:
    BlobFilling(RunContext& context, const std::string& scriptPath, bool& result)
        : context_(context), path_(scriptPath), result_(result), dialect_(runDialect(context)) {}

    void fill(const TBlobDescr& d) {
        try {
            Connection& connection = runConnection(context_);
            const std::string select = "SELECT " + d.GuidField + " FROM " + d.TableName +
                                       " WHERE " + d.GuidField + " IS NOT NULL";
            if (dialect_ == Dialect::Firebird && !connection.inTransaction()) {
                connection.beginTransaction();
            }
            if (dialect_ == Dialect::Oracle) {
                context_.queryTexts.oraQ = select;
            } else if (dialect_ == Dialect::MsSql) {
                context_.queryTexts.qCX = select;
            }
            const auto rows = connection.query(select);
            for (; !rows->eof(); rows->next()) {
                fillRow(connection, d, rows->text(0));
                context_.host.processMessages();
            }
            dropKey(connection, d);
        } catch (const std::exception& error) {
            WriteLogEntry(context_, path_,
                          "Не могу вставить данные в поле " + d.BlobField + " таблицы " +
                              d.TableName + " по идентификатору " +
                              platform::text::sqlLiteral(context_.lastBlobId.value_or("")) +
                              " из поля " + d.GuidField + "\r\n" + error.what());
        }
    }

private:
    void fillRow(Connection& connection, const TBlobDescr& d, const std::string& id) {
        context_.lastBlobId = id;
        const std::string file = blobDataPath(context_, id);
        if (!namesDataFile(id) || !platform::os::fileExists(file)) {
            result_ = false;
            WriteLogEntry(context_, path_,
                          "Не найден файл " + context_.UpdaterState.ProgramFolder + "Data/" + id +
                              ".lob с данными из BLOB-поля");
            return;
        }
        std::ifstream data(file, std::ios::binary);
        if (!data) {
            throw DataFileError("the data file " + file + " cannot be read");
        }
        try {
            connection.writeBlob(d.TableName, d.BlobField, d.GuidField, id, data);
        } catch (const DbError& error) {
            if (dialect_ == Dialect::Oracle || !connection.connected()) {
                throw;
            }
            result_ = false;
            WriteLogEntry(context_, path_,
                          "Ошибка заполнения BLOB-поля с идентификатором " + id + " в таблице " +
                              d.TableName + "\r\n" + error.what());
            return;
        }
        if (data.bad()) {
            throw DataFileError("the data file " + file + " could not be read to its end");
        }
    }

    void dropKey(Connection& connection, const TBlobDescr& d) {
        const bool firebird = dialect_ == Dialect::Firebird;
        const std::string drop =
            "ALTER TABLE " + d.TableName + (firebird ? " DROP " : " DROP COLUMN ") + d.GuidField;
        try {
            if (firebird) {
                context_.queryTexts.fibQ = drop;
                executeCommitting(connection, drop);
            } else {
                (dialect_ == Dialect::Oracle ? context_.queryTexts.oraQ : context_.queryTexts.qCX) =
                    drop;
                connection.execute(drop);
            }
        } catch (const DbError& error) {
            if (firebird) {
                result_ = false;
            }
            WriteLogEntry(context_, path_,
                          std::string("Ошибка при удалении BLOB-полей\r\n") + error.what() +
                              "\r\n" + drop);
        }
        if (firebird && connection.inTransaction()) {
            try {
                connection.commit();
            } catch (const DbError&) {
                // As after every drop: the next statement or the end of the file commits.
            }
        }
    }

    RunContext& context_;
    const std::string& path_;
    bool& result_;
    Dialect dialect_;
};

} // namespace

void collectBlobDescriptions(RunContext& context, const platform::xml::Element& group) {
    for (const auto& [name, value] : group.attributes()) {
        if (platform::text::asciiUpper(name).find("BLOB_FIELD") == std::string::npos) {
            continue;
        }
        const std::string suffix = name.size() > 11 ? name.substr(11, 10) : std::string();
        context.BlobDescrList.push_back({group.attribute("TABLE_NAME"),
                                         group.attribute("BLOB_FIELD_" + suffix),
                                         group.attribute("GUID_FIELD_" + suffix)});
    }
}

std::string blobDataPath(const RunContext& context, const std::string& id) {
    return context.UpdaterState.ProgramFolder + "Data/" + id + ".lob";
}

void FillBlobFields(RunContext& context, const std::string& scriptPath, bool& result) {
    context.host.setStatusCaption("заполнение BLOB-полей");
    context.host.processMessages();
    BlobFilling filling(context, scriptPath, result);
    for (const TBlobDescr& d : context.BlobDescrList) {
        filling.fill(d);
    }
    if (runDialect(context) == Dialect::Firebird && !context.BlobDescrList.empty()) {
        // A descriptor that ended early leaves its rows in the open transaction; they are
        // kept, not rolled back when the connection closes.
        try {
            Connection& connection = runConnection(context);
            if (connection.inTransaction()) {
                connection.commit();
            }
        } catch (const DbError&) {
            result = false;
            WriteLogEntry(context, scriptPath, "подтверждение транзакции");
        }
    }
}

} // namespace update::engine

#include "platform/db/firebird/FirebirdBackend.h"

#include "platform/db/firebird/FirebirdConnection.h"
#include "platform/db/firebird/FirebirdEnvironment.h"
#include "platform/db/firebird/FirebirdLocation.h"

namespace platform::db::firebird {

namespace {

enum class OpenMode { Attach, Create };

std::unique_ptr<Connection> openOrCreate(const Params& params, OpenMode mode) {
    if (params.location.empty()) {
        throw DbError("no Firebird database location given");
    }
    FirebirdCodec codec(params.charset);
    Firebird::IMaster* master = firebirdMaster();
    const FirebirdLocation location = parseFirebirdLocation(params.location);
    AttachmentHandle attachment = firebirdCall(master, [&](Status* status) {
        const Disposed<Firebird::IXpbBuilder> dpb(master->getUtilInterface()->getXpbBuilder(
            status, Firebird::IXpbBuilder::DPB, nullptr, 0));
        // The location is a file name of this system, in UTF-8.
        dpb->insertTag(status, isc_dpb_utf8_filename);
        if (!params.user.empty()) {
            dpb->insertString(status, isc_dpb_user_name, codec.toDb(params.user).c_str());
        }
        if (!params.password.empty()) {
            dpb->insertString(status, isc_dpb_password, codec.toDb(params.password).c_str());
        }
        dpb->insertString(status, isc_dpb_lc_ctype, codec.charset().c_str());
        dpb->insertInt(status, isc_dpb_sql_dialect, SQL_DIALECT_V6);
        // A local file is opened by the engine inside this process, never through a server
        // that may or may not run on this machine.
        dpb->insertString(status, isc_dpb_config,
                          location.onServer ? "Providers=Remote" : "Providers=Engine12");
        if (mode == OpenMode::Create) {
            dpb->insertInt(status, isc_dpb_page_size, 8192);
            dpb->insertString(status, isc_dpb_set_db_charset, codec.charset().c_str());
        }
        const Released<Firebird::IProvider> provider(master->getDispatcher());
        const unsigned length = dpb->getBufferLength(status);
        const unsigned char* buffer = dpb->getBuffer(status);
        return AttachmentHandle(
            master,
            mode == OpenMode::Create
                ? provider->createDatabase(status, params.location.c_str(), length, buffer)
                : provider->attachDatabase(status, params.location.c_str(), length, buffer));
    });
    return std::make_unique<FirebirdConnection>(master, std::move(attachment), std::move(codec));
}

} // namespace

std::unique_ptr<Connection> attachDatabase(const Params& params) {
    return openOrCreate(params, OpenMode::Attach);
}

std::unique_ptr<Connection> createDatabase(const Params& params) {
    return openOrCreate(params, OpenMode::Create);
}

} // namespace platform::db::firebird

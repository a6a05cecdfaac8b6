// SPDX-License-Identifier: MIT
// libsecret first: GLib names struct members "signals", which Qt defines as a macro.
#include <libsecret/secret.h>

#include "SecretServiceStore.h"

namespace {

using Status = SecretStore::Status;

const SecretSchema* schema()
{
    // Items are found by their two attributes alone, whoever wrote them
    // (secret-tool, an older version), not by the schema's name.
    static const SecretSchema instance = [] {
        SecretSchema schema {};
        schema.name = "com.sorvantel.Secret";
        schema.flags = SECRET_SCHEMA_DONT_MATCH_NAME;
        schema.attributes[0] = { "service", SECRET_SCHEMA_ATTRIBUTE_STRING };
        schema.attributes[1] = { "account", SECRET_SCHEMA_ATTRIBUTE_STRING };
        return schema;
    }();
    return &instance;
}

// Shared by every store: libsecret keeps its connection to the service for
// the process, bound to the context it was made in.
GMainContext* privateContext()
{
    static GMainContext* context = g_main_context_new();
    return context;
}

// No Secret Service in this session: no bus, or nobody owns (or can be
// started for) the service's name.
bool meansUnavailable(const GError* error)
{
    if (error->domain != G_DBUS_ERROR)
        return false;
    switch (error->code) {
    case G_DBUS_ERROR_SERVICE_UNKNOWN:
    case G_DBUS_ERROR_NAME_HAS_NO_OWNER:
    case G_DBUS_ERROR_SPAWN_EXEC_FAILED:
    case G_DBUS_ERROR_SPAWN_FORK_FAILED:
    case G_DBUS_ERROR_SPAWN_CHILD_EXITED:
    case G_DBUS_ERROR_SPAWN_CHILD_SIGNALED:
    case G_DBUS_ERROR_SPAWN_FAILED:
    case G_DBUS_ERROR_SPAWN_SERVICE_INVALID:
    case G_DBUS_ERROR_SPAWN_SERVICE_NOT_FOUND:
    case G_DBUS_ERROR_SPAWN_FILE_INVALID:
    case G_DBUS_ERROR_SPAWN_NO_MEMORY:
        return true;
    default:
        return false;
    }
}

gboolean markExpired(gpointer flag)
{
    *static_cast<bool*>(flag) = true;
    return G_SOURCE_REMOVE;
}

// Iterates the context until `done` or `timeout` has passed.
void iterateUntil(GMainContext* context, const bool& done, std::chrono::milliseconds timeout)
{
    bool expired = false;
    GSource* timer = g_timeout_source_new(guint(timeout.count()));
    g_source_set_callback(timer, markExpired, &expired, nullptr);
    g_source_attach(timer, context);
    while (!done && !expired)
        g_main_context_iteration(context, TRUE);
    g_source_destroy(timer);
    g_source_unref(timer);
}

} // namespace

// One call in flight. It lives on the heap because a call given up at its
// deadline may still complete later (on a later call's iteration); its
// completion then frees it.
struct SecretServiceStore::Call {
    enum class Operation { read, save, remove };

    Call(Operation operation, const QString& service, const QString& account)
        : operation(operation)
        , service(service.toUtf8())
        , account(account.toUtf8())
        , attributes(g_hash_table_new(g_str_hash, g_str_equal))
        , cancellable(g_cancellable_new())
    {
        g_hash_table_insert(attributes, const_cast<char*>("service"), this->service.data());
        g_hash_table_insert(attributes, const_cast<char*>("account"), this->account.data());
    }
    ~Call()
    {
        g_hash_table_unref(attributes);
        g_object_unref(cancellable);
    }
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;

    void start();
    void finish(Status outcome)
    {
        if (abandoned) {
            delete this;
            return;
        }
        status = outcome;
        done = true;
    }
    void finishWithError(GError* error)
    {
        const Status outcome = meansUnavailable(error) ? Status::unavailable : Status::failed;
        g_error_free(error);
        finish(outcome);
    }

    const Operation operation;
    QByteArray service;
    QByteArray account;
    GHashTable* attributes;
    GCancellable* cancellable;
    QByteArray secret; // to save, or as read

    bool done = false;
    bool abandoned = false;
    Status status = Status::failed;
};

void SecretServiceStore::Call::start()
{
    // The bus first: without one there is no service, and libsecret would say
    // so in less certain terms.
    g_bus_get(
        G_BUS_TYPE_SESSION, cancellable,
        [](GObject*, GAsyncResult* result, gpointer data) {
            auto* call = static_cast<Call*>(data);
            GError* error = nullptr;
            GDBusConnection* connection = g_bus_get_finish(result, &error);
            if (!connection) {
                const bool cancelled = g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED);
                g_error_free(error);
                call->finish(cancelled ? Status::failed : Status::unavailable);
                return;
            }
            g_object_unref(connection);
            if (g_cancellable_is_cancelled(call->cancellable)) {
                call->finish(Status::failed);
                return;
            }

            switch (call->operation) {
            case Operation::read:
                secret_password_lookupv(
                    schema(), call->attributes, call->cancellable,
                    [](GObject*, GAsyncResult* result, gpointer data) {
                        auto* call = static_cast<Call*>(data);
                        GError* error = nullptr;
                        SecretValue* value = secret_password_lookup_binary_finish(result, &error);
                        if (error)
                            return call->finishWithError(error);
                        if (!value)
                            return call->finish(Status::notFound);
                        gsize length = 0;
                        const gchar* bytes = secret_value_get(value, &length);
                        call->secret = QByteArray(bytes, qsizetype(length));
                        secret_value_unref(value);
                        call->finish(Status::ok);
                    },
                    call);
                break;
            case Operation::save: {
                SecretValue* value
                    = secret_value_new(call->secret.constData(), call->secret.size(), "text/plain");
                const QByteArray label = call->service + " (" + call->account + ")";
                secret_password_storev_binary(
                    schema(), call->attributes, SECRET_COLLECTION_DEFAULT, label.constData(), value,
                    call->cancellable,
                    [](GObject*, GAsyncResult* result, gpointer data) {
                        auto* call = static_cast<Call*>(data);
                        GError* error = nullptr;
                        if (!secret_password_store_finish(result, &error))
                            return call->finishWithError(error);
                        call->finish(Status::ok);
                    },
                    call);
                secret_value_unref(value);
                break;
            }
            case Operation::remove:
                secret_password_clearv(
                    schema(), call->attributes, call->cancellable,
                    [](GObject*, GAsyncResult* result, gpointer data) {
                        auto* call = static_cast<Call*>(data);
                        GError* error = nullptr;
                        // FALSE without an error: there was nothing to remove.
                        secret_password_clear_finish(result, &error);
                        if (error)
                            return call->finishWithError(error);
                        call->finish(Status::ok);
                    },
                    call);
                break;
            }
        },
        this);
}

SecretServiceStore::SecretServiceStore(std::chrono::milliseconds deadline)
    : m_deadline(deadline)
    , m_context(privateContext())
{
}

SecretServiceStore::~SecretServiceStore() = default;

SecretStore::Lookup SecretServiceStore::run(Call* call)
{
    g_main_context_push_thread_default(m_context);
    call->start();
    iterateUntil(m_context, call->done, m_deadline);
    if (!call->done) {
        // Cancelling dismisses an open prompt; the call then ends promptly.
        g_cancellable_cancel(call->cancellable);
        iterateUntil(m_context, call->done, std::chrono::milliseconds(100));
    }
    g_main_context_pop_thread_default(m_context);

    if (!call->done) {
        call->abandoned = true; // its completion frees it
        return { Status::failed, {} };
    }
    Lookup outcome { call->status, call->secret };
    delete call;
    return outcome;
}

SecretStore::Lookup SecretServiceStore::read(const QString& service, const QString& account)
{
    return run(new Call(Call::Operation::read, service, account));
}

SecretStore::Status SecretServiceStore::save(
    const QByteArray& secret, const QString& service, const QString& account)
{
    auto* call = new Call(Call::Operation::save, service, account);
    call->secret = secret;
    return run(call).status;
}

SecretStore::Status SecretServiceStore::remove(const QString& service, const QString& account)
{
    return run(new Call(Call::Operation::remove, service, account)).status;
}

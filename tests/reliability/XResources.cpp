#include "XResources.h"

#include <cstdlib>
#include <memory>
#include <xcb/res.h>

namespace {

struct FreeDeleter {
    void operator()(void *reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

QString atomName(xcb_connection_t *connection, xcb_atom_t atom)
{
    const Reply<xcb_get_atom_name_reply_t> name(
        xcb_get_atom_name_reply(connection, xcb_get_atom_name(connection, atom), nullptr));
    if (!name)
        return QString::number(atom);
    return QString::fromLatin1(xcb_get_atom_name_name(name.get()), xcb_get_atom_name_name_length(name.get()));
}

} // namespace

QMap<QString, quint32> XResources::countsOf(xcb_connection_t *connection, qint64 pid)
{
    // Every connection of the process: its clients are found by the pid they run as.
    const xcb_res_client_id_spec_t everyClient{0, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    const Reply<xcb_res_query_client_ids_reply_t> ids(
        xcb_res_query_client_ids_reply(connection, xcb_res_query_client_ids(connection, 1, &everyClient), nullptr));
    QMap<QString, quint32> counts;
    if (!ids)
        return counts;
    for (auto id = xcb_res_query_client_ids_ids_iterator(ids.get()); id.rem; xcb_res_client_id_value_next(&id)) {
        if (xcb_res_client_id_value_value_length(id.data) != 1
            || qint64(*xcb_res_client_id_value_value(id.data)) != pid)
            continue;
        const Reply<xcb_res_query_client_resources_reply_t> resources(xcb_res_query_client_resources_reply(
            connection, xcb_res_query_client_resources(connection, id.data->spec.client), nullptr));
        if (!resources)
            continue;
        for (auto type = xcb_res_query_client_resources_types_iterator(resources.get()); type.rem;
             xcb_res_type_next(&type))
            counts[atomName(connection, type.data->resource_type)] += type.data->count;
    }
    return counts;
}

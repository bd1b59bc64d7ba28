#include "platform/wayland/DataControlSource.h"

#include "platform/wayland/PipeWriter.h"

#include <unistd.h>

#include "wayland/wlr-data-control-unstable-v1-client-protocol.h"

namespace lettergate {

DataControlSource::DataControlSource(zwlr_data_control_manager_v1 *manager, const QList<QByteArray> &formats,
                                     QObject *writers)
    : QObject(writers)
    , m_source(zwlr_data_control_manager_v1_create_data_source(manager))
    , m_writers(writers)
{
    static const zwlr_data_control_source_v1_listener listener = {&DataControlSource::onSend,
                                                                  &DataControlSource::onCancelled};
    zwlr_data_control_source_v1_add_listener(m_source, &listener, this);
    for (const QByteArray &format : formats)
        zwlr_data_control_source_v1_offer(m_source, format.constData());
}

DataControlSource::~DataControlSource()
{
    for (const auto &[format, fd] : m_waiting)
        close(fd);
    zwlr_data_control_source_v1_destroy(m_source);
}

QHash<QByteArray, QByteArray> DataControlSource::sameForAll(const QList<QByteArray> &formats, const QByteArray &bytes)
{
    QHash<QByteArray, QByteArray> content;
    for (const QByteArray &format : formats)
        content.insert(format, bytes);
    return content;
}

void DataControlSource::setContent(QHash<QByteArray, QByteArray> bytesByFormat)
{
    m_content = std::move(bytesByFormat);
    for (const auto &[format, fd] : std::exchange(m_waiting, {}))
        write(format, fd);
}

void DataControlSource::onSend(void *data, zwlr_data_control_source_v1 *, const char *format, int32_t fd)
{
    auto *self = static_cast<DataControlSource *>(data);
    if (self->m_content)
        self->write(QByteArray(format), fd);
    else
        self->m_waiting.append({QByteArray(format), fd});
}

void DataControlSource::onCancelled(void *data, zwlr_data_control_source_v1 *)
{
    static_cast<DataControlSource *>(data)->deleteLater();
}

void DataControlSource::write(const QByteArray &format, int fd)
{
    auto *writer = new PipeWriter(fd, m_content->value(format), m_writers);
    connect(writer, &PipeWriter::finished, writer, &QObject::deleteLater);
}

} // namespace lettergate

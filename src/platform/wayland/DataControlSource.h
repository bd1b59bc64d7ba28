#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <optional>

struct zwlr_data_control_manager_v1;
struct zwlr_data_control_source_v1;

namespace lettergate {

// Content we offer on the clipboard through data control, which works without a window of
// ours focused: the formats it lists, and each one's bytes, written to every program that
// asks (a PipeWriter each). The bytes may come after the offer (a picture being encoded):
// requests wait for them. Deletes itself once the compositor cancels it (another copy
// replaced it); writes in progress go on without it.
class DataControlSource final : public QObject {
    Q_OBJECT
public:
    // Creates the source and offers the formats; `writers` parents the writes.
    DataControlSource(zwlr_data_control_manager_v1 *manager, const QList<QByteArray> &formats, QObject *writers);
    ~DataControlSource() override;
    DataControlSource(const DataControlSource &) = delete;
    DataControlSource &operator=(const DataControlSource &) = delete;

    zwlr_data_control_source_v1 *proxy() const { return m_source; }

    // The bytes of each format; a format without any is answered with nothing.
    void setContent(QHash<QByteArray, QByteArray> bytesByFormat);

    // The same bytes under every one of the formats.
    static QHash<QByteArray, QByteArray> sameForAll(const QList<QByteArray> &formats, const QByteArray &bytes);

private:
    static void onSend(void *data, zwlr_data_control_source_v1 *source, const char *format, int32_t fd);
    static void onCancelled(void *data, zwlr_data_control_source_v1 *source);
    void write(const QByteArray &format, int fd);

    zwlr_data_control_source_v1 *m_source;
    QObject *m_writers;
    std::optional<QHash<QByteArray, QByteArray>> m_content;
    // Requests that came before the content: format and descriptor.
    QList<std::pair<QByteArray, int>> m_waiting;
};

} // namespace lettergate

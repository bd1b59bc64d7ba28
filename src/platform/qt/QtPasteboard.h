#pragma once

#include "platform/Pasteboard.h"

#include <functional>

class QClipboard;

// The clipboard through Qt, which on X11 learns of every change of owner (XFixes)
// and so can keep the change counter and announce each change as it happens.
class QtPasteboard final : public Pasteboard {
    Q_OBJECT
public:
    // Asks the windowing system which window owns the clipboard now; nothing when it
    // cannot tell.
    using OwnerQuery = std::function<std::optional<quint32>()>;

    // Without an owner query every read counts: Qt announces a change of owner only
    // once its event is handled, which may be after a read that straddled it.
    explicit QtPasteboard(OwnerQuery currentOwner = {}, QObject *parent = nullptr);

    qint64 changeCount() override;
    bool isMarkedSecret() override;
    std::optional<QString> string() override;
    std::optional<QImage> image() override;
    void beginRead() override;
    bool endRead() override;
    void clear() override;
    bool setString(const QString &text) override;
    bool writeImage(const QImage &image) override;

private:
    QClipboard *m_clipboard;
    qint64 m_changeCount = 0;
    OwnerQuery m_currentOwner;
    std::optional<quint32> m_ownerAtReadStart;
};

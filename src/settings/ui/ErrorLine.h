#pragma once

#include <QLabel>
#include <optional>

namespace lettergate {

// The red caption of a rejected Save, wrapped over as many lines as its width needs;
// hidden while there is no message.
class ErrorLine : public QLabel {
    Q_OBJECT
public:
    explicit ErrorLine(QWidget *parent = nullptr);

    std::optional<QString> message() const { return m_message; }
    void setMessage(const std::optional<QString> &message);

private:
    std::optional<QString> m_message;
};

} // namespace lettergate

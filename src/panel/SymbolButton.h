#pragma once

#include <QAbstractButton>

namespace lettergate {

// A button that is just a symbol, without a bezel: secondary at rest, brighter under
// the pointer, with the pointing-hand pointer.
class SymbolButton : public QAbstractButton {
    Q_OBJECT
public:
    SymbolButton(QString symbol, int symbolSize, const QString &accessibleName, QWidget *parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_symbol;
    int m_symbolSize;
};

} // namespace lettergate

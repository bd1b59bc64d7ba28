#include "settings/ui/EditorParts.h"

#include "settings/ui/SettingsStyle.h"
#include "settings/ui/SettingsSymbols.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace lettergate {

namespace {
constexpr int symbolSide = 16;
}

QVBoxLayout *EditorParts::layOut(QWidget *editor, QStringView kindSymbol, QLineEdit *name,
                                 const QList<QWidget *> &extras, std::function<void()> onDelete)
{
    QPushButton *deleteButton = SettingsStyle::symbolButton(SettingsSymbols::tintedIcon(u"trash", symbolSide,
                                                                                        SettingsStyle::errorColor()),
                                                            QStringLiteral("Delete"), editor);
    deleteButton->setObjectName(QStringLiteral("delete"));
    QObject::connect(deleteButton, &QPushButton::clicked, editor, std::move(onDelete));

    auto *symbol = new QLabel(editor);
    symbol->setPixmap(SettingsSymbols::tinted(kindSymbol, symbolSide, SettingsStyle::secondaryColor(symbol->palette()),
                                              symbol->devicePixelRatioF()));
    auto *firstLine = new QHBoxLayout;
    firstLine->addWidget(symbol);
    firstLine->addWidget(name, 1);
    firstLine->addStretch();
    for (QWidget *extra : extras)
        firstLine->addWidget(extra);
    firstLine->addWidget(deleteButton);

    auto *column = new QVBoxLayout(editor);
    column->setContentsMargins(4, 4, 4, 4);
    column->setSpacing(8);
    column->addLayout(firstLine);
    return column;
}

QLineEdit *EditorParts::nameField(const QString &name, int maximumWidth, QWidget *parent)
{
    auto *field = new QLineEdit(name, parent);
    field->setObjectName(QStringLiteral("name"));
    field->setPlaceholderText(QStringLiteral("Name"));
    field->setMaximumWidth(maximumWidth);
    return field;
}

} // namespace lettergate

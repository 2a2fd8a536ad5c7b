#include "zcomponents/Zwidgets.h"

#include <QLineEdit>

QLineEdit* NewNamedEdit(QWidget* parent, const char* name, const QString& text, int maxWidth)
{
    auto* edit = NewNamed<QLineEdit>(parent, name, text);
    if (maxWidth > 0)
        edit->setMaximumWidth(maxWidth);
    return edit;
}

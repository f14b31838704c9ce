#include "ui/formlayout.h"

#include <QPushButton>
#include <QWidget>

namespace FormLayout {

namespace {
constexpr int TwipsPerPixel = 15;
}

QSize ClientSize(int widthTwips, int heightTwips)
{
    return QSize(widthTwips / TwipsPerPixel, heightTwips / TwipsPerPixel);
}

void Place(std::initializer_list<Placement> placements)
{
    QWidget *previous = nullptr;
    for (const Placement &place : placements) {
        place.control->setObjectName(QString::fromLatin1(place.name));
        place.control->setGeometry(place.left / TwipsPerPixel, place.top / TwipsPerPixel, place.width / TwipsPerPixel,
            place.height / TwipsPerPixel);
        if (place.control->focusPolicy() == Qt::NoFocus)
            continue;
        if (previous)
            QWidget::setTabOrder(previous, place.control);
        previous = place.control;
    }
}

QPushButton *PlainButton(const QString &caption, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

}

#pragma once

#include <QSize>
#include <QString>
#include <initializer_list>

class QPushButton;
class QWidget;

// Every control stands at an absolute, fixed place given in twips (15 to a device-independent
// pixel). One table per window goes through here, so the conversion is made in one place.
namespace FormLayout {

struct Placement
{
    QWidget *control;
    const char *name;
    int left, top, width, height;
};

QSize ClientSize(int widthTwips, int heightTwips);
// Names and places the controls and chains them in the table's order for the Tab key; a control
// that takes no focus keeps its place in the table but not in the chain.
void Place(std::initializer_list<Placement> placements);
// A push button that Enter and Escape never press.
QPushButton *PlainButton(const QString &caption, QWidget *parent);

}

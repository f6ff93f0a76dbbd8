#include "windows/growinglayout.h"

#include <algorithm>

#include <QWidget>

namespace kalvor {

GrowingLayout::GrowingLayout(QSize designSize, QWidget* parent) : QLayout(parent), designSize_(designSize)
{
    setContentsMargins(0, 0, 0, 0);
    // Design rectangles are in the parent's own coordinates, a frame's
    // border included.
    parent->setAttribute(Qt::WA_LayoutOnEntireRect);
    // The parent's least size is its own: the layout only places.
    setSizeConstraint(QLayout::SetNoConstraint);
}

GrowingLayout::~GrowingLayout()
{
    for (const Placement& place : placements_)
        delete place.item;
}

void GrowingLayout::addWidget(QWidget* widget, Share share, bool growsDown)
{
    const QRect design = widget->geometry();
    addChildWidget(widget);
    placements_.push_back({new QWidgetItem(widget), design, share, growsDown});
    invalidate();
}

void GrowingLayout::addItem(QLayoutItem* item)
{
    // An item without a design rectangle stays where it is put.
    placements_.push_back({item, item->geometry(), Share::LeftColumn, false});
}

int GrowingLayout::count() const
{
    return static_cast<int>(placements_.size());
}

QLayoutItem* GrowingLayout::itemAt(int index) const
{
    if (index < 0 || index >= count())
        return nullptr;
    return placements_[static_cast<std::size_t>(index)].item;
}

QLayoutItem* GrowingLayout::takeAt(int index)
{
    if (index < 0 || index >= count())
        return nullptr;
    const auto at = placements_.begin() + index;
    QLayoutItem* item = at->item;
    placements_.erase(at);
    return item;
}

QSize GrowingLayout::sizeHint() const
{
    return designSize_;
}

QSize GrowingLayout::minimumSize() const
{
    return designSize_;
}

int GrowingLayout::designWidth(Share share) const
{
    int widest = 0;
    for (const Placement& place : placements_)
        if (place.share == share)
            widest = std::max(widest, place.design.width());
    return widest;
}

void GrowingLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    const int extraWidth = std::max(0, rect.width() - designSize_.width());
    const int extraHeight = std::max(0, rect.height() - designSize_.height());
    const long long left = designWidth(Share::LeftColumn);
    const long long right = designWidth(Share::RightColumn);
    const int leftExtra = left + right > 0 ? static_cast<int>(extraWidth * left / (left + right)) : 0;
    for (const Placement& place : placements_) {
        QRect placed = place.design.translated(rect.topLeft());
        switch (place.share) {
        case Share::LeftColumn:
            placed.setRight(placed.right() + leftExtra);
            break;
        case Share::RightColumn:
            placed.translate(leftExtra, 0);
            placed.setRight(placed.right() + extraWidth - leftExtra);
            break;
        case Share::Whole:
            placed.setRight(placed.right() + extraWidth);
            break;
        }
        if (place.growsDown)
            placed.setBottom(placed.bottom() + extraHeight);
        // Straight onto the widget: an item would fit the rectangle to the
        // widget's size hints and skip a hidden widget.
        QWidget* widget = place.item->widget();
        if (!widget) {
            place.item->setGeometry(placed);
            continue;
        }
        widget->setGeometry(placed);
        // A hidden widget hears of its new size only once shown; its own
        // layout follows now, as a shown widget's does.
        if (widget->isHidden() && widget->layout())
            widget->layout()->setGeometry(widget->rect());
    }
}

}  // namespace kalvor

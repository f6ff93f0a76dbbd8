#pragma once

#include <vector>

#include <QLayout>
#include <QRect>
#include <QSize>

namespace kalvor {

// Places each widget at its design rectangle while the widget it lays out is
// at its design size, and shares any room beyond that: a widget of the left
// column grows by the left column's share of the extra width, one of the
// right column moves right by that share and grows by the rest, a widget
// across the whole width grows by all of it, and a widget that grows down
// takes all the extra height. The two columns share the extra width as
// their design widths (each column's widest widget) share the design.
//
// Never smaller than the design: below it every widget keeps its design
// rectangle. Widgets are placed even while hidden, so a panel shown later
// appears at the size of the window it is in.
class GrowingLayout final : public QLayout {
public:
    enum class Share { LeftColumn, RightColumn, Whole };

    // `designSize` is the size at which every widget stands at its design
    // rectangle; the layout installs itself on `parent`.
    GrowingLayout(QSize designSize, QWidget* parent);
    ~GrowingLayout() override;

    // Lays out `widget` (a child of the parent) from its present geometry,
    // taken as its design rectangle.
    void addWidget(QWidget* widget, Share share, bool growsDown);

    // QLayout
    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    struct Placement {
        QLayoutItem* item;
        QRect design;
        Share share;
        bool growsDown;
    };

    int designWidth(Share share) const;

    QSize designSize_;
    std::vector<Placement> placements_;
};

}  // namespace kalvor

#pragma once

#include <QHeaderView>

// Roles the grid's model answers in headerData for its horizontal sections.
namespace GridRoles {
inline constexpr int SortMarker = Qt::UserRole + 100; // int: 0 none, 1 ascending, 2 descending
inline constexpr int SortIndex = Qt::UserRole + 101;  // int: 1-based place among sorted columns
inline constexpr int Footer = Qt::UserRole + 102;     // QString: the footer text of a column
} // namespace GridRoles

// The title row of the data grid: captions "A|B" are drawn on two levels,
// neighbouring upper parts that are equal share one cell; sort markers (with
// their place when several columns are sorted) are drawn in the lowest cell.
class TGridHeader : public QHeaderView
{
    Q_OBJECT
public:
    explicit TGridHeader(QWidget *Parent = nullptr);

    int Levels() const; // the number of title levels of the visible columns
    int LevelHeight() const;
    QSize sizeHint() const override;

    // The visible logical sections in visual order, with their captions.
    QList<int> VisibleSections() const;

protected:
    void paintEvent(QPaintEvent *Event) override;
    void paintSection(QPainter *Painter, const QRect &Rect, int LogicalIndex) const override;

private:
    QStringList VisibleCaptions(const QList<int> &Sections) const;
    int SortedCount() const;
};

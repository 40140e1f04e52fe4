#include "framework/lists/grid_header.h"

#include "framework/lists/grid_titles.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionHeader>

TGridHeader::TGridHeader(QWidget *Parent) : QHeaderView(Qt::Horizontal, Parent)
{
    setSectionsClickable(true);
    setSectionsMovable(true);
    setHighlightSections(false);
    setSortIndicatorShown(false);
    setDefaultAlignment(Qt::AlignCenter);
    setSectionResizeMode(QHeaderView::Interactive);
    setMinimumSectionSize(10);
}

QList<int> TGridHeader::VisibleSections() const
{
    QList<int> out;
    for (int v = 0; v < count(); ++v) {
        const int l = logicalIndex(v);
        if (!isSectionHidden(l))
            out.append(l);
    }
    return out;
}

QStringList TGridHeader::VisibleCaptions(const QList<int> &Sections) const
{
    QStringList caps;
    for (int l : Sections)
        caps << (model() ? model()->headerData(l, orientation(), Qt::DisplayRole).toString()
                         : QString());
    return caps;
}

int TGridHeader::Levels() const
{
    return TitleLevels(VisibleCaptions(VisibleSections()));
}

int TGridHeader::LevelHeight() const
{
    return fontMetrics().height() + 6;
}

QSize TGridHeader::sizeHint() const
{
    QSize s = QHeaderView::sizeHint();
    s.setHeight(std::max(Levels(), 1) * LevelHeight() + 2);
    return s;
}

int TGridHeader::SortedCount() const
{
    if (!model())
        return 0;
    int n = 0;
    for (int l = 0; l < count(); ++l)
        if (model()->headerData(l, orientation(), GridRoles::SortMarker).toInt() != 0)
            ++n;
    return n;
}

void TGridHeader::paintSection(QPainter *, const QRect &, int) const
{
    // Everything is drawn by paintEvent: upper cells span several sections.
}

void TGridHeader::paintEvent(QPaintEvent *Event)
{
    QPainter p(viewport());
    const QList<int> sections = VisibleSections();
    const QStringList caps = VisibleCaptions(sections);
    const int levels = std::max(TitleLevels(caps), 1);
    const int total = viewport()->height();
    const int sorted = SortedCount();
    auto levelTop = [&](int level) { return level * total / levels; };
    {
        QStyleOption empty;
        empty.initFrom(this);
        empty.rect = viewport()->rect();
        style()->drawControl(QStyle::CE_HeaderEmptyArea, &empty, &p, this);
    }

    for (const TTitleCell &cell : ComputeTitleCells(caps)) {
        const int first = sections[cell.First];
        const int last = sections[cell.Last];
        const int x1 = sectionViewportPosition(first);
        const int x2 = sectionViewportPosition(last) + sectionSize(last);
        QRect r(x1, levelTop(cell.Level), x2 - x1, levelTop(cell.Level + cell.LevelSpan) - levelTop(cell.Level));
        if (!r.intersects(Event->rect()))
            continue;
        QStyleOptionHeader opt;
        initStyleOption(&opt);
        opt.rect = r;
        opt.section = first;
        opt.text = cell.Text;
        opt.textAlignment = Qt::AlignCenter;
        opt.state |= QStyle::State_Enabled;
        opt.position = QStyleOptionHeader::Middle;
        opt.sortIndicator = QStyleOptionHeader::None;
        p.save();
        p.setClipRect(r);
        style()->drawControl(QStyle::CE_HeaderSection, &opt, &p, this);
        int marker = 0;
        int index = 0;
        if (cell.Leaf && model()) {
            marker = model()->headerData(first, orientation(), GridRoles::SortMarker).toInt();
            index = model()->headerData(first, orientation(), GridRoles::SortIndex).toInt();
        }
        QRect textRect = r.adjusted(3, 1, -3, -1);
        if (marker != 0)
            textRect.adjust(0, 0, sorted > 1 ? -18 : -12, 0);
        p.setPen(palette().color(QPalette::ButtonText));
        p.drawText(textRect, Qt::AlignCenter | Qt::TextWordWrap, cell.Text);
        if (marker != 0) {
            // A small triangle at the right, pointing up for ascending.
            const int cx = r.right() - (sorted > 1 ? 14 : 8);
            const int cy = r.center().y();
            QPainterPath tri;
            if (marker == 1) {
                tri.moveTo(cx - 4, cy + 2);
                tri.lineTo(cx + 4, cy + 2);
                tri.lineTo(cx, cy - 3);
            } else {
                tri.moveTo(cx - 4, cy - 2);
                tri.lineTo(cx + 4, cy - 2);
                tri.lineTo(cx, cy + 3);
            }
            tri.closeSubpath();
            p.setRenderHint(QPainter::Antialiasing);
            p.fillPath(tri, palette().color(QPalette::ButtonText));
            if (sorted > 1 && index > 0) {
                QFont f = font();
                f.setPointSizeF(std::max(5.0, f.pointSizeF() * 0.7));
                p.setFont(f);
                p.drawText(QRect(cx + 5, r.top(), r.right() - cx - 5, r.height()),
                           Qt::AlignLeft | Qt::AlignVCenter, QString::number(index));
            }
        }
        p.restore();
    }
}

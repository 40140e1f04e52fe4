#include "framework/lists/grid_printer.h"

#include "framework/lists/grid_titles.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextOption>

namespace {

struct PageRows
{
    int First = 0;
    int Last = -1; // inclusive; Last < First: no rows on this page
    bool Footer = false;
};

} // namespace

int TGridPrinter::Print(QPagedPaintDevice *Device, const TGridPrintData &Data) const
{
    const int cols = int(Data.Captions.size());
    const double dpi = Device->logicalDpiX();
    const double mm = dpi / 25.4;
    const QRectF page = Device->pageLayout().paintRectPixels(int(dpi));
    const double width = page.width();
    const double height = page.height();

    QPainter p(Device);
    QFont font(FontFamily);
    font.setPointSizeF(FontPointSize);
    QFont titleFont = font;
    titleFont.setPointSizeF(FontPointSize + 4);
    titleFont.setBold(true);
    QFont headFont = font;
    headFont.setBold(true);
    QFont smallFont = font;
    smallFont.setPointSizeF(std::max(5.0, FontPointSize - 1));
    const QFontMetricsF fm(font, Device);
    const QFontMetricsF tfm(titleFont, Device);
    const QFontMetricsF sfm(smallFont, Device);
    const double pad = 0.8 * mm;

    // Column widths fitted to the page.
    QList<double> colW(cols, 0);
    double total = 0;
    for (int c = 0; c < cols; ++c)
        total += std::max(1, c < Data.Widths.size() ? Data.Widths[c] : 64);
    double x0 = 0;
    QList<double> colX(cols + 1, 0);
    for (int c = 0; c < cols; ++c) {
        colW[c] = width * std::max(1, c < Data.Widths.size() ? Data.Widths[c] : 64) / total;
        colX[c] = x0;
        x0 += colW[c];
    }
    colX[cols] = x0;

    const int levels = cols ? TitleLevels(Data.Captions) : 0;
    const double levelH = fm.height() + 2 * pad;
    const double headH = levels * levelH;
    const double titleH = Data.Title.isEmpty() ? 0 : tfm.height() + 2 * mm;
    const double pageNoH = sfm.height() + 1.5 * mm;
    const double bodyBottom = height - pageNoH;

    QTextOption wrap;
    wrap.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    auto cellText = [&](int r, int c) { return Data.Text ? Data.Text(r, c) : QString(); };
    auto rowHeight = [&](int r) {
        double h = fm.height();
        for (int c = 0; c < cols; ++c) {
            const QString t = cellText(r, c);
            if (t.isEmpty())
                continue;
            if (fm.horizontalAdvance(t) <= colW[c] - 2 * pad)
                continue;
            QRectF br = fm.boundingRect(QRectF(0, 0, std::max(1.0, colW[c] - 2 * pad), 1e6),
                                        Qt::TextWrapAnywhere | Qt::TextWordWrap, t);
            h = std::max(h, br.height());
        }
        return h + 2 * pad;
    };

    // Pagination.
    QList<double> heights(Data.RowCount);
    for (int r = 0; r < Data.RowCount; ++r)
        heights[r] = rowHeight(r);
    const bool hasFooter = !Data.Footers.isEmpty() && cols > 0;
    const double footH = levelH;
    QList<PageRows> pages;
    {
        PageRows cur;
        cur.First = 0;
        double y = titleH + headH;
        for (int r = 0; r < Data.RowCount; ++r) {
            if (y + heights[r] > bodyBottom && r > cur.First) {
                cur.Last = r - 1;
                pages.append(cur);
                cur = PageRows();
                cur.First = r;
                y = headH;
            }
            y += heights[r];
        }
        cur.Last = Data.RowCount - 1;
        if (hasFooter) {
            if (y + footH > bodyBottom && cur.Last >= cur.First) {
                pages.append(cur);
                cur = PageRows();
                cur.First = Data.RowCount;
                cur.Last = Data.RowCount - 1;
            }
            cur.Footer = true;
        }
        pages.append(cur);
    }

    const QPen gridPen(QColor(128, 128, 128), std::max(1.0, 0.15 * mm));
    const QColor headBack(230, 230, 230);
    auto drawHeader = [&](double y) {
        p.setFont(headFont);
        QStringList caps = Data.Captions;
        for (const TTitleCell &cell : ComputeTitleCells(caps)) {
            QRectF r(colX[cell.First], y + cell.Level * levelH,
                     colX[cell.Last + 1] - colX[cell.First], cell.LevelSpan * levelH);
            p.fillRect(r, headBack);
            p.setPen(gridPen);
            p.drawRect(r);
            p.setPen(Qt::black);
            p.drawText(r.adjusted(pad, pad, -pad, -pad),
                       Qt::AlignCenter | Qt::TextWordWrap, cell.Text);
        }
        p.setFont(font);
        return y + headH;
    };

    int printed = 0;
    for (int pg = 0; pg < pages.size(); ++pg) {
        if (pg > 0) {
            if (Progress && !Progress(pg + 1))
                break;
            Device->newPage();
        }
        double y = 0;
        if (pg == 0 && titleH > 0) {
            p.setFont(titleFont);
            p.setPen(Qt::black);
            p.drawText(QRectF(0, 0, width, tfm.height()), Qt::AlignHCenter | Qt::AlignVCenter,
                       Data.Title);
            y = titleH;
        }
        if (cols > 0)
            y = drawHeader(y);
        p.setFont(font);
        for (int r = pages[pg].First; r <= pages[pg].Last; ++r) {
            for (int c = 0; c < cols; ++c) {
                QRectF cr(colX[c], y, colW[c], heights[r]);
                QColor back = Data.Background ? Data.Background(r, c) : QColor();
                if (back.isValid())
                    p.fillRect(cr, back);
                p.setPen(gridPen);
                p.drawRect(cr);
                QColor fore = Data.Foreground ? Data.Foreground(r, c) : QColor();
                p.setPen(fore.isValid() ? fore : QColor(Qt::black));
                Qt::Alignment a = c < Data.Alignments.size() ? Data.Alignments[c]
                                                             : Qt::Alignment(Qt::AlignLeft);
                a &= Qt::AlignHorizontal_Mask;
                if (!a)
                    a = Qt::AlignLeft;
                p.drawText(cr.adjusted(pad, pad, -pad, -pad),
                           int(a | Qt::AlignTop | Qt::TextWordWrap | Qt::TextWrapAnywhere),
                           cellText(r, c));
            }
            y += heights[r];
        }
        if (pages[pg].Footer) {
            p.setFont(headFont);
            for (int c = 0; c < cols; ++c) {
                QRectF cr(colX[c], y, colW[c], footH);
                p.fillRect(cr, headBack);
                p.setPen(gridPen);
                p.drawRect(cr);
                p.setPen(Qt::black);
                Qt::Alignment a = c < Data.Alignments.size() ? Data.Alignments[c]
                                                             : Qt::Alignment(Qt::AlignLeft);
                a &= Qt::AlignHorizontal_Mask;
                if (!a)
                    a = Qt::AlignLeft;
                p.drawText(cr.adjusted(pad, pad, -pad, -pad), int(a | Qt::AlignVCenter),
                           c < Data.Footers.size() ? Data.Footers[c] : QString());
            }
            p.setFont(font);
        }
        p.setFont(smallFont);
        p.setPen(Qt::black);
        p.drawText(QRectF(0, height - sfm.height(), width, sfm.height()),
                   Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("Страница %1 от %2").arg(pg + 1).arg(pages.size()));
        ++printed;
    }
    p.end();
    return printed;
}

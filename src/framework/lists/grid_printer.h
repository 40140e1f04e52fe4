#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class QPagedPaintDevice;

// What a grid prints: a title, the visible columns in their order with their
// (possibly multi-line "A|B") captions and screen widths, the rows and the
// footer line.
struct TGridPrintData
{
    QString Title;
    QStringList Captions;
    QList<int> Widths;
    QList<Qt::Alignment> Alignments;
    int RowCount = 0;
    std::function<QString(int Row, int Col)> Text;
    std::function<QColor(int Row, int Col)> Background; // invalid colour: none
    std::function<QColor(int Row, int Col)> Foreground;
    QStringList Footers; // empty: no footer line
};

// Prints a grid onto pages: columns fitted to the page width, rows stretched
// to their wrapped text, the column titles repeated on every page, cell
// colours kept, and the page number under every page.
class TGridPrinter
{
public:
    QString FontFamily = QStringLiteral("Arial");
    double FontPointSize = 8;

    // Called before every page after the first; answering false stops the
    // printing there.
    std::function<bool(int Page)> Progress;

    // Answers the number of pages printed.
    int Print(QPagedPaintDevice *Device, const TGridPrintData &Data) const;
};

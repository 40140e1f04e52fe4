#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Multi-line column titles: a caption "A|B" puts "A" on the upper level and
// "B" below it; neighbouring columns whose upper parts are equal share one
// upper cell. A caption with fewer parts than the header has levels lets its
// last part fill the remaining levels.
struct TTitleCell
{
    int Level = 0;     // top level of the cell, 0 = uppermost
    int LevelSpan = 1; // how many levels it covers
    int First = 0;     // first and last column (positions in the given list)
    int Last = 0;
    QString Text;
    bool Leaf = false; // the cell that belongs to one column alone (its last part)
};

QStringList SplitTitle(const QString &Caption);
int TitleLevels(const QStringList &Captions);
QList<TTitleCell> ComputeTitleCells(const QStringList &Captions);

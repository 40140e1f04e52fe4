#include "framework/lists/grid_titles.h"

QStringList SplitTitle(const QString &Caption)
{
    return Caption.split(QLatin1Char('|'));
}

int TitleLevels(const QStringList &Captions)
{
    qsizetype levels = 1;
    for (const QString &c : Captions)
        levels = std::max(levels, SplitTitle(c).size());
    return int(levels);
}

QList<TTitleCell> ComputeTitleCells(const QStringList &Captions)
{
    QList<TTitleCell> cells;
    const int levels = TitleLevels(Captions);
    QList<QStringList> parts;
    for (const QString &c : Captions)
        parts.append(SplitTitle(c));

    // Upper (non-leaf) parts, merged along equal prefixes.
    for (int level = 0; level < levels; ++level) {
        int i = 0;
        while (i < parts.size()) {
            const QStringList &p = parts[i];
            if (level >= p.size() - 1) { // leaf or below it
                ++i;
                continue;
            }
            int j = i;
            while (j + 1 < parts.size()) {
                const QStringList &q = parts[j + 1];
                if (level >= q.size() - 1)
                    break;
                bool same = true;
                for (int k = 0; k <= level && same; ++k)
                    same = p[k] == q[k];
                if (!same)
                    break;
                ++j;
            }
            TTitleCell cell;
            cell.Level = level;
            cell.First = i;
            cell.Last = j;
            cell.Text = p[level];
            cells.append(cell);
            i = j + 1;
        }
    }
    // Leaves: the last part of every column, down to the bottom.
    for (int i = 0; i < parts.size(); ++i) {
        TTitleCell cell;
        cell.Level = int(parts[i].size()) - 1;
        cell.LevelSpan = levels - cell.Level;
        cell.First = cell.Last = i;
        cell.Text = parts[i].last();
        cell.Leaf = true;
        cells.append(cell);
    }
    return cells;
}

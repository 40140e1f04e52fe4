#include "framework/lists/grid_titles.h"

#include <gtest/gtest.h>

namespace {

QString Describe(const QList<TTitleCell> &Cells)
{
    QStringList out;
    for (const TTitleCell &c : Cells)
        out << QStringLiteral("%1@%2+%3[%4-%5]")
                   .arg(c.Text)
                   .arg(c.Level)
                   .arg(c.LevelSpan)
                   .arg(c.First)
                   .arg(c.Last);
    return out.join(QLatin1Char(' '));
}

} // namespace

TEST(GridTitles, UpperPartsMergeAlongEqualPrefixes)
{
    struct Case
    {
        QStringList Captions;
        const char *Cells;
    };
    const std::vector<Case> cases = {
        {{"Номер", "Дата"}, "Номер@0+1[0-0] Дата@0+1[1-1]"},
        {{"№", "Товарене|Дата", "Товарене|Място", "Цена"},
         "Товарене@0+1[1-2] №@0+2[0-0] Дата@1+1[1-1] Място@1+1[2-2] Цена@0+2[3-3]"},
        // equal upper text that is not adjacent stays apart
        {{"А|x", "Б", "А|y"}, "А@0+1[0-0] А@0+1[2-2] x@1+1[0-0] Б@0+2[1-1] y@1+1[2-2]"},
        // three levels: the middle level merges only under the same top
        {{"Т|С|1", "Т|С|2", "Т|Д|3", "У|С|4"},
         "Т@0+1[0-2] У@0+1[3-3] С@1+1[0-1] Д@1+1[2-2] С@1+1[3-3] "
         "1@2+1[0-0] 2@2+1[1-1] 3@2+1[2-2] 4@2+1[3-3]"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Describe(ComputeTitleCells(c.Captions)), QString::fromUtf8(c.Cells))
            << c.Captions.join(QLatin1Char(',')).toStdString();
    EXPECT_EQ(TitleLevels({"a", "b|c|d"}), 3);
}

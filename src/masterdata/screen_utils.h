#pragma once
// Small pieces the reference screens share.

#include "framework/forms/cyrmessagedlg.h"
#include "framework/lists/data_grid.h"
#include "framework/settings/settings.h"
#include "masterdata/refdata_rules.h"

#include <QList>
#include <QString>

namespace masterdata {

inline TGridColumn Column(const QString &field, const QString &title = QString(), bool titleButton = false)
{
    TGridColumn c;
    c.FieldName = field;
    c.Title = title;
    c.TitleButton = titleButton;
    return c;
}

// Replaces the grid's columns by these.
inline void SetColumns(TDataGrid *grid, const QList<TGridColumn> &columns)
{
    for (const TGridColumn &c : columns)
        grid->AddColumn(c);
    grid->ColumnsChanged();
}

// Shows a refusal of a rule in the message dialog (warning or error, OK).
inline void ShowRefusal(const TRefusal &refusal)
{
    CyrMessageDlg(refusal.Text, refusal.MessageKind == TRefusal::Warning ? mtWarning : mtError, {mbOK});
}

}  // namespace masterdata

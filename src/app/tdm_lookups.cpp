#include "app/tdm_lookups.h"

#include "app/shared_ops.h"
#include "framework/forms/cyrmessagedlg.h"
#include "masterdata/masterdata_dm.h"

void ConnectLookupRules(TMasterDataDM &dm)
{
    dm.ErrorMessage = [](const QString &text) { CyrMessageDlg(text, mtError, {mbOK}); };

    dm.qRFQ.OnCalcFields = [](TDataSet &q) { CalcRfqFields(q); };
    dm.qInvoices.OnCalcFields = [](TDataSet &q) { CalcInvoiceFields(q); };
    auto invoiceBeforePost = dm.qInvoices.BeforePost;
    dm.qInvoices.BeforePost = [invoiceBeforePost](TDataSet &q) {
        InvoiceBeforePost(q);
        if (invoiceBeforePost)
            invoiceBeforePost(q);
    };
    dm.qClients.OnCalcFields = [](TDataSet &q) { CalcNationalityField(q, QStringLiteral("CLIENT_BGINT_TYPE")); };
    dm.qKarvonels.OnCalcFields = [](TDataSet &q) {
        CalcNationalityField(q, QStringLiteral("KARVONEL_BGINT_TYPE"));
    };
}

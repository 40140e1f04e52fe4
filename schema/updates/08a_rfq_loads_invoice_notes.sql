-- Step 8 (version below 30072): invoice notes of a load.
ALTER TABLE RFQ_LOADS ADD INVOICE_NOTES HUGESTR COLLATE WIN1251 ;

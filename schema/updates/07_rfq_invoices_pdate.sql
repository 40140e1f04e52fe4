-- Step 7 (version below 30071): RFQ_INVOICES.PDATE becomes optional (the
-- invoice rows generated from the freight carry no date).
ALTER TABLE RFQ_INVOICES ALTER COLUMN PDATE DROP NOT NULL;

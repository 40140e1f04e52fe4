-- Step 9 (version below 30073): who invoiced a load.
ALTER TABLE RFQ_LOADS ADD INVOICED_BY "INT" DEFAULT 0 ;

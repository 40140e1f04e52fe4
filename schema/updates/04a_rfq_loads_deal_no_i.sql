-- Step 4 (version below 30067), first script: the numeric deal number.
ALTER TABLE RFQ_LOADS ADD DEAL_NO_I "INT" DEFAULT 0 ;

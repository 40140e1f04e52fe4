-- Step 4, fourth script: the index on the numeric deal number.
CREATE INDEX RFQ_LOADS_IDX8 ON RFQ_LOADS (DEAL_NO_I);

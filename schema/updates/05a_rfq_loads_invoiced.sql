-- Step 5 (version below 30068): the invoiced flag of a load.
ALTER TABLE RFQ_LOADS ADD INVOICED SMALLINT DEFAULT 0 NOT NULL ;

-- Step 5: the invoiced flag of a request.
ALTER TABLE RFQ ADD INVOICED SMALLINT DEFAULT 0 NOT NULL ;

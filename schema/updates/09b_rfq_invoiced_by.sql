-- Step 9: who invoiced a request.
ALTER TABLE RFQ ADD INVOICED_BY "INT" DEFAULT 0 NOT NULL ;

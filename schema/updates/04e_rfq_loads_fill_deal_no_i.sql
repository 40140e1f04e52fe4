-- Step 4, last script: every existing load passes through the trigger and
-- gets its DEAL_NO_I.
update rfq_loads set deal_no = deal_no;

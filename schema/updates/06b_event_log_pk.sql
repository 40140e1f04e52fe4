-- Step 6: the primary key of the event log.
alter table EVENT_LOG add constraint PK_EVENT_LOG primary key (ID);

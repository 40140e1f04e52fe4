-- Step 6 (version below 30070): the event log.
CREATE TABLE EVENT_LOG (
    ID        "INT" NOT NULL,
    OBJECT    STR NOT NULL,
    TIME_REF  DDATE NOT NULL,
    "EVENT"   "LongSTR" NOT NULL,
    DATA      "LongSTR",
    USER_ID   "INT" NOT NULL,
    OBJECT_ID "INT" NOT NULL,
    PARENT_ID "INT"
);

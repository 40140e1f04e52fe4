-- Domains of the base schema.
--
-- The database is SQL dialect 3 with the default character set WIN1251; every
-- text column is WIN1251. STR2K is added by the update steps, not here.

CREATE DOMAIN "INT" AS INTEGER;

-- Invoice notes of requests and loads (columns using it add COLLATE WIN1251).
CREATE DOMAIN HUGESTR AS VARCHAR(1000) CHARACTER SET WIN1251;

-- Configuration values: long enough for company details, document texts and
-- logo paths.
CREATE DOMAIN TEXT AS VARCHAR(4000) CHARACTER SET WIN1251 COLLATE WIN1251;

-- Short and long texts of the event log.
CREATE DOMAIN STR AS VARCHAR(250) CHARACTER SET WIN1251 COLLATE WIN1251;
CREATE DOMAIN "LongSTR" AS VARCHAR(4000) CHARACTER SET WIN1251 COLLATE WIN1251;

-- Moments of the event log.
CREATE DOMAIN DDATE AS TIMESTAMP;

-- Procedures of the base schema.
--
-- CALC_RFQ_PRIZES, STR_VALUE, GET_DEAL_INVOICE_INFO and the trigger
-- rfq_loads_biu0 are created by the update steps.

CREATE EXCEPTION COUNTER_MISSING 'Липсва брояч с номер @1.';

SET TERM ^ ;

-- Hands out the next number of counter ID: RES is the counter's value, which
-- is raised by one in the same statement. The caller commits at once, so a
-- number is never handed out twice; a counter without a row is an error.
CREATE OR ALTER PROCEDURE GETCOUNTERVAL (ID INTEGER)
RETURNS (RES INTEGER)
AS
BEGIN
  RES = NULL;
  UPDATE COUNTERS SET VAL = COALESCE(VAL, 1) + 1
   WHERE ID = :ID
  RETURNING OLD.VAL INTO :RES;
  IF (ROW_COUNT = 0) THEN
    EXCEPTION COUNTER_MISSING USING (ID);
  RES = COALESCE(RES, 1);
END^

SET TERM ; ^

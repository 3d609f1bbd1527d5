-- The Tabrix register on PostgreSQL, for stations that share one server. Same
-- columns in the same order as on SQLite: the order of patients is the order of
-- the export file's fields. Names are unquoted, so any spelling finds them.
CREATE TABLE patients (
  Order_id        INTEGER GENERATED ALWAYS AS IDENTITY PRIMARY KEY, -- never given twice
  AccnNum         INTEGER NOT NULL,
  AccnStr         VARCHAR(10) NOT NULL DEFAULT '',
  Created         TIMESTAMP(3) NOT NULL,
  Last_Name       VARCHAR(20) NOT NULL DEFAULT '',
  First_Name      VARCHAR(20) NOT NULL DEFAULT '',
  Middle_Initial  VARCHAR(1) NOT NULL DEFAULT '',
  Gender          VARCHAR(1) NOT NULL DEFAULT '',
  Patient_id      VARCHAR(20) NOT NULL DEFAULT '',
  DOB             VARCHAR(10) NOT NULL DEFAULT '',
  Location        VARCHAR(20) NOT NULL DEFAULT '',
  Collection_date TEXT NOT NULL DEFAULT '',
  Collection_Time TEXT NOT NULL DEFAULT '',
  Recieve_date    TEXT NOT NULL DEFAULT '',
  Recieve_Time    TEXT NOT NULL DEFAULT ''
);
-- No accession number is ever given twice, whichever station saves it.
CREATE UNIQUE INDEX AccnNum ON patients (AccnNum);
CREATE INDEX patients_AccnNum_Order_id ON patients (AccnNum, Order_id);
-- the orders of the patient log
CREATE INDEX patients_AccnStr ON patients (AccnStr, Order_id);
CREATE INDEX patients_Last_Name ON patients (Last_Name, First_Name, Patient_id, Order_id);
CREATE INDEX patients_First_Name ON patients (First_Name, Last_Name, Patient_id, Order_id);
CREATE INDEX patients_Patient_id ON patients (Patient_id, Order_id);
CREATE INDEX patients_Gender ON patients (Gender, Order_id);
CREATE INDEX patients_Created ON patients (Created, Order_id);

-- A patient's tests go with it: deleting a registration, or emptying the
-- register, leaves no tests behind.
CREATE TABLE tests (
  Test_id  INTEGER GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
  Order_id INTEGER NOT NULL REFERENCES patients (Order_id) ON DELETE CASCADE,
  TestCode VARCHAR(40) NOT NULL DEFAULT ''
);
CREATE INDEX tests_Order_id ON tests (Order_id, Test_id);

-- What can run again on a register that has it ("IF NOT EXISTS", "OR REPLACE",
-- "ON CONFLICT DO NOTHING") is also what "tabrix-register upgrade" adds to an older
-- register: keep it so.

-- The print ledger: one row for every label job, written before its bytes go to
-- the spooler and completed with what became of them. It outlives deleted
-- registrations and an emptied register: it is the record of what was printed.
-- "IF NOT EXISTS": the upgrade of an older register adds it with these lines.
CREATE TABLE IF NOT EXISTS label_log (
  Label_id INTEGER GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
  Order_id INTEGER,                           -- none for the editor's test label
  AccnNum  INTEGER,
  AccnStr  VARCHAR(10) NOT NULL DEFAULT '',
  TestCode VARCHAR(40) NOT NULL DEFAULT '',
  Printed  TIMESTAMP(3) NOT NULL,
  Station  VARCHAR(40) NOT NULL DEFAULT '',
  Printer  VARCHAR(128) NOT NULL DEFAULT '',
  Job_id   INTEGER,                           -- the spooler's, when it gave one
  Bytes    INTEGER NOT NULL,
  Digest   CHAR(64) NOT NULL,                 -- SHA-256 of the bytes, lower-case hex
  Outcome  TEXT NOT NULL,                     -- "sent", or the error shown ("sending, not confirmed" until then)
  Reprint  INTEGER NOT NULL DEFAULT 0         -- labels of this registration and test sent before
);
CREATE INDEX IF NOT EXISTS label_log_Order_id ON label_log (Order_id, TestCode, Label_id);
CREATE INDEX IF NOT EXISTS label_log_Printed ON label_log (Printed, Label_id);
CREATE INDEX IF NOT EXISTS label_log_AccnNum ON label_log (AccnNum);

-- Every accession number given to a saved registration, kept when the
-- registration is deleted, so that no number is ever given to a second one: the
-- next number comes after the largest of the station's range here. The program
-- takes a number back (in the same transaction as the delete) only for the newest
-- registration of the range when no label of it was ever sent; Reset Accns
-- empties it with the register.
CREATE TABLE IF NOT EXISTS accn_given (
  AccnNum INTEGER PRIMARY KEY
);
CREATE OR REPLACE FUNCTION patients_accn_given() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
  INSERT INTO accn_given (AccnNum) VALUES (NEW.AccnNum) ON CONFLICT DO NOTHING;
  RETURN NEW;
END;
$$;
CREATE OR REPLACE TRIGGER patients_accn_given AFTER INSERT ON patients
  FOR EACH ROW EXECUTE FUNCTION patients_accn_given();
INSERT INTO accn_given (AccnNum)
  SELECT AccnNum FROM patients UNION SELECT AccnNum FROM label_log WHERE AccnNum IS NOT NULL
  ON CONFLICT DO NOTHING;

-- What was sent to the laboratory information system (lis/): one row for every
-- message, written before it goes and completed with the answer. Each
-- registration's state with the LIS is read from its rows; like the ledger, they
-- outlive deleted registrations (a deleted one is cancelled from what was sent).
-- Reset Accns closes the rows of the registrations it empties with a row of its
-- own (no order control, Outcome "emptied by Reset Accns"): no cancel is sent for them.
CREATE TABLE IF NOT EXISTS lis_messages (
  Message_id   INTEGER GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
  Order_id     INTEGER NOT NULL,
  AccnNum      INTEGER NOT NULL,
  AccnStr      VARCHAR(10) NOT NULL DEFAULT '',
  OrderControl VARCHAR(2) NOT NULL DEFAULT '', -- NW, XO or CA
  ControlId    VARCHAR(20) NOT NULL DEFAULT '', -- MSH-10: the same when the same content is sent again
  Digest       CHAR(64) NOT NULL DEFAULT '',    -- SHA-256 of the content: the message without its time, control id and order control
  Sent         TIMESTAMP(3) NOT NULL,
  Station      VARCHAR(40) NOT NULL DEFAULT '',
  Outcome      TEXT NOT NULL,                   -- "accepted", "refused", "not confirmed" ("sending, not confirmed" until answered)
  Reply        TEXT NOT NULL DEFAULT '',        -- the LIS's text (MSA-3, ERR), or why no answer counts
  Message      TEXT NOT NULL DEFAULT ''         -- the message as sent, segments ending in CR
);
CREATE INDEX IF NOT EXISTS lis_messages_Order_id ON lis_messages (Order_id, Message_id);

-- A registration's patient is looked up before it is saved: the same patient id
-- with another name or date of birth, or the same name and date of birth with
-- another patient id (patients_Patient_id serves the first).
CREATE INDEX IF NOT EXISTS patients_identity ON patients (Last_Name, First_Name, DOB);

-- The audit trail: a row for every change of the register (a new registration, a
-- change of a saved one, a delete, a test added or removed, Reset Accns), written
-- in the change's own transaction and never changed. Each station's rows make a
-- chain: Seq is a row's place in it, Previous the Digest of the row before it,
-- Digest the SHA-256 of the row's content and Previous; audit_head keeps where
-- each chain ends. "tabrix-register verify" finds a row changed or removed.
CREATE TABLE IF NOT EXISTS audit_log (
  Audit_id  INTEGER GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
  Station   VARCHAR(40) NOT NULL DEFAULT '',
  Seq       INTEGER NOT NULL,
  Logged    VARCHAR(30) NOT NULL,            -- local time, yyyy-MM-ddTHH:mm:ss.zzz
  OsUser    VARCHAR(64) NOT NULL DEFAULT '',
  Version   VARCHAR(20) NOT NULL DEFAULT '',
  Action    VARCHAR(20) NOT NULL,            -- new, change, delete, test added, test removed, reset
  Order_id  INTEGER,                         -- the registration; none for Reset Accns
  AccnStr   VARCHAR(10) NOT NULL DEFAULT '',
  Details   TEXT NOT NULL DEFAULT '',        -- "Column: value" lines; a change's "Column: old -> new"
  Previous  VARCHAR(64) NOT NULL DEFAULT '',
  Digest    VARCHAR(64) NOT NULL
);
CREATE UNIQUE INDEX IF NOT EXISTS audit_log_chain ON audit_log (Station, Seq);
CREATE INDEX IF NOT EXISTS audit_log_Order_id ON audit_log (Order_id, Audit_id);
CREATE TABLE IF NOT EXISTS audit_head (
  Station VARCHAR(40) PRIMARY KEY,
  Seq     INTEGER NOT NULL,
  Digest  VARCHAR(64) NOT NULL
);

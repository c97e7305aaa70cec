-- Embedded archive: the tables, sequences and base worklist view of the
-- archive database that the configuration tool reads and writes.
-- Types follow the SQL Server columns: whole numbers are INTEGER, strings
-- VARCHAR(n) with their length, VARCHAR alone for varchar(max) (the archive
-- checks lengths and keeps varchar text in code page 949, as the server does).
-- Strings compare as the sites' servers compare them by default (SITE_CI,
-- registered by the archive): letter case, width and trailing blanks ignored.

CREATE TABLE Tuser (
    user_key        INTEGER PRIMARY KEY,
    user_id         VARCHAR(20) COLLATE SITE_CI,
    user_name       VARCHAR(40) COLLATE SITE_CI,
    userlevel_key   INTEGER,
    institution_key INTEGER NOT NULL DEFAULT 1,
    user_password   VARCHAR(40) COLLATE SITE_CI,
    flag            VARCHAR(1) COLLATE SITE_CI NOT NULL DEFAULT 'Y'
);

CREATE TABLE Tusersetting (
    USERSETTING_KEY INTEGER PRIMARY KEY,
    USER_KEY        INTEGER NOT NULL,
    PART            VARCHAR(20) COLLATE SITE_CI,
    ITEM            VARCHAR(40) COLLATE SITE_CI,
    SET_TYPE        VARCHAR(1) COLLATE SITE_CI,
    SET_VALUE       VARCHAR      COLLATE SITE_CI,
    SAVE_FLAG       VARCHAR(1) COLLATE SITE_CI,
    FLAG            VARCHAR(1) COLLATE SITE_CI
);
CREATE INDEX IX_Tusersetting_USER ON Tusersetting (USER_KEY);

CREATE TABLE TMACROTEXT (
    MACROTEXT_KEY   INTEGER PRIMARY KEY,
    INSTITUTION_KEY INTEGER,
    MACRO_NAME      VARCHAR(100) COLLATE SITE_CI,
    USER_KEY        INTEGER NOT NULL,
    SPECIAL_CHAR    VARCHAR(10) COLLATE SITE_CI,
    KEY_TEXT        VARCHAR(100) COLLATE SITE_CI,
    MACRO_TEXT      VARCHAR      COLLATE SITE_CI
);
CREATE INDEX IX_TMACROTEXT_USER ON TMACROTEXT (USER_KEY);

CREATE TABLE TGROUP (
    GROUP_KEY       INTEGER PRIMARY KEY,
    INSTITUTION_KEY INTEGER,
    GROUP_TYPE      VARCHAR(3) COLLATE SITE_CI,
    OWNER_KEY       INTEGER,
    GROUP_NAME      VARCHAR(100) COLLATE SITE_CI,
    GROUP_DESC      VARCHAR(200) COLLATE SITE_CI,
    SORTING_NO      INTEGER,
    STAT_FLAG       VARCHAR(1) COLLATE SITE_CI,
    FLAG            VARCHAR(1) COLLATE SITE_CI
);
CREATE INDEX IX_TGROUP_OWNER ON TGROUP (OWNER_KEY, GROUP_TYPE);

-- No primary key: the archive tolerates a repeated link row, and a copy must
-- never fail on one.
CREATE TABLE TGROUPUSER (
    GROUP_KEY INTEGER NOT NULL,
    USER_KEY  INTEGER NOT NULL,
    FLAG      VARCHAR(1) COLLATE SITE_CI
);
CREATE INDEX IX_TGROUPUSER_GROUP ON TGROUPUSER (GROUP_KEY, USER_KEY);

CREATE TABLE TCOMMONREPORT (
    COMMONRPT_KEY INTEGER PRIMARY KEY,
    GROUP_KEY     INTEGER NOT NULL,
    REPORT_NAME   VARCHAR(100) COLLATE SITE_CI,
    REPORT_TEXT   VARCHAR      COLLATE SITE_CI,
    CONCLUSION    VARCHAR      COLLATE SITE_CI,
    CLASS_A       VARCHAR(50) COLLATE SITE_CI,
    CLASS_B       VARCHAR(50) COLLATE SITE_CI,
    CLASS_C       VARCHAR(50) COLLATE SITE_CI,
    HOTKEY        VARCHAR(20) COLLATE SITE_CI,
    DISPLAY_NO    INTEGER,
    CREATE_DATE   VARCHAR(19) COLLATE SITE_CI,
    MODIFY_DATE   VARCHAR(19) COLLATE SITE_CI,
    FLAG          VARCHAR(1) COLLATE SITE_CI
);
CREATE INDEX IX_TCOMMONREPORT_GROUP ON TCOMMONREPORT (GROUP_KEY);

-- Romanized person names. A Korean name may occur more than once, so it is
-- indexed but not unique.
CREATE TABLE THANCONVERT (
    KOR_NAME    VARCHAR(64) COLLATE SITE_CI NOT NULL,
    FAMILY_NAME VARCHAR(64) COLLATE SITE_CI,
    ENG_NAME    VARCHAR(64) COLLATE SITE_CI
);
CREATE INDEX IX_THANCONVERT_KOR ON THANCONVERT (KOR_NAME);

-- English exam names, read by VUR_TCOMMON.F_HANCONVERT with mode 1.
CREATE TABLE TEXAMNAME_ENG (
    KOR_NAME VARCHAR(64) COLLATE SITE_CI PRIMARY KEY,
    ENG_NAME VARCHAR(64) COLLATE SITE_CI
);

CREATE TABLE TPATIENT (
    PATIENT_KEY      INTEGER PRIMARY KEY,
    PATIENT_ID       VARCHAR(20) COLLATE SITE_CI NOT NULL,
    PATIENT_NAME     VARCHAR(64) COLLATE SITE_CI,
    PATIENT_ENG_NAME VARCHAR(64) COLLATE SITE_CI,
    SEX              VARCHAR(1) COLLATE SITE_CI,
    BIRTH_DATE       VARCHAR(8) COLLATE SITE_CI
);
CREATE UNIQUE INDEX IX_TPATIENT_ID ON TPATIENT (PATIENT_ID);

-- ORDER_DATE (yyyymmdd) and ORDER_TIME (hhmmss) are text, as on the server:
-- compared with a bare eight-digit number they are converted to numbers, and
-- a value that is no number fails the statement.
CREATE TABLE TORDER (
    ORDER_KEY      INTEGER PRIMARY KEY,
    PATIENT_KEY    INTEGER NOT NULL,
    ACCESSION_NO   VARCHAR(20) COLLATE SITE_CI,
    ORDER_DATE     VARCHAR(8) COLLATE SITE_CI,
    ORDER_TIME     VARCHAR(6) COLLATE SITE_CI,
    ORDER_MODALITY VARCHAR(10) COLLATE SITE_CI,
    ORDER_CODE     VARCHAR(20) COLLATE SITE_CI,
    ORDER_NAME     VARCHAR(100) COLLATE SITE_CI,
    ORDER_DEPT     VARCHAR(40) COLLATE SITE_CI,
    ORDER_DOCTOR   VARCHAR(40) COLLATE SITE_CI,
    ORDER_STATUS   VARCHAR(2) COLLATE SITE_CI
);
CREATE INDEX IX_TORDER_DATE ON TORDER (ORDER_DATE, ORDER_TIME);
CREATE INDEX IX_TORDER_PATIENT ON TORDER (PATIENT_KEY);

-- Keys below 1000 belong to the demo data.
INSERT INTO kz_sequences (name, current_value, increment) VALUES ('Seq_Tusersetting', 1000, 1);
INSERT INTO kz_sequences (name, current_value, increment) VALUES ('Seq_TMACROTEXT', 1000, 1);
INSERT INTO kz_sequences (name, current_value, increment) VALUES ('Seq_Tgroup', 1000, 1);
INSERT INTO kz_sequences (name, current_value, increment) VALUES ('Seq_TCOMMONRPT', 1000, 1);

-- Base worklist view: Korean patient names and Korean exam names.
CREATE VIEW VMWL AS
SELECT
    'ANY' AS scheduled_station_aetitle,
    a.ORDER_MODALITY AS modality,
    a.ORDER_DATE AS SCHEDULED_PROCEDURE_DATE,
    a.ORDER_TIME AS SCHEDULED_PROCEDURE_TIME,
    a.ACCESSION_NO AS scheduled_procedure_id,
    a.ORDER_NAME AS scheduled_procedure_desc,
    a.ORDER_CODE AS order_code,
    a.ORDER_NAME AS SCHEDULED_CODE_MEANING,
    a.ACCESSION_NO AS requested_procedure_id,
    a.ORDER_NAME AS requested_procedure_desc,
    a.ORDER_NAME AS REQUESTED_CODE_MEANING,
    a.ACCESSION_NO AS accession_no,
    a.ORDER_DOCTOR AS referring_physician,
    a.ORDER_DEPT AS requesting_service,
    p.PATIENT_ID AS patient_id,
    p.PATIENT_NAME AS patient_name,
    p.BIRTH_DATE AS patient_birth_date,
    p.SEX AS patient_sex,
    'ISO 2022 IR 149' AS specific_character_set
FROM TORDER a
    INNER JOIN TPATIENT p ON p.PATIENT_KEY = a.PATIENT_KEY;

-- The server keeps the view text as it was sent, with CR LF line ends.
-- Line ends are normalised first so the stored text does not depend on how
-- this file was checked out.
INSERT INTO kz_view_source (name, source) VALUES ('VMWL', replace(replace(
'CREATE VIEW VMWL
AS
SELECT
 /* Scheduled Procedure Step */
 ''ANY'' AS scheduled_station_aetitle,
 a.ORDER_MODALITY AS modality,
 a.ORDER_DATE AS SCHEDULED_PROCEDURE_DATE,
 a.ORDER_TIME AS SCHEDULED_PROCEDURE_TIME,
 a.ACCESSION_NO AS scheduled_procedure_id,
 a.ORDER_NAME AS scheduled_procedure_desc,
 a.ORDER_CODE AS order_code,
 a.ORDER_NAME AS SCHEDULED_CODE_MEANING,
 /* Requested Procedure */
 a.ACCESSION_NO AS requested_procedure_id,
 a.ORDER_NAME AS requested_procedure_desc,
 a.ORDER_NAME AS REQUESTED_CODE_MEANING,
 /* Imaging Service Request */
 a.ACCESSION_NO AS accession_no,
 a.ORDER_DOCTOR AS referring_physician,
 a.ORDER_DEPT AS requesting_service,
 /* Patient Identification */
 p.PATIENT_ID AS patient_id,
 p.PATIENT_NAME AS patient_name,
 p.BIRTH_DATE AS patient_birth_date,
 p.SEX AS patient_sex,
 ''ISO 2022 IR 149'' AS specific_character_set
FROM TORDER a
 INNER JOIN TPATIENT p ON p.PATIENT_KEY = a.PATIENT_KEY
', char(13), ''), char(10), char(13) || char(10)));

 scheduled_station_aetitle,
 modality,
 patient_id,
 patient_name,
 patient_birth_date,
 patient_sex,
 accession_no,
 order_code,
 specific_character_set,
 SCHEDULED_PROCEDURE_DATE,
 SCHEDULED_PROCEDURE_TIME,
 referring_physician,
 requesting_service,
 scheduled_procedure_desc,
 requested_procedure_desc,
 SCHEDULED_CODE_MEANING,
 REQUESTED_CODE_MEANING
) AS
SELECT
 'AETITLE' AS scheduled_station_aetitle, 
 a.ORDER_MODALITY AS modality, 
 p.PATIENT_ID AS patient_id, 
/* Patient Identification*/ IsNull((Select top 1 h.FAMILY_NAME + '^' + h.ENG_NAME From THANCONVERT h Where h.KOR_NAME = p.PATIENT_NAME), p.PATIENT_ENG_NAME) AS patient_name, 
 p.BIRTH_DATE AS patient_birth_date, 
 p.SEX AS patient_sex, 
 a.ACCESSION_NO AS accession_no, 
 a.ORDER_CODE AS order_code, 
 /* scheduled Procedure Step*/'ISO_IR 100' AS specific_character_set, 
 a.ORDER_DATE AS SCHEDULED_PROCEDURE_DATE, 
 a.ORDER_TIME AS SCHEDULED_PROCEDURE_TIME, 
 a.ORDER_DOCTOR AS referring_physician, 
 a.ORDER_DEPT AS requesting_service, 
 IsNull((Select top 1 e.ENG_NAME From TEXAMNAME_ENG e Where e.KOR_NAME = a.ORDER_NAME), a.ORDER_NAME) AS scheduled_procedure_desc,
 IsNull((Select top 1 e.ENG_NAME From TEXAMNAME_ENG e Where e.KOR_NAME = a.ORDER_NAME), a.ORDER_NAME) AS requested_procedure_desc,
 IsNull((Select top 1 e.ENG_NAME From TEXAMNAME_ENG e Where e.KOR_NAME = a.ORDER_NAME), a.ORDER_NAME) AS SCHEDULED_CODE_MEANING,
 IsNull((Select top 1 e.ENG_NAME From TEXAMNAME_ENG e Where e.KOR_NAME = a.ORDER_NAME), a.ORDER_NAME) AS REQUESTED_CODE_MEANING 
FROM TORDER a
 INNER JOIN TPATIENT p ON p.PATIENT_KEY = a.PATIENT_KEY
WHERE a.ORDER_STATUS In ('S', 'C')

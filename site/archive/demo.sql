-- Demo contents of the embedded archive: accounts with their settings, macros
-- and standard report groups, the romanization tables, and patients with
-- orders dated relative to kz_seed.today, the day the archive was created.

-- Accounts. The lowest key is the administrator, which the tool never lists.
INSERT INTO Tuser (user_key, user_id, user_name, userlevel_key, institution_key, user_password, flag) VALUES
    (1,  'admin',    '관리자',     500, 1, 'admin',   'Y'),
    (2,  'pacsadm',  'PACS관리자', 500, 1, 'pacs',    'Y'),
    (3,  'kimrad',   '김판독',     400, 1, 'kimrad',  'Y'),
    (4,  'leerad',   '이영상',     400, 1, 'leerad',  'Y'),
    (5,  'parkres',  '박전공',     200, 1, 'parkres', 'Y'),
    (6,  'choitech', '최촬영',     300, 1, 'choi',    'Y'),
    (7,  'jungtech', '정방사',     300, 1, 'jung',    'Y'),
    (8,  'kangview', '강조회',     100, 1, 'kang',    'Y'),
    (9,  'yoonview', '윤임상',     110, 1, 'yoon',    'Y'),
    (10, 'guest',    NULL,         110, 1, 'guest',   'Y'),
    (11, 'hanrad',   '한영수',     400, 1, 'hanrad',  'Y'),
    (12, 'rad1',     '판독의',     400, 1, 'rad1',    'Y'),
    (13, 'ohres',    '오전공',     200, 1, 'ohres',   'Y'),
    (14, 'seotech',  '서방사',     300, 1, 'seo',     'Y'),
    (15, 'mgr',      '조행정',     500, 1, 'mgr',     'Y');

-- Per-account settings.
INSERT INTO Tusersetting (USERSETTING_KEY, USER_KEY, PART, ITEM, SET_TYPE, SET_VALUE, SAVE_FLAG, FLAG) VALUES
    (1, 3, 'VIEWER', 'VIEWER_PROPERTY', 'C',
        'LAYOUT=1X2' || char(13) || char(10) || 'SERIES_SYNC=1' || char(13) || char(10) || 'DEFAULT_WL=AUTO' || char(13) || char(10) || 'ANNOTATION=FULL' || char(13) || char(10), 'Y', 'Y'),
    (2, 3, 'WORKLIST', 'SEARCH_FILTER1', 'C',
        'PERIOD=TODAY' || char(13) || char(10) || 'MODALITY=CT,MR' || char(13) || char(10) || 'STATUS=UNREAD' || char(13) || char(10), 'Y', 'Y'),
    (3, 3, 'WORKLIST', 'LIST_COL', 'C',
        'PATIENT_ID:90|PATIENT_NAME:110|STUDY_DATE:90|MODALITY:60|STUDY_DESC:220|READ_STATUS:70', 'Y', 'Y'),
    (4, 3, 'WORKLIST', 'PROFILE', 'C',
        'NAME=판독 기본' || char(13) || char(10) || 'AUTO_REFRESH=30' || char(13) || char(10) || 'HANGING=CHEST_2X1' || char(13) || char(10), 'Y', 'Y'),
    (5, 3, 'WORKLIST', 'WINDOW_POSITION', 'C',
        'MAIN=0,0,1920,1080' || char(13) || char(10) || 'VIEWER=1920,0,3840,2160' || char(13) || char(10), 'Y', 'Y'),
    (6, 3, 'VIEWER', 'DLPTLS', 'C',
        'LUNG=-600,1500' || char(13) || char(10) || 'MEDIASTINUM=40,400' || char(13) || char(10) || 'BONE=300,1500' || char(13) || char(10) || 'BRAIN=40,80' || char(13) || char(10), 'Y', 'Y'),

    (7,  12, 'VIEWER', 'VIEWER_PROPERTY', 'C',
        'LAYOUT=2X2' || char(13) || char(10) || 'SERIES_SYNC=0' || char(13) || char(10) || 'DEFAULT_WL=PRESET' || char(13) || char(10) || 'ANNOTATION=SIMPLE' || char(13) || char(10), 'Y', 'Y'),
    (8,  12, 'WORKLIST', 'SEARCH_FILTER1', 'C',
        'PERIOD=7DAYS' || char(13) || char(10) || 'MODALITY=CR,DX' || char(13) || char(10) || 'STATUS=ALL' || char(13) || char(10), 'Y', 'Y'),
    (9,  12, 'WORKLIST', 'LIST_COL', 'C',
        'PATIENT_ID:80|PATIENT_NAME:100|STUDY_DATE:90|STUDY_TIME:70|MODALITY:50|STUDY_DESC:240', 'Y', 'Y'),
    (10, 12, 'WORKLIST', 'PROFILE', 'C',
        'NAME=흉부 판독' || char(13) || char(10) || 'AUTO_REFRESH=60' || char(13) || char(10) || 'HANGING=CHEST_1X2' || char(13) || char(10), 'Y', 'Y'),
    (11, 12, 'WORKLIST', 'WINDOW_POSITION', 'C',
        'MAIN=0,0,1680,1050' || char(13) || char(10) || 'VIEWER=1680,0,3360,2100' || char(13) || char(10), 'Y', 'Y'),
    (12, 12, 'WORKLIST', 'SEARCH_WIZARD', 'C',
        'STEP1=MODALITY' || char(13) || char(10) || 'STEP2=BODYPART' || char(13) || char(10), 'Y', 'Y'),
    (13, 12, 'WORKLIST', NULL, 'C', 'LAST_TAB=2', 'Y', 'Y'),

    (14, 5, 'VIEWER', 'VIEWER_PROPERTY', 'C',
        'LAYOUT=1X1' || char(13) || char(10) || 'SERIES_SYNC=1' || char(13) || char(10), 'Y', 'Y'),
    (15, 5, 'WORKLIST', 'SEARCH_FILTER1', 'C',
        'PERIOD=TODAY' || char(13) || char(10) || 'MODALITY=ALL' || char(13) || char(10), 'Y', 'Y'),
    (16, 5, 'WORKLIST', 'LIST_COL', 'C',
        'PATIENT_ID:90|PATIENT_NAME:110|STUDY_DATE:90|MODALITY:60|STUDY_DESC:200', 'Y', 'Y'),
    (17, 5, 'WORKLIST', 'WINDOW_POSITION', 'C',
        'MAIN=0,0,1280,1024' || char(13) || char(10), 'Y', 'Y'),

    (18, 6, 'WORKLIST', 'SEARCH_FILTER1', 'C',
        'PERIOD=TODAY' || char(13) || char(10) || 'MODALITY=CR,DX' || char(13) || char(10) || 'STATUS=SCHEDULED' || char(13) || char(10), 'Y', 'Y'),
    (19, 6, 'WORKLIST', 'LIST_COL', 'C',
        'PATIENT_ID:90|PATIENT_NAME:110|ACCESSION_NO:110|MODALITY:60|STUDY_DESC:200', 'Y', 'Y'),
    (20, 6, 'WORKLIST', 'PROFILE', 'C',
        'NAME=촬영실' || char(13) || char(10) || 'AUTO_REFRESH=10' || char(13) || char(10), 'Y', 'Y'),
    (21, 6, 'WORKLIST', 'WINDOW_POSITION', 'C',
        'MAIN=0,0,1920,1080' || char(13) || char(10), 'Y', 'Y'),

    (22, 9, 'VIEWER', 'VIEWER_PROPERTY', 'C',
        'LAYOUT=1X1' || char(13) || char(10) || 'ANNOTATION=NONE' || char(13) || char(10), 'Y', 'Y'),
    (23, 9, 'WORKLIST', 'PROFILE', 'C',
        'NAME=진료과 조회' || char(13) || char(10) || 'AUTO_REFRESH=0' || char(13) || char(10), 'Y', 'Y'),
    (24, 9, 'WORKLIST', 'WINDOW_POSITION', 'C',
        'MAIN=100,100,1380,900' || char(13) || char(10), 'Y', 'Y'),

    (25, 4, 'WORKLIST', 'WORKLIST_PROPERTY', 'C',
        'FONT=맑은 고딕,9' || char(13) || char(10) || 'ROW_HEIGHT=20' || char(13) || char(10), 'Y', 'Y'),
    (26, 4, 'WORKLIST', 'WINDOW_POSITION', 'C',
        'MAIN=0,0,2560,1440' || char(13) || char(10), 'Y', 'Y'),
    (27, 4, 'WORKLIST', NULL, 'C', 'LAST_TAB=1', 'Y', 'Y');

-- Report macros.
INSERT INTO TMACROTEXT (MACROTEXT_KEY, INSTITUTION_KEY, MACRO_NAME, USER_KEY, SPECIAL_CHAR, KEY_TEXT, MACRO_TEXT) VALUES
    (1, 1, '정상흉부', 12, '#', 'NC',
        'No active lung lesion.' || char(13) || char(10) || '흉부 정상 소견입니다.'),
    (2, 1, '폐렴', 12, '#', 'PN',
        '우하엽에 경화성 음영이 관찰됨.' || char(13) || char(10) || '폐렴 가능성 있음. 추적검사 요망.'),
    (3, 1, '추적', 12, '#', 'FU', '3개월 후 추적 검사를 권함.'),
    (4, 1, '비교', 12, '@', 'CP', '이전 검사와 비교하여 변화 없음.'),
    (5, 1, '정상복부', 3, '#', 'NA', '복부 CT상 특이 소견 없음.'),
    (6, 1, '지방간', 3, '#', 'FL', '간실질의 에코 증가로 지방간 소견.'),
    (7, 1, '갑상선결절', 4, '#', 'TN',
        '우측 갑상선에 0.5 cm 크기의 낭성 결절이 있음.' || char(13) || char(10) || 'K-TIRADS 2.'),
    (8, 1, '서명', 4, NULL, 'SG', '판독의: 이영상');

-- Report groups. 37 to 39 are the listed standard report groups of account 12;
-- 40 has no reports, 41 is switched off, 42 is of another type.
INSERT INTO TGROUP (GROUP_KEY, INSTITUTION_KEY, GROUP_TYPE, OWNER_KEY, GROUP_NAME, GROUP_DESC, SORTING_NO, STAT_FLAG, FLAG) VALUES
    (37, 1, 'G04', 12, 'CHEST',     '흉부 표준판독',     1,    'Y', 'Y'),
    (38, 1, 'G04', 12, '복부',      '복부 표준판독',     2,    'Y', 'Y'),
    (39, 1, 'G04', 12, 'SPINE',     '척추 표준판독',     3,    'Y', 'Y'),
    (40, 1, 'G04', 12, 'NEURO',     '신경 표준판독',     4,    'Y', 'Y'),
    (41, 1, 'G04', 12, 'MSK',       '근골격 표준판독',   5,    'N', 'Y'),
    (42, 1, 'G01', 12, '즐겨찾기',  'Favorite',          NULL, 'Y', 'Y'),
    (43, 1, 'G04', 3,  'Chest',     '흉부',              1,    'Y', 'Y'),
    (44, 1, 'G04', 11, 'chest',     'Default',           NULL, 'Y', 'Y'),
    (45, 1, 'G04', 4,  'US',        '초음파 표준판독',   1,    'Y', 'Y'),
    (46, 1, 'G04', 3,  'Brain MR',  '뇌 MRI',            2,    'Y', 'Y');

INSERT INTO TGROUPUSER (GROUP_KEY, USER_KEY, FLAG) VALUES
    (37, 12, 'Y'), (38, 12, 'Y'), (39, 12, 'Y'), (40, 12, 'Y'), (41, 12, 'Y'), (42, 12, 'Y'),
    (43, 3, 'Y'), (44, 11, 'Y'), (45, 4, 'Y'), (46, 3, 'Y');

INSERT INTO TCOMMONREPORT (COMMONRPT_KEY, GROUP_KEY, REPORT_NAME, REPORT_TEXT, CONCLUSION, CLASS_A, CLASS_B, CLASS_C, HOTKEY, DISPLAY_NO, CREATE_DATE, MODIFY_DATE, FLAG) VALUES
    (1, 37, '정상 흉부',
        'Both lungs are clear.' || char(13) || char(10) || 'No pleural effusion.' || char(13) || char(10) || 'Heart size is normal.',
        'No active lung lesion.', 'CR', 'CHEST', NULL, 'F1', 1, '2025-03-14 09:12:30', '2025-03-14 09:12:30', 'Y'),
    (2, 37, '폐렴',
        '우하엽에 경화성 음영이 보임.' || char(13) || char(10) || '공기기관지조영상 동반.',
        '우하엽 폐렴 의심.', 'CR', 'CHEST', NULL, 'F2', 2, '2025-03-14 09:20:05', '2025-06-02 17:41:10', 'Y'),
    (3, 37, '기흉',
        '좌측 폐첨부에 흉막선이 보이며 그 외측으로 폐 음영 없음.',
        '좌측 기흉.', 'CR', 'CHEST', NULL, 'F3', 3, '2025-03-15 11:02:44', '2025-03-15 11:02:44', 'Y'),
    (4, 38, '정상 복부 CT',
        'Liver, spleen, pancreas and both kidneys are unremarkable.' || char(13) || char(10) || 'No ascites.',
        'No significant abnormality.', 'CT', 'ABDOMEN', NULL, 'F1', 1, '2025-04-01 08:30:00', '2025-04-01 08:30:00', 'Y'),
    (5, 38, '담낭 결석',
        '담낭 내 1.2 cm 크기의 고음영 결석이 있음.' || char(13) || char(10) || '담낭벽 비후 없음.',
        '담낭 결석.', 'CT', 'ABDOMEN', NULL, 'F2', 2, '2025-04-01 08:41:19', '2025-09-22 13:05:51', 'Y'),
    (6, 39, 'L-spine degenerative',
        'Mild disc space narrowing at L4-5.' || char(13) || char(10) || 'Marginal osteophytes at L3-L5.',
        'Degenerative change of L-spine.', 'DX', 'SPINE', NULL, 'F1', 1, '2025-05-10 10:00:00', '2025-05-10 10:00:00', 'Y'),
    (7, 41, '무릎 관절염',
        '양측 무릎 관절 간격 감소 및 골극 형성.',
        '양측 퇴행성 관절염.', 'DX', 'KNEE', NULL, 'F1', 1, '2024-11-20 15:30:00', '2024-11-20 15:30:00', 'Y'),
    (8, 42, 'Normal chest',
        'No active lesion in both lungs.',
        'Normal chest.', 'CR', 'CHEST', NULL, NULL, 1, '2024-12-02 09:00:00', '2024-12-02 09:00:00', 'Y'),
    (9, 43, '정상 흉부',
        'Clear lungs.',
        'Normal.', 'CR', 'CHEST', NULL, 'F1', 1, '2025-01-08 14:22:10', '2025-01-08 14:22:10', 'Y'),
    (10, 45, '정상 갑상선 초음파',
        '양측 갑상선의 크기와 에코는 정상.' || char(13) || char(10) || '결절 없음.',
        '정상 갑상선.', 'US', 'THYROID', NULL, 'F1', 1, '2025-02-17 10:10:10', '2025-02-17 10:10:10', 'Y'),
    (11, 45, '지방간',
        '간실질의 에코가 증가되어 있음.',
        '경도의 지방간.', 'US', 'LIVER', NULL, 'F2', 2, '2025-02-17 10:15:42', '2025-02-17 10:15:42', 'Y'),
    (12, 46, 'Normal brain MRI',
        'No abnormal signal intensity in brain parenchyma.' || char(13) || char(10) || 'Ventricles are normal in size.',
        'Normal brain MRI.', 'MR', 'BRAIN', NULL, 'F1', 1, '2025-07-03 16:45:00', '2025-07-03 16:45:00', 'Y'),
    (13, 46, '급성 뇌경색',
        '좌측 중대뇌동맥 영역에 확산 제한이 있음.',
        '좌측 MCA 영역 급성 뇌경색.', 'MR', 'BRAIN', 'DWI', 'F2', 2, '2025-07-03 16:52:31', '2025-08-11 08:03:12', 'Y');

-- Patients.
INSERT INTO TPATIENT (PATIENT_KEY, PATIENT_ID, PATIENT_NAME, PATIENT_ENG_NAME, SEX, BIRTH_DATE) VALUES
    (1,  '2026000123', '홍길동',   'HONG^GILDONG',   'M', '19650312'),
    (2,  '2026000124', '김민준',   'KIM^MINJUN',     'M', '19880721'),
    (3,  '2026000125', '이서연',   'LEE^SEOYEON',    'F', '19920105'),
    (4,  '2026000126', '박지훈',   'PARK^JIHOON',    'M', '19751130'),
    (5,  '2026000127', '최수아',   'CHOI^SUA',       'F', '20010418'),
    (6,  '2026000128', '정예준',   'JUNG^YEJUN',     'M', '19590902'),
    (7,  '2026000129', '강하은',   'KANG^HAEUN',     'F', '19830614'),
    (8,  '2026000130', '조현우',   'CHO^HYUNWOO',    'M', '19470227'),
    (9,  '2026000131', '윤지민',   'YOON^JIMIN',     'F', '19960809'),
    (10, '2026000132', '장도윤',   'JANG^DOYUN',     'M', '20150322'),
    (11, '2026000133', '임서윤',   'LIM^SEOYUN',     'F', '19701011'),
    (12, '2026000134', '한승민',   'HAN^SEUNGMIN',   'M', '19890515'),
    (13, '2026000135', '오미숙',   'OH^MISOOK',      'F', '19541203'),
    (14, '2026000136', '서준호',   'SEO^JUNHO',      'M', '19990130'),
    (15, '2026000137', '남궁민수', 'NAMGUNG^MINSU',  'M', '19780808');

-- Romanized names: every patient, and one given name without a family name.
INSERT INTO THANCONVERT (KOR_NAME, FAMILY_NAME, ENG_NAME) VALUES
    ('홍길동',   'HONG',    'GILDONG'),
    ('김민준',   'KIM',     'MINJUN'),
    ('이서연',   'LEE',     'SEOYEON'),
    ('박지훈',   'PARK',    'JIHOON'),
    ('최수아',   'CHOI',    'SUA'),
    ('정예준',   'JUNG',    'YEJUN'),
    ('강하은',   'KANG',    'HAEUN'),
    ('조현우',   'CHO',     'HYUNWOO'),
    ('윤지민',   'YOON',    'JIMIN'),
    ('장도윤',   'JANG',    'DOYUN'),
    ('임서윤',   'LIM',     'SEOYUN'),
    ('한승민',   'HAN',     'SEUNGMIN'),
    ('오미숙',   'OH',      'MISOOK'),
    ('서준호',   'SEO',     'JUNHO'),
    ('남궁민수', 'NAMGUNG', 'MINSU'),
    ('마이클',   NULL,      'MICHAEL');

-- English exam names; 무릎 MRI (우) and 유방 초음파 have none yet.
INSERT INTO TEXAMNAME_ENG (KOR_NAME, ENG_NAME) VALUES
    ('흉부 정면',       'Chest PA'),
    ('흉부 측면',       'Chest Lateral'),
    ('복부 단순촬영',   'Abdomen Supine'),
    ('요추 전후면',     'L-Spine AP'),
    ('무릎 양측',       'Both Knees AP'),
    ('뇌 CT 비조영',    'Brain CT without contrast'),
    ('복부 CT 조영',    'Abdomen CT with contrast'),
    ('흉부 CT 저선량',  'Low Dose Chest CT'),
    ('뇌 MRI 조영',     'Brain MRI with contrast'),
    ('요추 MRI',        'L-Spine MRI'),
    ('복부 초음파',     'Abdomen Ultrasound'),
    ('갑상선 초음파',   'Thyroid Ultrasound');

-- Orders over the last ten days and today; day is the offset from the
-- creation day. Accession numbers are the order date and the order key.
INSERT INTO TORDER (ORDER_KEY, PATIENT_KEY, ACCESSION_NO, ORDER_DATE, ORDER_TIME, ORDER_MODALITY, ORDER_CODE, ORDER_NAME, ORDER_DEPT, ORDER_DOCTOR, ORDER_STATUS)
WITH o (k, pk, day, t, m, code, name, dept, doctor, st) AS (VALUES
    (1,  1,  -10, '091500', 'CR', 'RG0101', '흉부 정면',      '내과',         '김내과', 'C'),
    (2,  2,  -10, '102030', 'CT', 'CT0101', '뇌 CT 비조영',   '신경과',       '이신경', 'C'),
    (3,  3,  -9,  '083000', 'US', 'US0101', '복부 초음파',    '내과',         '김내과', 'C'),
    (4,  4,  -9,  '140510', 'MR', 'MR0201', '요추 MRI',       '정형외과',     '박정형', 'C'),
    (5,  5,  -8,  '093020', 'DX', 'RG0401', '무릎 양측',      '정형외과',     '박정형', 'C'),
    (6,  6,  -8,  '111500', 'CT', 'CT0203', '복부 CT 조영',   '외과',         '최외과', 'C'),
    (7,  7,  -7,  '081045', 'CR', 'RG0102', '흉부 측면',      '내과',         '김내과', 'C'),
    (8,  7,  -7,  '081050', 'CR', 'RG0101', '흉부 정면',      '내과',         '김내과', 'C'),
    (9,  8,  -7,  '153000', 'MR', 'MR0101', '뇌 MRI 조영',    '신경과',       '이신경', 'C'),
    (10, 9,  -6,  '100000', 'US', 'US0201', '갑상선 초음파',  '내과',         '정내분', 'C'),
    (11, 10, -6,  '113020', 'DX', 'RG0201', '복부 단순촬영',  '소아청소년과', '한소아', 'C'),
    (12, 11, -6,  '143000', 'CT', 'CT0301', '흉부 CT 저선량', '건강검진센터', '오검진', 'C'),
    (13, 12, -5,  '090010', 'CR', 'RG0101', '흉부 정면',      '건강검진센터', '오검진', 'C'),
    (14, 13, -5,  '101500', 'US', 'US0301', '유방 초음파',    '외과',         '최외과', 'C'),
    (15, 14, -5,  '160020', 'MR', 'MR0301', '무릎 MRI (우)',  '정형외과',     '박정형', 'C'),
    (16, 15, -4,  '084500', 'DX', 'RG0301', '요추 전후면',    '정형외과',     '박정형', 'C'),
    (17, 1,  -4,  '093000', 'CT', 'CT0301', '흉부 CT 저선량', '내과',         '김내과', 'C'),
    (18, 2,  -4,  '133000', 'MR', 'MR0101', '뇌 MRI 조영',    '신경과',       '이신경', 'C'),
    (19, 3,  -3,  '082000', 'CR', 'RG0201', '복부 단순촬영',  '외과',         '최외과', 'C'),
    (20, 4,  -3,  '103000', 'DX', 'RG0401', '무릎 양측',      '정형외과',     '박정형', 'C'),
    (21, 5,  -3,  '151000', 'US', 'US0101', '복부 초음파',    '내과',         '김내과', 'C'),
    (22, 6,  -2,  '090000', 'CT', 'CT0203', '복부 CT 조영',   '외과',         '최외과', 'C'),
    (23, 8,  -2,  '110000', 'CR', 'RG0101', '흉부 정면',      '응급의학과',   '장응급', 'C'),
    (24, 8,  -2,  '111500', 'CT', 'CT0101', '뇌 CT 비조영',   '응급의학과',   '장응급', 'C'),
    (25, 9,  -1,  '083000', 'MR', 'MR0201', '요추 MRI',       '정형외과',     '박정형', 'C'),
    (26, 11, -1,  '100000', 'US', 'US0201', '갑상선 초음파',  '내과',         '정내분', 'C'),
    (27, 12, -1,  '140000', 'DX', 'RG0301', '요추 전후면',    '정형외과',     '박정형', 'C'),
    (28, 13, -1,  '163000', 'CR', 'RG0102', '흉부 측면',      '내과',         '김내과', 'C'),
    (29, 1,  0,   '080500', 'CR', 'RG0101', '흉부 정면',      '내과',         '김내과', 'S'),
    (30, 1,  0,   '080700', 'CR', 'RG0102', '흉부 측면',      '내과',         '김내과', 'S'),
    (31, 2,  0,   '090000', 'CT', 'CT0203', '복부 CT 조영',   '외과',         '최외과', 'S'),
    (32, 3,  0,   '093000', 'MR', 'MR0101', '뇌 MRI 조영',    '신경과',       '이신경', 'S'),
    (33, 4,  0,   '100000', 'US', 'US0101', '복부 초음파',    '내과',         '김내과', 'S'),
    (34, 5,  0,   '103000', 'DX', 'RG0401', '무릎 양측',      '정형외과',     '박정형', 'S'),
    (35, 10, 0,   '110000', 'DX', 'RG0201', '복부 단순촬영',  '소아청소년과', '한소아', 'S'),
    (36, 14, 0,   '133000', 'MR', 'MR0301', '무릎 MRI (우)',  '정형외과',     '박정형', 'S'),
    (37, 15, 0,   '140000', 'US', 'US0301', '유방 초음파',    '외과',         '최외과', 'S'),
    (38, 7,  0,   '143000', 'CT', 'CT0101', '뇌 CT 비조영',   '응급의학과',   '장응급', 'S'),
    (39, 12, 0,   '150000', 'CR', 'RG0101', '흉부 정면',      '건강검진센터', '오검진', 'S'),
    (40, 6,  0,   '160000', 'US', 'US0201', '갑상선 초음파',  '내과',         '정내분', 'S')
)
SELECT o.k, o.pk,
       strftime('%Y%m%d', s.today, o.day || ' days') || printf('%04d', o.k),
       strftime('%Y%m%d', s.today, o.day || ' days'),
       o.t, o.m, o.code, o.name, o.dept, o.doctor, o.st
FROM o, kz_seed s
ORDER BY o.k;

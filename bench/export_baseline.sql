-- The register export's lines as sqlite3 writes them, byte for byte, for the
-- benchmark's registers: Created as en_US writes it (M/d/yy h:mm:ss AP, the date
-- alone at midnight), ASCII texts, test codes that need no quotes, CR LF.
--   sqlite3 REGISTER < bench/export_baseline.sql > lines.txt
.mode list
.headers off
.separator "" "\r\n"
SELECT p.Order_id || '\' || p.AccnNum || '\' || p.AccnStr || '\' ||
       CAST(substr(p.Created, 6, 2) AS INTEGER) || '/' || CAST(substr(p.Created, 9, 2) AS INTEGER) || '/' ||
       substr(p.Created, 3, 2) ||
       CASE WHEN substr(p.Created, 12) = '00:00:00.000' THEN ''
            ELSE ' ' || ((CAST(substr(p.Created, 12, 2) AS INTEGER) + 11) % 12 + 1) || substr(p.Created, 14, 6) ||
                 CASE WHEN CAST(substr(p.Created, 12, 2) AS INTEGER) < 12 THEN ' AM' ELSE ' PM' END
       END || '\' ||
       p.Last_Name || '\' || p.First_Name || '\' || p.Middle_Initial || '\' || p.Gender || '\' || p.Patient_id || '\' ||
       p.DOB || '\' || p.Location || '\' || p.Collection_date || '\' || p.Collection_Time || '\' ||
       p.Recieve_date || '\' || p.Recieve_Time || '\' ||
       coalesce((SELECT group_concat(TestCode, ',')
                 FROM (SELECT TestCode FROM tests t WHERE t.Order_id = p.Order_id ORDER BY t.Test_id)), '')
FROM patients p
ORDER BY p.AccnNum, p.Order_id;

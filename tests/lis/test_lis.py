#!/usr/bin/env python3
"""The registrations sent to an LIS, checked with tools that are not ours: every
message parsed by python3-hl7 (Debian's package), sent over MLLP to a receiver
written with python3-hl7's own MLLP server (receiver.py) on loopback, in the clear
and over TLS; the FHIR bundle checked by Medplum's validator.

  test_lis.py TABRIX_REGISTER TABRIX_LIS NPM_DIR   (NPM_DIR holds Medplum's validator)
"""
import json
import os
import sqlite3
import subprocess
import sys
import tempfile
import time
import unittest

import hl7

REGISTER, LIS = sys.argv[1], sys.argv[2]
VALIDATOR = sys.argv[3]
HERE = os.path.dirname(os.path.abspath(__file__))
PYTHON = "/usr/bin/python3"  # Debian's, which has python3-hl7

HOSTILE = [
    # last name, first name, patient id, location, tests
    ("O'BRIEN|^~\\&", 'JO "JJ"', "MRN|1^~", "ER&2", ["CBC", "A^B", "K&NA|~"]),
    ("MÜLLER-ÅSTRÖM", "ZOË", "MRN2", "W144", ["BMP"]),
    ("ABCDEFGHIJKLMNOPQRST", "ABCDEFGHIJKLMNOPQRST", "12345678901234567890", "ABCDEFGHIJKLMNOPQRST", ["CMP", "CMP"]),
    ("\\E\\", "\\T\\", "\\F\\", "\\S\\", ["\\R\\"]),
]


class Station:
    """A program folder with an SQLite register and settings pointing at an LIS."""

    def __init__(self, test):
        self.dir = tempfile.mkdtemp(prefix="tabrix-lis-")
        test.addCleanup(subprocess.run, ["rm", "-rf", self.dir])
        subprocess.run([REGISTER, "sqlite", self.dir], check=True, stdout=subprocess.DEVNULL)
        self.db = sqlite3.connect(os.path.join(self.dir, "tabrix.db"))
        self.next = 100012345
        self.settings({})

    def settings(self, lis):
        base = {"ReceivingApplication": "LAB", "ReceivingFacility": "HOSP", "AssigningAuthority": "HOSP&MRN",
                "SpecimenType": "SER", "Timeout": "1500"}
        base.update(lis)
        with open(os.path.join(self.dir, "tabrix.ini"), "w", encoding="utf-8") as f:
            f.write("[Defaults]\nStationID=ER|1\n[LIS]\n")
            for k, v in base.items():
                f.write(f"{k}={v}\n")

    def add(self, last, first="JANE", pid="MRN1", location="ER", tests=("CBC",), dob="02/02/1980"):
        accn = self.next
        self.next += 1
        cur = self.db.execute(
            "INSERT INTO patients (AccnNum, AccnStr, Created, Last_Name, First_Name, Middle_Initial, Gender, Patient_id,"
            " DOB, Location, Collection_date, Collection_Time, Recieve_date, Recieve_Time)"
            " VALUES (?, ?, '2026-12-08T09:30:05', ?, ?, 'Q', 'F', ?, ?, ?, '12/08/2026', '0900', '12/08/2026', '0915')",
            (accn, "X%d" % (accn - 100000000), last, first, pid, dob, location))
        for code in tests:
            self.db.execute("INSERT INTO tests (Order_id, TestCode) VALUES (?, ?)", (cur.lastrowid, code))
        self.db.commit()
        return "X%d" % (accn - 100000000)

    def lis(self, *args):
        return subprocess.run([LIS, args[0], self.dir, *args[1:]], capture_output=True, text=True, timeout=300)

    def outcomes(self):
        return self.db.execute(
            "SELECT AccnStr, OrderControl, ControlId, Outcome, Reply FROM lis_messages ORDER BY Message_id").fetchall()

    def states(self):
        out = self.lis("status").stdout
        return {line.split(":")[0]: int(line.split(":")[1]) for line in out.splitlines() if ": " in line and line[0].islower()}


class Receiver:
    def __init__(self, test, *tls):
        folder = tempfile.mkdtemp(prefix="tabrix-mllp-")
        test.addCleanup(subprocess.run, ["rm", "-rf", folder])
        self.log = os.path.join(folder, "log.jsonl")
        port_file = os.path.join(folder, "port")
        self.process = subprocess.Popen([PYTHON, os.path.join(HERE, "receiver.py"), port_file, self.log, *tls])
        test.addCleanup(self.process.wait)
        test.addCleanup(self.process.kill)
        for _ in range(100):
            if os.path.exists(port_file):
                break
            time.sleep(0.05)
        with open(port_file) as f:
            self.port = int(f.read())

    def seen(self):
        if not os.path.exists(self.log):
            return []
        with open(self.log, encoding="utf-8") as f:
            return [json.loads(line) for line in f]


def messages_of(text):
    """The messages of a `tabrix-lis hl7` file: segments one a line, a blank line after each."""
    return [hl7.parse(group.replace("\n", "\r")) for group in text.split("\n\n") if group.strip()]


def value(message, segment, field, component=1, repeat=0):
    """A component's text of the repeat-th segment of that id, unescaped by python3-hl7."""
    return str(message.extract_field(segment, repeat + 1, field, 1, component))


class Messages(unittest.TestCase):
    def test_python_hl7_reads_every_field_of_hostile_registrations(self):
        station = Station(self)
        for last, first, pid, location, tests in HOSTILE:
            station.add(last, first, pid, location, tests)
        path = os.path.join(station.dir, "out.hl7")
        result = station.lis("hl7", path)
        self.assertEqual(result.returncode, 0, result.stderr)
        with open(path, encoding="utf-8") as f:
            messages = messages_of(f.read())
        self.assertEqual(len(messages), len(HOSTILE))
        for m, (last, first, pid, location, tests) in zip(messages, HOSTILE):
            msh = m.segment("MSH")
            self.assertEqual(str(msh(3)), "TABRIX")
            self.assertEqual(m.unescape(str(msh(4))), "ER|1")
            self.assertEqual((str(msh(5)), str(msh(6))), ("LAB", "HOSP"))
            self.assertRegex(str(msh(7)), r"^\d{14}[+-]\d{4}$")
            self.assertEqual(str(msh(9)), "OML^O21^OML_O21")
            self.assertTrue(0 < len(str(msh(10))) <= 20)
            self.assertEqual((str(msh(11)), str(msh(12)), str(msh(18))), ("P", "2.5.1", "UNICODE UTF-8"))
            self.assertEqual(value(m, "PID", 3), pid)
            self.assertEqual(value(m, "PID", 3, 4), "HOSP&MRN")
            self.assertEqual((value(m, "PID", 5), value(m, "PID", 5, 2)), (last, first))
            self.assertEqual((str(m.segment("PID")(7)), str(m.segment("PID")(8))), ("19800202", "F"))
            self.assertEqual(value(m, "PV1", 3), location)
            self.assertEqual(len(m.segments("ORC")), len(tests))
            accn = value(m, "SPM", 2)
            for i, code in enumerate(tests):
                placer = "%s-%s" % (accn, code) + ("-2" if tests[:i].count(code) else "")
                self.assertEqual(value(m, "ORC", 1, repeat=i), "NW")
                self.assertEqual(value(m, "ORC", 2, repeat=i), placer)
                self.assertEqual(value(m, "ORC", 4, repeat=i), accn)
                self.assertEqual(value(m, "OBR", 2, repeat=i), placer)
                self.assertEqual(value(m, "OBR", 4, repeat=i), code)
                self.assertRegex(value(m, "OBR", 7, repeat=i), r"^202612080900[+-]\d{4}$")
                self.assertEqual(value(m, "SPM", 2, repeat=i), accn)
                self.assertEqual(value(m, "SPM", 4, repeat=i), "SER")
                self.assertRegex(value(m, "SPM", 17, repeat=i), r"^202612080900[+-]\d{4}$")
                self.assertRegex(value(m, "SPM", 18, repeat=i), r"^202612080915[+-]\d{4}$")

    def test_older_engines_get_orm_and_a_date_that_is_no_date_is_not_sent(self):
        station = Station(self)
        station.settings({"MessageType": "ORM^O01"})
        station.add("PINDLE", tests=["CBC"])
        bad = station.add("BADDATE", dob="02/30/1980")
        path = os.path.join(station.dir, "out.hl7")
        result = station.lis("hl7", path)
        self.assertEqual(result.returncode, 1)
        self.assertIn("%s is not written: DOB is not a valid date" % bad, result.stderr)
        with open(path, encoding="utf-8") as f:
            messages = messages_of(f.read())
        self.assertEqual(len(messages), 1)
        m = messages[0]
        self.assertEqual((str(m.segment("MSH")(9)), str(m.segment("MSH")(12))), ("ORM^O01", "2.3.1"))
        self.assertEqual(len(m.segments("SPM") if "SPM" in str(m) else []), 0)
        self.assertEqual(value(m, "OBR", 15), "SER")
        self.assertRegex(value(m, "OBR", 14), r"^202612080915[+-]\d{4}$")


class Sending(unittest.TestCase):
    def test_each_answer_leaves_its_state_and_a_resend_keeps_the_control_id(self):
        receiver = Receiver(self)
        station = Station(self)
        station.settings({"Host": "127.0.0.1", "Port": receiver.port})
        names = ["PLAIN", "REFUSE", "REJECT", "SPLIT", "SILENT", "CLOSE", "GARBLE", "LAST"]
        accn = {name: station.add(name) for name in names}

        def outcome_of(name):
            rows = [r for r in station.outcomes() if r[0] == accn[name]]
            return rows[-1][3], rows[-1][4]

        # No answer ends a run: the rest keep their states.
        self.assertEqual(station.lis("send").returncode, 1)
        self.assertEqual(outcome_of("PLAIN")[0], "accepted")
        self.assertEqual(outcome_of("REFUSE"), ("refused", "AE: Unknown location"))
        self.assertEqual(outcome_of("REJECT"), ("refused", "AR: "))
        self.assertEqual(outcome_of("SPLIT")[0], "accepted")
        self.assertEqual(outcome_of("SILENT")[0], "not confirmed")
        self.assertEqual(station.states(), {"not sent": 3, "accepted": 2, "refused": 2, "not confirmed": 1,
                                            "changed since accepted": 0, "deleted after sending": 0})
        # A closed connection, then a garbled answer, each end a run of its own.
        self.assertEqual(station.lis("send").returncode, 1)
        self.assertIn("closed the connection", outcome_of("CLOSE")[1])
        self.assertEqual(station.lis("send").returncode, 1)
        self.assertEqual(outcome_of("GARBLE"), ("not confirmed", "The answer is no HL7 message."))
        result = station.lis("send")
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertEqual(station.lis("status").returncode, 0)
        # Every message sent again had the control id it had the first time.
        ids = {}
        for entry in receiver.seen():
            ids.setdefault(entry["last_name"], set()).add(entry["control_id"])
        for name in names:
            self.assertEqual(len(ids[name]), 1, name)
        self.assertEqual([e["last_name"] for e in receiver.seen()].count("PLAIN"), 1)

        # A change after acceptance arrives as XO, a delete as CA built from what was sent.
        station.db.execute("UPDATE patients SET Location = 'ICU' WHERE AccnStr = ?", (accn["PLAIN"],))
        station.db.execute("DELETE FROM patients WHERE AccnStr = ?", (accn["LAST"],))
        station.db.commit()
        self.assertEqual(station.states()["changed since accepted"], 1)
        self.assertEqual(station.states()["deleted after sending"], 1)
        self.assertEqual(station.lis("send").returncode, 0)
        last_two = receiver.seen()[-2:]
        self.assertEqual([e["orders"][0][0] for e in last_two], ["XO", "CA"])
        self.assertEqual(last_two[1]["orders"][0][1], "%s-CBC" % accn["LAST"])
        self.assertIn("ICU", last_two[0]["raw"])
        self.assertEqual(station.lis("status").returncode, 0)

    def test_five_hundred_registrations_accepted_exactly_once(self):
        receiver = Receiver(self)
        station = Station(self)
        station.settings({"Host": "127.0.0.1", "Port": receiver.port})
        for i in range(500):
            station.add("PATIENT%03d" % i, pid="MRN%d" % (i % 97), tests=["CBC", "BMP"][: 1 + i % 2])
        result = station.lis("send")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(station.lis("send").returncode, 0)  # nothing left to send
        seen = receiver.seen()
        self.assertEqual(len(seen), 500)
        new_orders = [placer for e in seen for control, placer in e["orders"] if control == "NW"]
        self.assertEqual(len(new_orders), len(set(new_orders)))
        accepted = station.db.execute(
            "SELECT count(*), count(DISTINCT Order_id) FROM lis_messages WHERE Outcome = 'accepted'").fetchone()
        self.assertEqual(accepted, (500, 500))
        self.assertEqual([e["control_id"] for e in seen], [r[2] for r in station.outcomes()])


class Tls(unittest.TestCase):
    def certificate(self, folder, name):
        """A CA of its own, and a certificate it signed for 127.0.0.1."""
        run = lambda *a: subprocess.run(["openssl", *a], check=True, capture_output=True, cwd=folder)
        run("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=%s CA" % name,
            "-keyout", name + "-ca.key", "-out", name + "-ca.pem")
        run("req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=127.0.0.1", "-keyout", name + ".key",
            "-out", name + ".csr")
        with open(os.path.join(folder, "san.ext"), "w") as f:
            f.write("subjectAltName=IP:127.0.0.1\n")
        run("x509", "-req", "-in", name + ".csr", "-CA", name + "-ca.pem", "-CAkey", name + "-ca.key",
            "-CAcreateserial", "-days", "2", "-extfile", "san.ext", "-out", name + ".pem")
        return [os.path.join(folder, f) for f in (name + "-ca.pem", name + ".pem", name + ".key")]

    def test_patient_data_crosses_encrypted_and_an_unverified_engine_is_refused(self):
        folder = tempfile.mkdtemp(prefix="tabrix-tls-")
        self.addCleanup(subprocess.run, ["rm", "-rf", folder])
        ca, cert, key = self.certificate(folder, "engine")
        other_ca = self.certificate(folder, "stranger")[0]
        receiver = Receiver(self, "--cert", cert, "--key", key)
        station = Station(self)
        station.add("PINDLE")
        station.settings({"Host": "127.0.0.1", "Port": receiver.port, "TLS": "1", "CAFile": other_ca})
        result = station.lis("send")
        self.assertEqual(result.returncode, 1)
        self.assertIn("its certificate does not verify", result.stderr)
        self.assertEqual(station.outcomes(), [])
        self.assertEqual(receiver.seen(), [])
        station.settings({"Host": "127.0.0.1", "Port": receiver.port, "TLS": "1", "CAFile": ca})
        result = station.lis("send")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual([e["last_name"] for e in receiver.seen()], ["PINDLE"])


class Fhir(unittest.TestCase):
    def test_the_bundle_validates_and_is_the_same_bytes_twice(self):
        station = Station(self)
        for last, first, pid, location, tests in HOSTILE:
            station.add(last, first, pid, location, tests)
        station.add("AGAIN", pid="MRN2", tests=["TSH"])  # a patient of two registrations
        first, second = (os.path.join(station.dir, n) for n in ("a.json", "b.json"))
        for path in (first, second):
            result = station.lis("fhir", path)
            self.assertEqual(result.returncode, 0, result.stderr)
        with open(first, "rb") as a, open(second, "rb") as b:
            data = a.read()
            self.assertEqual(data, b.read())
        bundle = json.loads(data)
        kinds = [e["resource"]["resourceType"] for e in bundle["entry"]]
        self.assertEqual(kinds.count("Patient"), 4)  # MRN2 once
        self.assertEqual(kinds.count("Specimen"), 5)
        self.assertEqual(kinds.count("ServiceRequest"), 3 + 1 + 2 + 1 + 1)
        urls = [e["fullUrl"] for e in bundle["entry"]]
        self.assertEqual(len(urls), len(set(urls)))
        for e in bundle["entry"]:
            self.assertEqual(e["request"]["method"], "POST")
            self.assertTrue(e["request"]["ifNoneExist"].startswith("identifier="))
            for ref in json.dumps(e["resource"]).split('"reference": "')[1:]:
                self.assertIn(ref.split('"')[0], urls)
        names = [e["resource"]["name"][0]["family"] for e in bundle["entry"] if e["resource"]["resourceType"] == "Patient"]
        self.assertIn("O'BRIEN|^~\\&", names)
        self.assertTrue(os.path.isdir(os.path.join(VALIDATOR, "node_modules", "@medplum", "core")),
                        "no FHIR validator in %r: the test command (tools/test.sh) installs it" % VALIDATOR)
        result = subprocess.run(["node", os.path.join(HERE, "validate_fhir.mjs"), first, VALIDATOR], capture_output=True,
                                text=True)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertIn(" 0 errors", result.stdout)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)

#!/usr/bin/env python3
"""An LIS interface engine for the tests: an MLLP server written with python3-hl7
(Debian's package) on loopback. It parses every message with python3-hl7, keeps
what it saw as JSON lines, and answers as the patient's last name asks the first
time it sees a control id (any later time: AA):
  ...REFUSE... AE with a text in MSA-3 and ERR-8    ...REJECT... AR
  ...SILENT... no answer                            ...CLOSE...  closes the connection
  ...SPLIT...  AA split over several packets        ...GARBLE... a frame that is no HL7
  anything else: AA

  receiver.py PORT_FILE LOG_FILE [--cert CERT --key KEY]
"""
import argparse
import asyncio
import json
import os
import ssl

import hl7
from hl7.mllp import start_hl7_server

seen = set()


def record(log, message, raw):
    msh = message.segment("MSH")
    orders = [(str(orc(1)), str(orc(2)(1)(1))) for orc in message.segments("ORC")]
    entry = {
        "control_id": str(msh(10)),
        "type": str(msh(9)),
        "version": str(msh(12)),
        "last_name": str(message.segment("PID")(5)(1)(1)),
        "orders": orders,
        "raw": raw,
    }
    with open(log, "a", encoding="utf-8") as f:
        f.write(json.dumps(entry) + "\n")
    return entry


def ack(message, code, text=""):
    reply = message.create_ack(ack_code=code, message_id="ACK" + str(len(seen)))
    lines = [str(s) for s in reply]
    msa = [l for l in lines if l.startswith("MSA")][0]
    if text:
        lines[lines.index(msa)] = msa + "|" + text
    if text:
        lines.append("ERR||||E||||" + text)
    return ("\r".join(lines) + "\r").encode("utf-8")


async def serve(reader, writer, log):
    try:
        while not writer.is_closing():
            block = await reader.readblock()
            raw = block.decode("utf-8")
            message = hl7.parse(raw)
            entry = record(log, message, raw)
            first = entry["control_id"] not in seen
            seen.add(entry["control_id"])
            name = entry["last_name"] if first else ""
            if "SILENT" in name:
                continue
            if "CLOSE" in name:
                writer.close()
                return
            if "GARBLE" in name:
                writer.writeblock(b"this is no HL7")
            elif "REFUSE" in name:
                writer.writeblock(ack(message, "AE", "Unknown location"))
            elif "REJECT" in name:
                writer.writeblock(ack(message, "AR"))
            elif "SPLIT" in name:
                whole = b"\x0b" + ack(message, "AA") + b"\x1c\x0d"
                for i in range(0, len(whole), 7):
                    writer.write(whole[i:i + 7])
                    await writer.drain()
                    await asyncio.sleep(0.02)
            else:
                writer.writeblock(ack(message, "AA"))
            await writer.drain()
    except (asyncio.IncompleteReadError, ConnectionError):
        pass
    finally:
        writer.close()


async def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("port_file")
    parser.add_argument("log_file")
    parser.add_argument("--cert")
    parser.add_argument("--key")
    args = parser.parse_args()
    context = None
    if args.cert:
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(args.cert, args.key)
    server = await start_hl7_server(lambda r, w: serve(r, w, args.log_file), "127.0.0.1", 0, ssl=context)
    port = server.sockets[0].getsockname()[1]
    with open(args.port_file + ".tmp", "w") as f:
        f.write(str(port))
    os.rename(args.port_file + ".tmp", args.port_file)
    async with server:
        await server.serve_forever()


asyncio.run(main())

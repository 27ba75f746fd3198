#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Phones polling the phone page, for the load test: CLIENTS clients, each from an address of
its own on loopback (127.0.0.2, 127.0.0.3, ...) as phones in a hall would be, load the page once
and then poll /board.json every INTERVAL seconds with the entity tag they hold, as the page's
script does, for SECONDS seconds. Only loopback is ever contacted. Prints one JSON line:
requests, answers by status, failures (with the first reasons) and latencies in ms.

Usage: phone_clients.py PORT [CLIENTS [SECONDS [INTERVAL]]]"""
import asyncio
import json
import random
import sys
import time

port = int(sys.argv[1])
clients = int(sys.argv[2]) if len(sys.argv) > 2 else 200
seconds = float(sys.argv[3]) if len(sys.argv) > 3 else 60.0
interval = float(sys.argv[4]) if len(sys.argv) > 4 else 1.0

stats = {"requests": 0, "status": {}, "failures": 0, "reasons": [], "latencies": []}


async def request(conn, path, etag):
    reader, writer = conn
    head = "GET %s HTTP/1.1\r\nHost: 127.0.0.1:%d\r\n" % (path, port)
    if etag:
        head += "If-None-Match: %s\r\n" % etag
    writer.write((head + "\r\n").encode())
    await writer.drain()
    status_line = await reader.readline()
    headers = {}
    while True:
        line = await reader.readline()
        if line in (b"\r\n", b""):
            break
        k, _, v = line.decode("latin-1").partition(":")
        headers[k.strip().lower()] = v.strip()
    status = int(status_line.split()[1])
    if "content-length" in headers:
        await reader.readexactly(int(headers["content-length"]))
    return status, headers.get("etag", etag), headers.get("connection", "").lower() == "close"


async def phone(k, end):
    await asyncio.sleep(random.random() * interval)
    conn, etag, path = None, None, "/"
    while time.monotonic() < end:
        started = time.monotonic()
        try:
            if conn is None:
                conn = await asyncio.wait_for(asyncio.open_connection(
                    "127.0.0.1", port, local_addr=("127.0.0.%d" % (2 + k % 250), 0)), 5)
            status, etag, close = await asyncio.wait_for(request(conn, path, etag), 5)
            stats["requests"] += 1
            stats["status"][status] = stats["status"].get(status, 0) + 1
            stats["latencies"].append((time.monotonic() - started) * 1000)
            if status not in (200, 304):
                raise RuntimeError("status %d" % status)
            path = "/board.json"
            if close:
                conn[1].close()
                conn = None
        except Exception as e:  # a failed request: counted, and the phone connects again
            stats["failures"] += 1
            if len(stats["reasons"]) < 5:
                stats["reasons"].append("%s: %r" % (type(e).__name__, e))
            if conn:
                conn[1].close()
            conn = None
        await asyncio.sleep(max(0.0, interval - (time.monotonic() - started)))
    if conn:
        conn[1].close()


async def main():
    end = time.monotonic() + seconds
    await asyncio.gather(*(phone(k, end) for k in range(clients)))


asyncio.run(main())
lat = sorted(stats["latencies"]) or [0]
print(json.dumps({"clients": clients, "seconds": seconds, "requests": stats["requests"],
                  "status": stats["status"], "failures": stats["failures"], "reasons": stats["reasons"],
                  "latency_ms": {"median": round(lat[len(lat) // 2], 2),
                                 "p99": round(lat[min(len(lat) - 1, len(lat) * 99 // 100)], 2),
                                 "max": round(lat[-1], 2)}}))

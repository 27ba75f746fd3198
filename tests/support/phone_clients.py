#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Phones polling the phone page, for the load test: CLIENTS clients, each from an address of
its own on loopback (127.0.0.14, 127.0.0.15, ...) as phones in a hall would be, load the page
(PREFIX/) once and then poll PREFIX/board.json every INTERVAL seconds with the entity tag they
hold, as the page's script does, for SECONDS seconds; beside them (a process of its own, not
to delay their timing) FLOOD idle connections from 127.0.0.2 to 127.0.0.13, each opened again
half a second after it was closed. Only loopback is ever contacted. Prints one JSON line:
requests, answers by status, failures (with the first reasons), latencies in ms, and the
flood's connections opened and the longest kept open.

Usage: phone_clients.py PORT [CLIENTS [SECONDS [INTERVAL [PREFIX [FLOOD]]]]]"""
import asyncio
import json
import os
import random
import sys
import time

port = int(sys.argv[1])
clients = int(sys.argv[2]) if len(sys.argv) > 2 else 200
seconds = float(sys.argv[3]) if len(sys.argv) > 3 else 60.0
interval = float(sys.argv[4]) if len(sys.argv) > 4 else 1.0
prefix = sys.argv[5] if len(sys.argv) > 5 else ""
floodsize = int(sys.argv[6]) if len(sys.argv) > 6 else 0

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
    conn, etag, path = None, None, prefix + "/"
    while time.monotonic() < end:
        started = time.monotonic()
        try:
            if conn is None:
                conn = await asyncio.wait_for(asyncio.open_connection(
                    "127.0.0.1", port, local_addr=("127.0.0.%d" % (14 + k % 240), 0)), 5)
            status, etag, close = await asyncio.wait_for(request(conn, path, etag), 5)
            stats["requests"] += 1
            stats["status"][status] = stats["status"].get(status, 0) + 1
            stats["latencies"].append((time.monotonic() - started) * 1000)
            if status not in (200, 304):
                raise RuntimeError("status %d" % status)
            path = prefix + "/board.json"
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


async def idle(k, end, flood):
    while time.monotonic() < end:
        try:
            reader, writer = await asyncio.open_connection("127.0.0.1", port, local_addr=("127.0.0.%d" % (2 + k % 12), 0))
            flood["opened"] += 1
            started = time.monotonic()
            if not await asyncio.wait_for(reader.read(1), max(0.1, end - started)):  # closed, not turned away
                flood["longest_s"] = max(flood["longest_s"], round(time.monotonic() - started, 2))
            writer.close()
        except (asyncio.TimeoutError, OSError):
            pass
        await asyncio.sleep(0.5)


async def main(tasks):
    await asyncio.gather(*tasks)


end = time.monotonic() + seconds
flood = {"opened": 0, "longest_s": 0.0}
if floodsize:
    readfd, writefd = os.pipe()
    if os.fork() == 0:
        asyncio.run(main([idle(k, end, flood) for k in range(floodsize)]))
        os.write(writefd, json.dumps(flood).encode())
        os._exit(0)
    os.close(writefd)
asyncio.run(main([phone(k, end) for k in range(clients)]))
if floodsize:
    with os.fdopen(readfd) as f:
        flood = json.loads(f.read() or '{"opened": -1}')
    os.wait()
lat = sorted(stats["latencies"]) or [0]
print(json.dumps({"clients": clients, "seconds": seconds, "requests": stats["requests"],
                  "status": stats["status"], "failures": stats["failures"], "reasons": stats["reasons"],
                  "latency_ms": {"median": round(lat[len(lat) // 2], 2),
                                 "p99": round(lat[min(len(lat) - 1, len(lat) * 99 // 100)], 2),
                                 "max": round(lat[-1], 2)}, "flood": flood}))

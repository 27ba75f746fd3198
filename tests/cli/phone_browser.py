#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The phone page in a real browser: headless Chromium, driven through its DevTools protocol
(a small WebSocket client of the standard library), opens the page, types a name into the box
and reads the DOM: before the first roll, after a roll made by the given command (the page
must follow by itself), and that a name made of markup stays text.

Usage: phone_browser.py CHROMIUM URL NAME ROLL-COMMAND...   Exits 0 when every check holds."""
import base64
import json
import os
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import time
import unicodedata
import urllib.request

chromium, url, name, roll = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]


def fail(msg):
    print("phone_browser: FAIL: " + msg)
    sys.exit(1)


class WebSocket:
    def __init__(self, wsurl):
        hostport, path = wsurl[len("ws://"):].split("/", 1)
        host, port = hostport.rsplit(":", 1)
        self.s = socket.create_connection((host, int(port)), timeout=30)
        key = base64.b64encode(os.urandom(16)).decode()
        self.s.sendall(("GET /%s HTTP/1.1\r\nHost: %s\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                        "Sec-WebSocket-Key: %s\r\nSec-WebSocket-Version: 13\r\n\r\n" % (path, hostport, key)).encode())
        head = b""
        while b"\r\n\r\n" not in head:
            head += self.s.recv(1)
        if b" 101 " not in head.split(b"\r\n")[0]:
            fail("no WebSocket: %r" % head)

    def exact(self, n):
        data = b""
        while len(data) < n:
            chunk = self.s.recv(n - len(data))
            if not chunk:
                fail("DevTools connection closed")
            data += chunk
        return data

    def send(self, text):
        data, mask = text.encode(), os.urandom(4)
        n = len(data)
        head = bytes([0x81]) + (bytes([0x80 | n]) if n < 126 else bytes([0x80 | 126]) + struct.pack(">H", n)
                                if n < 65536 else bytes([0x80 | 127]) + struct.pack(">Q", n))
        self.s.sendall(head + mask + bytes(b ^ mask[i % 4] for i, b in enumerate(data)))

    def recv(self):
        text = b""
        while True:
            b0, b1 = self.exact(2)
            n = b1 & 0x7F
            if n == 126:
                n = struct.unpack(">H", self.exact(2))[0]
            elif n == 127:
                n = struct.unpack(">Q", self.exact(8))[0]
            payload = self.exact(n)
            if b0 & 0x0F in (0, 1):
                text += payload
                if b0 & 0x80:
                    return text.decode()


class Page:
    def __init__(self, ws):
        self.ws, self.id = ws, 0

    def call(self, method, **params):
        self.id += 1
        self.ws.send(json.dumps({"id": self.id, "method": method, "params": params}))
        while True:
            msg = json.loads(self.ws.recv())
            if msg.get("id") == self.id:
                if "error" in msg:
                    fail("%s: %s" % (method, msg["error"]))
                return msg.get("result", {})

    def js(self, expr):
        r = self.call("Runtime.evaluate", expression=expr, returnByValue=True)
        return r.get("result", {}).get("value")

    def until(self, expr, seconds, what):
        end = time.time() + seconds
        while time.time() < end:
            value = self.js(expr)
            if value:
                return value
            time.sleep(0.2)
        fail("%s within %d s; answer <%s>, heading <%s>" % (what, seconds, self.js(ANSWER), self.js(HEADING)))


ANSWER = "Array.from(document.querySelectorAll('#answer div')).map(d => d.textContent).sort().join('|')"
HEADING = "document.getElementById('tip').textContent"


def words(s):
    s = "".join(c for c in unicodedata.normalize("NFD", s) if not unicodedata.combining(c)).lower()
    out, w = [], ""
    for c in s:
        if c.isalnum() or c in "#'-":
            w += c
        elif w:
            out.append(w)
            w = ""
    return out + ([w] if w else [])


def expected(board, query):
    """The answer lines for a whole-word query of one word, from the board's JSON."""
    def say(e):
        return "Square %d" % e["s"] if e["s"] > 0 else "sitting out" if e["s"] == 0 else "here: no squares yet"
    people = [d for d in board["dancers"] if query.lower() in words(d["n"])]
    return sorted(say(d) + d["n"] for d in people)[:6]


profile = tempfile.mkdtemp(prefix="dorvels-chromium-")
browser = subprocess.Popen(
    [chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
     "--disable-background-networking", "--disable-component-update", "--disable-sync",
     "--user-data-dir=" + profile, "--remote-debugging-port=0", "about:blank"],
    stdout=subprocess.DEVNULL, stderr=open(os.path.join(profile, "stderr.txt"), "w"))
try:
    portfile = os.path.join(profile, "DevToolsActivePort")
    for _ in range(600):
        if os.path.exists(portfile) and open(portfile).read().count("\n") >= 1:
            break
        if browser.poll() is not None:
            fail("chromium ended: " + open(os.path.join(profile, "stderr.txt")).read()[-2000:])
        time.sleep(0.1)
    else:
        fail("chromium did not open its DevTools port")
    port = open(portfile).read().split("\n")[0]
    targets = json.load(urllib.request.urlopen("http://127.0.0.1:%s/json/list" % port, timeout=30))
    page = Page(WebSocket([t for t in targets if t["type"] == "page"][0]["webSocketDebuggerUrl"]))
    page.call("Page.enable")
    page.call("Page.navigate", url=url)
    page.until("document.readyState === 'complete' && document.querySelectorAll('#dancers option').length > 0",
               30, "page with its list of dancers")

    # Typed as a person types: focus the box, insert the text.
    page.js("document.getElementById('name').focus()")
    page.call("Input.insertText", text=name)
    board = json.load(urllib.request.urlopen(url + "board.json", timeout=10))
    want = expected(board, name)
    if board["tip"] != 0 or not want:
        fail("expected the present list with %s on it first: %s" % (name, board))
    page.until("(%s) === %s" % (ANSWER, json.dumps("|".join(want))), 10, "answer " + "|".join(want))

    # The operator rolls; the page follows by itself.
    subprocess.run(roll, check=True)
    page.until(HEADING + " === 'Tip 1'", 10, "Tip 1 on the page")
    board = json.load(urllib.request.urlopen(url + "board.json", timeout=10))
    want = expected(board, name)
    if not want or not all(w.startswith(("Square ", "sitting out")) for w in want):
        fail("after the roll %s is not on the board: %s" % (name, board))
    got = page.until("(%s) === %s && (%s)" % (ANSWER, json.dumps("|".join(want)), ANSWER), 10,
                     "answer " + "|".join(want))
    cells = page.js("document.querySelectorAll('#board li').length")
    if cells != len(board["entries"]):
        fail("%s cells on the page, %d on the board" % (cells, len(board["entries"])))

    # A dancer whose name is markup: text on the page, never an element or a script.
    markup = [d["n"] for d in board["dancers"] if "<" in d["n"]]
    if not markup:
        fail("no dancer whose name is markup on the board")
    page.js("document.getElementById('name').value = ''")
    page.call("Input.insertText", text=markup[0].split()[-1])
    page.until("document.getElementById('answer').textContent.indexOf(%s) >= 0" % json.dumps(markup[0]), 10,
               "the markup name shown as text")
    if page.js("document.querySelectorAll('img').length") != 0:
        fail("a name became markup")
    if page.js("document.title").find("pwned") >= 0:
        fail("a name ran as a script")
    print("phone_browser: %s: %s; %d cells" % (name, got, cells))
finally:
    browser.kill()
    browser.wait()
    shutil.rmtree(profile, ignore_errors=True)

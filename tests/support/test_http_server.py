#!/usr/bin/env python3
"""A small HTTP server for the tests and the main job, bound to 127.0.0.1 only.

GET /files/<name>   serves <data dir>/<name>
GET /page/401|404|500  an Apache-style error page (status 200 unless status= says otherwise)
Query parameters (any path):
  user=U&pass=P     require exactly this Basic authorization, else answer 401 with its page
  status=N          answer with status N
  generate=N        the body is a generated contacts file of N rows instead of a file
  change=1          with generate=N, the next day's list: every 200th row edited, every
                    400th row gone and as many new rows at the end (1 % changed)
  close_after=N     declare the whole Content-Length, send N bytes of the body, then close
  delay_ms=M        pause M milliseconds before each 1 KiB piece of the body
  chunked=1         send the body with Transfer-Encoding: chunked (4 KiB chunks); with
                    close_after=N the connection closes after N bytes, before the last chunk
  redirect=URL      answer with status code= (default 302) and Location: URL
  silent=headers    read the request, then send nothing until the client gives up
  silent=body       send the headers, then nothing until the client gives up
  trickle=headers   send the status line and headers one byte every trickle_ms (default 100)
  trickle=body      send the headers and the first fast= bytes of the body (default 20000)
                    at once, then the rest one byte every trickle_ms; either trickles for
                    trickle_for= seconds at most (default 20), then sends the rest at once
Every request is appended to <data dir>/requests.log: path, TAB, Authorization header.
A second server on another port (its number in <port file>2) serves the same and logs
to <data dir>/second-requests.log: the target of redirects to another origin.
"""
import argparse
import base64
import os
import socket
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

PAGE_401 = (b'<!DOCTYPE HTML PUBLIC "-//IETF//DTD HTML 2.0//EN">\n<html><head>\n'
            b'<title>401 Authorization Required</title>\n</head><body>\n<h1>Authorization Required</h1>\n'
            b'<p>This server could not verify that you are authorized to access the document requested.</p>\n'
            b'</body></html>\n')
PAGE_404 = (b'<!DOCTYPE HTML PUBLIC "-//IETF//DTD HTML 2.0//EN">\n<html><head>\n'
            b'<title>404 Not Found</title>\n</head><body>\n<h1>Not Found</h1>\n'
            b'<p>The requested URL was not found on this server.</p>\n</body></html>\n')
PAGE_500 = (b'<html><head><title>500 Internal Server Error</title></head><body>\n'
            b'<h1>Internal Server Error</h1></body></html>\n')

FIRST = ["Ann", "Bruno", "Carla", "Dmitri", "Elena", "Farid", "Greta", "Hiro", "Ines", "Jonas"]
LAST = ["Lee", "Moreau", "Novak", "Okafor", "Petrov", "Quinn", "Rossi", "Svensson", "Tanaka", "Weber"]
DEPTS = ["Sales", "Finance", "Logistics", "Engineering", "Support"]


def generated_row(i):
    first, last = FIRST[i % 10], LAST[(i // 10) % 10]
    name = f"{first} {last} {i}"
    fields = [""] * 33
    fields[1], fields[2] = first, last
    fields[3] = f"{first.lower()}{i}"
    fields[4] = f"{first.lower()}.{last.lower()}.{i}@example.com"
    fields[6] = name
    fields[9] = "Account Manager"
    fields[11] = f"{first[0]}{last[0]}"
    fields[12] = f"C{i:07d}"
    fields[13] = "Example Trading Ltd"
    fields[14] = DEPTS[i % 5]
    fields[15] = f"+1 555 01{i % 100:02d} {i % 10000:04d}"
    fields[16] = f"+1 555 02{i % 100:02d} {i % 10000:04d}"
    fields[17] = f"+1 555 03{i % 100:02d} {i % 10000:04d}"
    fields[18] = f"+1 555 04{i % 100:02d} {i % 10000:04d}"
    fields[20] = f"{i % 900 + 1} Harbour Road"
    fields[21] = "Springfield"
    fields[22] = "IL"
    fields[23] = f"{i % 100000:05d}"
    fields[25] = f"Building {i % 7 + 1}, Room {i % 300 + 100}"
    fields[32] = f"http://www.example.com/people/{i}"
    return ",".join(f'"{f}"' for f in fields)


def changed_row(i):
    fields = generated_row(i).split(",")
    fields[9] = '"Senior Account Manager"'
    return ",".join(fields)


def generated_csv(rows, changed=False):
    header = ",".join(f'"Column {c}"' for c in range(33))
    if changed:
        kept = [changed_row(i) if i % 200 == 100 else generated_row(i) for i in range(rows) if i % 400 != 0]
        lines = [header] + kept + [generated_row(i) for i in range(rows, rows + (rows + 399) // 400)]
    else:
        lines = [header] + [generated_row(i) for i in range(rows)]
    return ("\r\n".join(lines) + "\r\n").encode("cp1252")


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "TessalyTestServer/1.0"

    def log_message(self, fmt, *args):  # quiet: the log file is what tests read
        pass

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        query = dict(urllib.parse.parse_qsl(url.query, keep_blank_values=True))
        auth = self.headers.get("Authorization", "")
        with self.server.log_lock:
            with open(os.path.join(self.server.data_dir, self.server.log_name), "a", encoding="latin-1") as log:
                log.write(f"{self.path}\t{auth}\n")

        if "redirect" in query:
            return self.send_body(int(query.get("code", "302")), b"moved\n", {"Location": query["redirect"]})
        if query.get("silent") == "headers":
            return self.wait_for_client()

        if "user" in query or "pass" in query:
            expected = "Basic " + base64.b64encode(
                (query.get("user", "") + ":" + query.get("pass", "")).encode("latin-1")).decode("ascii")
            if auth != expected:
                return self.send_body(401, PAGE_401, {"WWW-Authenticate": 'Basic realm="contacts"'})

        status = int(query.get("status", "200"))
        if "generate" in query:
            body = generated_csv(int(query["generate"]), query.get("change") == "1")
        elif url.path.startswith("/page/"):
            body = {"/page/401": PAGE_401, "/page/404": PAGE_404}.get(url.path, PAGE_500)
        elif url.path.startswith("/files/"):
            name = urllib.parse.unquote(url.path[len("/files/"):])
            path = os.path.normpath(os.path.join(self.server.data_dir, name))
            if not path.startswith(os.path.normpath(self.server.data_dir) + os.sep) or not os.path.isfile(path):
                return self.send_body(404, PAGE_404)
            with open(path, "rb") as f:
                body = f.read()
        else:
            return self.send_body(404, PAGE_404)
        close_after = int(query["close_after"]) if "close_after" in query else None
        if query.get("chunked") == "1":
            return self.send_chunked(status, body, close_after)
        if query.get("trickle") in ("headers", "body"):
            return self.send_trickled(status, body, query["trickle"], int(query.get("trickle_ms", "100")),
                                      int(query.get("fast", "20000")), float(query.get("trickle_for", "20")))
        self.send_body(status, body, close_after=close_after, delay_ms=int(query.get("delay_ms", "0")),
                       silent=query.get("silent") == "body")

    def wait_for_client(self):
        """Holds the connection open, sending nothing, until the client closes it."""
        self.close_connection = True
        try:
            while self.connection.recv(4096):
                pass
        except OSError:
            pass

    def send_chunked(self, status, body, close_after):
        self.send_response(status)
        self.send_header("Content-Type", "text/plain; charset=windows-1252")
        self.send_header("Transfer-Encoding", "chunked")
        self.send_header("Connection", "close")
        self.end_headers()
        data = body if close_after is None else body[:close_after]
        try:
            for at in range(0, len(data), 4096):
                piece = data[at:at + 4096]
                self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece))
            if close_after is None:
                self.wfile.write(b"0\r\n\r\n")
            self.wfile.flush()
        except (BrokenPipeError, ConnectionResetError):
            pass
        self.close_connection = True
        if close_after is not None:
            self.connection.shutdown(socket.SHUT_RDWR)

    def send_trickled(self, status, body, mode, interval_ms, fast, limit):
        """A server that answers, but too slowly to ever finish: bounded by `limit` seconds."""
        head = (f"HTTP/1.1 {status} OK\r\nContent-Type: text/plain; charset=windows-1252\r\n"
                f"Content-Length: {len(body)}\r\nConnection: close\r\n\r\n").encode("ascii")
        data = head + body
        at = 0 if mode == "headers" else min(len(head) + fast, len(data))
        self.close_connection = True
        until = time.monotonic() + limit
        try:
            self.wfile.write(data[:at])
            while at < len(data) and time.monotonic() < until:
                time.sleep(interval_ms / 1000.0)
                self.wfile.write(data[at:at + 1])
                at += 1
            self.wfile.write(data[at:])
            self.wfile.flush()
        except (BrokenPipeError, ConnectionResetError):
            pass

    def send_body(self, status, body, headers=None, close_after=None, delay_ms=0, silent=False):
        self.send_response(status)
        self.send_header("Content-Type", "text/plain; charset=windows-1252")
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Connection", "close")
        for key, value in (headers or {}).items():
            self.send_header(key, value)
        self.end_headers()
        if silent:
            self.wfile.flush()
            return self.wait_for_client()
        data = body if close_after is None else body[:close_after]
        try:
            for at in range(0, len(data), 1024 if delay_ms else 1 << 20):
                if delay_ms:
                    time.sleep(delay_ms / 1000.0)
                self.wfile.write(data[at:at + (1024 if delay_ms else 1 << 20)])
            self.wfile.flush()
        except (BrokenPipeError, ConnectionResetError):
            pass
        self.close_connection = True
        if close_after is not None:
            self.connection.shutdown(socket.SHUT_RDWR)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--data-dir", required=True)
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--max-lifetime", type=float, default=3600.0,
                        help="stop by itself after this many seconds, whatever happens to its starter")
    args = parser.parse_args()
    os.makedirs(args.data_dir, exist_ok=True)
    log_lock = threading.Lock()
    servers = []
    for log_name in ("requests.log", "second-requests.log"):
        server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        server.daemon_threads = True
        server.data_dir = os.path.abspath(args.data_dir)
        server.log_lock = log_lock
        server.log_name = log_name
        servers.append(server)
    threading.Timer(args.max_lifetime, lambda: [s.shutdown() for s in servers]).start()
    threading.Thread(target=servers[1].serve_forever, daemon=True).start()
    # The second port first: the main port file tells waiters that both are up.
    for server, name in ((servers[1], args.port_file + "2"), (servers[0], args.port_file)):
        tmp = name + ".tmp"
        with open(tmp, "w") as f:
            f.write(str(server.server_address[1]))
        os.replace(tmp, name)
    servers[0].serve_forever()
    os._exit(0)


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""A small HTTP server for the tests and the main job, bound to 127.0.0.1 only.

GET /files/<name>   serves <data dir>/<name>
GET /page/401|404|500  an Apache-style error page (status 200 unless status= says otherwise)
Query parameters (any path):
  user=U&pass=P     require exactly this Basic authorization, else answer 401 with its page
  status=N          answer with status N
  generate=N        the body is a generated contacts file of N rows instead of a file
  close_after=N     declare the whole Content-Length, send N bytes of the body, then close
  delay_ms=M        pause M milliseconds before each 1 KiB piece of the body
Every request is appended to <data dir>/requests.log: path, TAB, Authorization header.
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


def generated_csv(rows):
    header = ",".join(f'"Column {c}"' for c in range(33))
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
            with open(os.path.join(self.server.data_dir, "requests.log"), "a", encoding="latin-1") as log:
                log.write(f"{self.path}\t{auth}\n")

        if "user" in query or "pass" in query:
            expected = "Basic " + base64.b64encode(
                (query.get("user", "") + ":" + query.get("pass", "")).encode("latin-1")).decode("ascii")
            if auth != expected:
                return self.send_body(401, PAGE_401, {"WWW-Authenticate": 'Basic realm="contacts"'})

        status = int(query.get("status", "200"))
        if "generate" in query:
            body = generated_csv(int(query["generate"]))
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
        self.send_body(status, body, close_after=int(query["close_after"]) if "close_after" in query else None,
                       delay_ms=int(query.get("delay_ms", "0")))

    def send_body(self, status, body, headers=None, close_after=None, delay_ms=0):
        self.send_response(status)
        self.send_header("Content-Type", "text/plain; charset=windows-1252")
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Connection", "close")
        for key, value in (headers or {}).items():
            self.send_header(key, value)
        self.end_headers()
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
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    server.data_dir = os.path.abspath(args.data_dir)
    server.log_lock = threading.Lock()
    threading.Timer(args.max_lifetime, server.shutdown).start()
    tmp = args.port_file + ".tmp"
    with open(tmp, "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(tmp, args.port_file)
    server.serve_forever()
    os._exit(0)


if __name__ == "__main__":
    sys.exit(main())

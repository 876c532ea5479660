#!/usr/bin/python3
"""Passes HTTP requests on to a CalDAV server and injects faults into them.

Usage: sync_fault_proxy.py LISTEN_PORT SERVER_PORT CONTROL_FILE
The control file holds lines "METHOD FAULT COUNT" (METHOD or ANY); the next COUNT matching requests get
FAULT: an HTTP status (500, 412, ...) instead of the server's answer, "drop" (passed on, then the
connection is closed without an answer) or "stall" (passed on, then no answer for a minute).
"""
import http.client
import http.server
import sys
import threading
import time

listen_port, server_port, control = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
lock = threading.Lock()


def take_fault(method):
    with lock:
        try:
            lines = [l.split() for l in open(control) if l.strip()]
        except FileNotFoundError:
            return None
        for rule in lines:
            if rule[0] in (method, "ANY") and int(rule[2]) > 0:
                rule[2] = str(int(rule[2]) - 1)
                open(control, "w").write("".join(" ".join(r) + "\n" for r in lines))
                return rule[1]
    return None


class Proxy(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def handle_any(self):
        body = self.rfile.read(int(self.headers.get("Content-Length") or 0))
        fault = take_fault(self.command)
        if fault and fault.isdigit():
            self.send_response(int(fault))
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        server = http.client.HTTPConnection("127.0.0.1", server_port, timeout=60)
        server.request(self.command, self.path, body, dict(self.headers))
        answer = server.getresponse()
        data = answer.read()
        if fault == "drop":
            self.close_connection = True
            return
        if fault == "stall":
            time.sleep(60)
            return
        self.send_response(answer.status)
        for name, value in answer.getheaders():
            if name.lower() not in ("transfer-encoding", "connection", "content-length"):
                self.send_header(name, value)
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def __getattr__(self, name):
        if name.startswith("do_"):
            return self.handle_any
        raise AttributeError(name)


http.server.ThreadingHTTPServer.daemon_threads = True
http.server.ThreadingHTTPServer(("127.0.0.1", listen_port), Proxy).serve_forever()

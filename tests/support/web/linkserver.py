"""A web server on loopback for the external link check's tests.

Prints its port, then one line per request ("HEAD /ok"). Each path answers as its name says.
"""
import http.server
import sys
import threading
import time

ANSWERS = {
    "/ok": (200, None),
    "/missing": (404, None),
    "/gone": (410, None),
    "/broken": (500, None),
    "/moved": (301, "/ok"),
    "/loop": (302, "/loop"),
    "/away": (302, "http://10.1.2.3/elsewhere"),
}


# Requests are answered on threads of their own; print() writes a line in pieces, which two
# threads would interleave.
PRINTING = threading.Lock()


class Handler(http.server.BaseHTTPRequestHandler):
    def answer(self, head_only):
        with PRINTING:
            sys.stdout.write("%s %s\n" % (self.command, self.path))
            sys.stdout.flush()
        path = self.path.split("?")[0]
        if path == "/nohead" and head_only:
            status, location = 405, None
        elif path == "/nohead":
            status, location = 200, None
        elif path == "/slow":
            time.sleep(3)
            status, location = 200, None
        else:
            status, location = ANSWERS.get(path, (404, None))
        self.send_response(status)
        if location:
            self.send_header("Location", location)
        self.send_header("Content-Length", "0")
        self.end_headers()

    def do_HEAD(self):
        self.answer(True)

    def do_GET(self):
        self.answer(False)

    def log_message(self, *args):
        pass


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.daemon_threads = True
print(server.server_address[1], flush=True)
server.serve_forever()

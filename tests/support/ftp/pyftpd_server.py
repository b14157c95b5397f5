"""Serves one folder over FTP on a free loopback port for the client tests and the benchmark.

Usage: pyftpd_server.py ROOT USER PASSWORD [COMMAND_LOG]
With COMMAND_LOG, the verb of every command received is appended to that file, one a line.
With QZWEB_FTP_UPLOAD_RATE set (bytes per second), uploads are taken no faster, as over a slow link.
Prints "PORT <number>" on standard output once it listens, then serves until killed.
"""
import logging
import os
import socket
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer


class SlowLinkDTPHandler(ThrottledDTPHandler):
    """Takes uploads at read_limit and keeps little of them in its system's buffers, as a
    server at the far end of a slow link has little of a file before it has it."""

    def __init__(self, sock, cmd_channel):
        sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 32 * 1024)
        super().__init__(sock, cmd_channel)


class LoggingHandler(FTPHandler):
    command_log = None

    def pre_process_command(self, line, cmd, arg):
        if self.command_log is not None:
            self.command_log.write(cmd + "\n")
            self.command_log.flush()
        super().pre_process_command(line, cmd, arg)


def main():
    root, user, password = sys.argv[1:4]
    logging.basicConfig(level=logging.ERROR)
    authorizer = DummyAuthorizer()
    authorizer.add_user(user, password, root, perm="elradfmwMT")
    handler = FTPHandler
    if len(sys.argv) > 4:
        handler = LoggingHandler
        handler.command_log = open(sys.argv[4], "a", encoding="ascii", errors="replace")
    handler.authorizer = authorizer
    upload_rate = int(os.environ.get("QZWEB_FTP_UPLOAD_RATE", "0"))
    if upload_rate > 0:
        SlowLinkDTPHandler.read_limit = upload_rate
        handler.dtp_handler = SlowLinkDTPHandler
    server = FTPServer(("127.0.0.1", 0), handler)
    print("PORT %d" % server.socket.getsockname()[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()

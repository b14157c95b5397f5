"""Serves one folder over FTP on a free loopback port for the client tests and the benchmark.

Usage: pyftpd_server.py ROOT USER PASSWORD [COMMAND_LOG]
With COMMAND_LOG, the verb of every command received is appended to that file, one a line.
Prints "PORT <number>" on standard output once it listens, then serves until killed.
"""
import logging
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


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
    server = FTPServer(("127.0.0.1", 0), handler)
    print("PORT %d" % server.socket.getsockname()[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""An FTP server for one test: it speaks TLS on the control connection
(AUTH TLS, PBSZ, PROT P) but then sends the data of LIST and RETR in the
clear, which a client that asked for PROT P must refuse.

Usage: ftps_plain_data_server.py PORT CERT KEY
Serves one session after another on 127.0.0.1:PORT until it is killed."""

import socket
import ssl
import sys


def serve(control, context):
    raw = control
    out = lambda text: control.sendall((text + "\r\n").encode())
    out("220 Ready")
    reader = raw.makefile("rb")
    data_listener = None
    while True:
        line = reader.readline()
        if not line:
            return
        verb, _, arg = line.decode(errors="replace").strip().partition(" ")
        verb = verb.upper()
        if verb == "AUTH":
            out("234 Go ahead")
            control = context.wrap_socket(raw, server_side=True)
            reader = control.makefile("rb")
        elif verb in ("PBSZ", "PROT", "TYPE"):
            out("200 OK")
        elif verb == "USER":
            out("331 Password please")
        elif verb == "PASS":
            out("230 Welcome")
        elif verb == "PWD":
            out('257 "/"')
        elif verb == "PASV":
            data_listener = socket.socket()
            data_listener.bind(("127.0.0.1", 0))
            data_listener.listen(1)
            port = data_listener.getsockname()[1]
            out("227 Entering Passive Mode (127,0,0,1,%d,%d)" % (port // 256, port % 256))
        elif verb in ("LIST", "RETR", "NLST"):
            out("150 Here it comes")
            data, _ = data_listener.accept()
            data.sendall(b"-rw-r--r-- 1 a a 5 Jan 01 00:00 sent-in-the-clear.htm\r\n")
            data.close()
            data_listener.close()
            out("226 Done")
        elif verb == "QUIT":
            out("221 Bye")
            return
        else:
            out("502 Not here")


def main():
    port, cert, key = int(sys.argv[1]), sys.argv[2], sys.argv[3]
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    listener = socket.socket()
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", port))
    listener.listen(5)
    while True:
        control, _ = listener.accept()
        try:
            serve(control, context)
        except (OSError, ssl.SSLError):
            pass
        finally:
            control.close()


if __name__ == "__main__":
    main()

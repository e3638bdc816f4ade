"""A throwaway RFC 3161 time-stamping service on 127.0.0.1 for the release check.

Each POSTed time-stamp query is answered by `openssl ts -reply` with the given
configuration, key and certificate. The service listens on a port of the
system's choosing, writes that port to PORT_FILE once it listens, and stops by
itself after LIFETIME seconds even if nobody stops it.

usage: tsa_server.py CONFIG KEY CERT PORT_FILE LIFETIME
"""

import http.server
import os
import subprocess
import sys
import tempfile
import threading


def main(config, key, cert, port_file, lifetime):
    class Handler(http.server.BaseHTTPRequestHandler):
        def do_POST(self):
            query = self.rfile.read(int(self.headers.get("Content-Length", 0)))
            with tempfile.TemporaryDirectory() as work:
                query_file = os.path.join(work, "query.tsq")
                reply_file = os.path.join(work, "reply.tsr")
                with open(query_file, "wb") as f:
                    f.write(query)
                made = subprocess.run(
                    ["openssl", "ts", "-reply", "-config", config, "-queryfile", query_file]
                    + ["-inkey", key, "-signer", cert, "-out", reply_file],
                    capture_output=True,
                    timeout=30,
                )
                if made.returncode != 0:
                    sys.stderr.write(made.stderr.decode(errors="replace"))
                    self.send_error(500, "no time-stamp reply")
                    return
                with open(reply_file, "rb") as f:
                    reply = f.read()
            self.send_response(200)
            self.send_header("Content-Type", "application/timestamp-reply")
            self.send_header("Content-Length", str(len(reply)))
            self.end_headers()
            self.wfile.write(reply)

        def log_message(self, format, *args):
            pass

    server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
    threading.Timer(lifetime, server.shutdown).start()
    # Written whole under another name first, so that a reader never sees half a port.
    with open(port_file + ".part", "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(port_file + ".part", port_file)
    server.serve_forever()


if __name__ == "__main__":
    main(*sys.argv[1:5], float(sys.argv[5]))

#!/usr/bin/env python3
"""A small HTTP/1.0 server on 127.0.0.1 for trying Leafcatch.

    server.py [--root DIR] [--port N] [--port-file FILE]

Serves the files of DIR (this folder by default) on 127.0.0.1, HTML pages as
"text/html; charset=Shift_JIS", and closes the connection after each response,
as an HTTP/1.0 server does. Port 0 (the default) takes a free port. Once it
listens, the port number is written to FILE (when given) and printed on
standard output.

One more address for demonstrations: GET /_slow-next?seconds=N makes the server
wait N seconds (default 3) before it answers the next request for a file, so
Leafcatch's progress notice stays on screen for a while.

Each request is logged on standard error. It ends on SIGTERM or Ctrl-C.
"""

import argparse
import http.server
import os
import signal
import sys
import threading
import time
import urllib.parse

HERE = os.path.dirname(os.path.abspath(__file__))


class Handler(http.server.SimpleHTTPRequestHandler):
    protocol_version = "HTTP/1.0"
    server_version = "LeafcatchDemo/1.0"
    extensions_map = {
        **http.server.SimpleHTTPRequestHandler.extensions_map,
        ".html": "text/html; charset=Shift_JIS",
        ".htm": "text/html; charset=Shift_JIS",
    }

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        if url.path == "/_slow-next":
            query = urllib.parse.parse_qs(url.query)
            seconds = float(query.get("seconds", ["3"])[0])
            with self.server.lock:
                self.server.next_delay = seconds
            self.send_text(200, "the next request waits %g s\n" % seconds)
            return
        with self.server.lock:
            delay, self.server.next_delay = self.server.next_delay, 0.0
        if delay > 0:
            self.log_message("waiting %g s before answering", delay)
            time.sleep(delay)
        super().do_GET()

    def send_text(self, status, text):
        body = text.encode("ascii")
        self.send_response(status)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", default=HERE, help="folder to serve (default: this folder)")
    parser.add_argument("--port", type=int, default=0, help="port (default: a free one)")
    parser.add_argument("--port-file", help="write the port number here once listening")
    args = parser.parse_args()

    root = os.path.abspath(args.root)

    class Server(http.server.ThreadingHTTPServer):
        daemon_threads = True

        def finish_request(self, request, client_address):
            self.RequestHandlerClass(request, client_address, self, directory=root)

    server = Server(("127.0.0.1", args.port), Handler)
    server.lock = threading.Lock()
    server.next_delay = 0.0
    port = server.server_address[1]

    if args.port_file:
        tmp = args.port_file + ".tmp"
        with open(tmp, "w") as f:
            f.write("%d\n" % port)
        os.replace(tmp, args.port_file)
    print("serving %s on http://127.0.0.1:%d/" % (root, port), flush=True)

    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        server.server_close()


if __name__ == "__main__":
    main()

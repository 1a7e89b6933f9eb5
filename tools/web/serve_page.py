#!/usr/bin/env python3
"""Serves the web page's folder on the machine's own loopback address.

    tools/web/serve_page.py DIR [--port N]

Prints the page's address and serves until interrupted. Port 0 (the default)
lets the system choose a free one. The tests use PageServer directly."""

import argparse
import functools
import http.server
import threading


class _Handler(http.server.SimpleHTTPRequestHandler):
    # Browsers compile WebAssembly as it streams in only with its own type.
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".wasm": "application/wasm", ".js": "text/javascript"}

    def log_message(self, *args):
        pass


class PageServer:
    """An HTTP server for `directory` on 127.0.0.1, in a thread of its own
    while the `with` block runs."""

    def __init__(self, directory, port=0):
        handler = functools.partial(_Handler, directory=str(directory))
        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", port), handler)
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)

    @property
    def address(self):
        return f"http://127.0.0.1:{self.httpd.server_address[1]}/"

    def __enter__(self):
        self.thread.start()
        return self

    def __exit__(self, *exc):
        self.httpd.shutdown()
        self.httpd.server_close()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("directory")
    parser.add_argument("--port", type=int, default=0)
    args = parser.parse_args()
    with PageServer(args.directory, args.port) as server:
        print(f"Plumo is at {server.address}plumo.html (Ctrl+C stops the server)", flush=True)
        try:
            server.thread.join()
        except KeyboardInterrupt:
            pass


if __name__ == "__main__":
    main()

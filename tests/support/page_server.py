# Python's own HTTP server on 127.0.0.1 at a free port, serving the folder given (HTTP/1.0, "/" is
# its index.html). Prints the port once it listens; runs until it is killed.
import http.server
import os
import sys

os.chdir(sys.argv[1])


class Handler(http.server.SimpleHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *args):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
print(server.server_address[1], flush=True)
server.serve_forever()

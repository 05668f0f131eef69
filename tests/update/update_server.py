#!/usr/bin/env python3
"""A scripted update server for the tests, on 127.0.0.1 only.

usage: update_server.py <folder> <role>

Listens on a free port and writes it to <folder>/<role>.port. On every request it reads <folder>/case.json,
rewritten by the tests for each case, {"<role>": {"<path>": route, ...}, ...}, and appends a line per request
and per ended stream to <folder>/<role>.log. A route:
  "status"   HTTP status, default 200
  "body"     {"text": "..."} (with @PRIMARY@, @SECONDARY@ and @SHA256:<file>@ replaced), {"file": "<name in
             folder>"}, {"fill": "a", "size": n}; "pad": n makes a text body n bytes long
  "headers"  more response headers, {"Location": "@SECONDARY@/x"} for instance
  "length"   true (default): Content-Length is the body's size; false: none; a number: that number
  "cut"      send only this many body bytes, then reset the connection
  "drip"     [bytes, seconds]: send the body in pieces with pauses
  "stream"   n: send n bytes of "a", 64 KiB every 10 ms, without Content-Length
  "sig"      how <path>.sig answers: "good" (default, signed with good.pem), "other" (other.pem), "short"
             (one byte too few), "none" (404)
  "tamper"   true: the signature is over the body, the body served has its last byte changed
Paths without a route answer 404.
"""

import hashlib
import http.server
import json
import os
import socket
import struct
import subprocess
import sys
import threading
import time

FOLDER, ROLE = sys.argv[1], sys.argv[2]
LOG_LOCK = threading.Lock()


def log(line):
    with LOG_LOCK, open(os.path.join(FOLDER, ROLE + '.log'), 'a') as f:
        f.write(line + '\n')


def base_url(role):
    try:
        with open(os.path.join(FOLDER, role + '.port')) as f:
            return 'http://127.0.0.1:' + f.read().strip()
    except OSError:
        return 'http://127.0.0.1:1'


def sha256_of(name):
    with open(os.path.join(FOLDER, name), 'rb') as f:
        return hashlib.sha256(f.read()).hexdigest()


def substitute(text):
    return text.replace('@PRIMARY@', base_url('primary')).replace('@SECONDARY@', base_url('secondary'))


def body_of(route):
    body = route.get('body', {'text': ''})
    if 'file' in body:
        with open(os.path.join(FOLDER, body['file']), 'rb') as f:
            return f.read()
    if 'fill' in body:
        return (body['fill'].encode() * body['size'])[:body['size']]
    text = substitute(body['text'])
    while '@SHA256:' in text:
        start = text.index('@SHA256:')
        end = text.index('@', start + 1)
        text = text[:start] + sha256_of(text[start + 8:end]) + text[end + 1:]
    data = text.encode()
    if 'pad' in route:
        data = data.ljust(route['pad'], b' ')
    return data


def sign(data, key):
    return subprocess.run(['openssl', 'dgst', '-sha256', '-sign', os.path.join(FOLDER, key)], input=data,
                          stdout=subprocess.PIPE, check=True).stdout


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = 'HTTP/1.0'

    def log_message(self, *args):
        pass

    def routes(self):
        with open(os.path.join(FOLDER, 'case.json')) as f:
            return json.load(f).get(ROLE, {})

    def do_GET(self):
        log('GET %s %s' % (self.path, self.headers.get('User-Agent', '-')))
        routes = self.routes()
        if self.path in routes:
            return self.answer(routes[self.path])
        if self.path.endswith('.sig') and self.path[:-4] in routes:
            return self.signature(routes[self.path[:-4]])
        self.reply(404, b'<html><body>Not Found</body></html>')

    def signature(self, route):
        mode = route.get('sig', 'good')
        if mode == 'none':
            return self.reply(404, b'no signature')
        sig = sign(body_of(route), 'other.pem' if mode == 'other' else 'good.pem')
        self.reply(200, sig[:-1] if mode == 'short' else sig)

    def reply(self, status, data, length=True, headers=None):
        self.send_response(status)
        self.send_header('Content-Type', 'application/octet-stream')
        for name, value in (headers or {}).items():
            self.send_header(name, substitute(value))
        if length is True:
            self.send_header('Content-Length', str(len(data)))
        elif length is not False:
            self.send_header('Content-Length', str(length))
        self.end_headers()
        self.wfile.write(data)

    def answer(self, route):
        if 'stream' in route:
            return self.stream(route['stream'])
        data = body_of(route)
        if route.get('tamper'):
            data = data[:-1] + bytes([data[-1] ^ 0xFF])
        status, length = route.get('status', 200), route.get('length', True)
        if 'cut' in route or 'drip' in route:
            return self.pieces(route, status, data, length)
        self.reply(status, data, length, route.get('headers'))

    def pieces(self, route, status, data, length):
        self.send_response(status)
        if length is not False:
            self.send_header('Content-Length', str(len(data) if length is True else length))
        self.end_headers()
        cut = route.get('cut', len(data))
        piece, pause = route.get('drip', [cut, 0])
        sent = 0
        try:
            while sent < cut:
                n = min(piece, cut - sent)
                self.wfile.write(data[sent:sent + n])
                self.wfile.flush()
                sent += n
                if pause and sent < cut:
                    time.sleep(pause)
        except OSError as e:
            log('ended %s after %d bytes: %s' % (self.path, sent, type(e).__name__))
            return
        if cut < len(data):
            time.sleep(0.2)  # a connection that drops: the data stops, then the reset
            self.reset()
        log('ended %s after %d bytes: %s' % (self.path, sent, 'cut' if cut < len(data) else 'done'))

    def stream(self, total):
        self.send_response(200)
        self.end_headers()
        chunk, sent = b'a' * 65536, 0
        try:
            while sent < total:
                self.wfile.write(chunk)
                self.wfile.flush()
                sent += len(chunk)
                time.sleep(0.01)
        except OSError as e:
            log('ended %s after %d bytes: %s' % (self.path, sent, type(e).__name__))
            return
        log('ended %s after %d bytes: done' % (self.path, sent))

    def reset(self):
        # An abortive close: the client sees a broken connection, not the end of the body.
        self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack('ii', 1, 0))
        self.close_connection = True
        self.connection.close()

    def finish(self):
        try:
            super().finish()
        except OSError:
            pass


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def handle_error(self, request, client_address):
        pass


def main():
    server = Server(('127.0.0.1', 0), Handler)
    port_file = os.path.join(FOLDER, ROLE + '.port')
    with open(port_file + '.tmp', 'w') as f:
        f.write(str(server.server_address[1]))
    os.replace(port_file + '.tmp', port_file)
    server.serve_forever()


if __name__ == '__main__':
    main()

"""Headless Chromium driven over the DevTools protocol (python3-websocket), and a static http
server for the page: what the browser tests, tools/run --web and the web bench share. Software WebGL comes from
ANGLE on SwiftShader; the machine has no network, so Chromium's own requests are turned off.
"""
import base64
import functools
import http.server
import json
import os
import shutil
import socket
import subprocess
import tempfile
import threading
import time
import urllib.request

import websocket

CHROMIUM_FLAGS = [
    "--headless=new", "--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
    "--ignore-gpu-blocklist", "--window-size=1024,768", "--disable-background-networking",
    "--disable-component-update", "--disable-sync", "--no-first-run", "--disable-quic",
    "--autoplay-policy=no-user-gesture-required", "--remote-allow-origins=*",
]


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = dict(http.server.SimpleHTTPRequestHandler.extensions_map,
                          **{".wasm": "application/wasm", ".js": "text/javascript",
                             ".webmanifest": "application/manifest+json"})

    def log_message(self, *args):
        pass


class PageServer:
    """Serves a folder on 127.0.0.1 from a thread; .url(path) gives a page's address."""

    def __init__(self, folder):
        handler = functools.partial(QuietHandler, directory=str(folder))
        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        self.origin = "http://127.0.0.1:%d" % self.httpd.server_address[1]
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()

    def url(self, path="index.html"):
        return "%s/%s" % (self.origin, path)

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()


class Browser:
    """One headless Chromium with one page target, spoken to over its DevTools socket."""

    def __init__(self, extra_flags=()):
        self.profile = tempfile.mkdtemp(prefix="pomarel-chromium-")
        port = free_port()
        self.proc = subprocess.Popen(
            ["chromium", *CHROMIUM_FLAGS, *extra_flags, "--remote-debugging-port=%d" % port,
             "--user-data-dir=" + self.profile, "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
        page = None
        for _ in range(150):
            try:
                with urllib.request.urlopen("http://127.0.0.1:%d/json" % port, timeout=2) as r:
                    page = next((t for t in json.load(r) if t["type"] == "page"), None)
                if page:
                    break
            except OSError:
                pass
            time.sleep(0.1)
        if not page:
            self.close()
            raise RuntimeError("Chromium did not offer a page to drive")
        self.ws = websocket.create_connection(page["webSocketDebuggerUrl"], timeout=30)
        self.next_id = 0
        self.events = []
        self.call("Page.enable")
        self.call("Network.enable")
        self.call("Runtime.enable")
        self.call("Log.enable")
        self.size(1024, 768)

    def call(self, method, session=None, **params):
        """A protocol command; `session` (from Target.attachToTarget, flatten) sends it to that target."""
        self.next_id += 1
        ident = self.next_id
        message = {"id": ident, "method": method, "params": params}
        if session:
            message["sessionId"] = session
        self.ws.send(json.dumps(message))
        while True:
            message = json.loads(self.ws.recv())
            if message.get("id") == ident:
                if "error" in message:
                    raise RuntimeError("%s: %s" % (method, message["error"]))
                return message.get("result", {})
            self.events.append(message)

    def size(self, width, height):
        self.call("Emulation.setDeviceMetricsOverride", width=width, height=height,
                  deviceScaleFactor=1, mobile=False)

    def js(self, expression):
        """The value of a JavaScript expression (promises awaited)."""
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True,
                           awaitPromise=True)
        if "exceptionDetails" in result:
            raise RuntimeError("%s: %s" % (expression, result["exceptionDetails"]))
        return result["result"].get("value")

    def wait_for(self, expression, timeout=20):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            value = self.js(expression)
            if value:
                return value
            time.sleep(0.05)
        return self.js(expression)

    def open(self, url, before_load=None):
        """Loads a page; `before_load` is script run in it before its own."""
        self.events.clear()
        script = None
        if before_load:
            script = self.call("Page.addScriptToEvaluateOnNewDocument", source=before_load)["identifier"]
        self.call("Page.navigate", url=url)
        self.wait_for("location.href === %s && document.readyState === 'complete'" % json.dumps(url))
        if script:  # for this page only
            self.call("Page.removeScriptToEvaluateOnNewDocument", identifier=script)

    def key(self, key, code, text=""):
        for kind in ("keyDown", "keyUp"):
            self.call("Input.dispatchKeyEvent", type=kind, key=key, code=code, text=text if kind == "keyDown" else "",
                      windowsVirtualKeyCode=ord(key.upper()) if len(key) == 1 else {"Tab": 9, "Enter": 13}.get(key, 27))

    def screenshot(self):
        """The page as PNG bytes."""
        return base64.b64decode(self.call("Page.captureScreenshot", format="png",
                                          optimizeForSpeed=True)["data"])

    def console_faults(self):
        """What the browser itself logged as a warning or error (not the page's console calls)."""
        return [e["params"]["entry"]["text"] for e in self.events
                if e.get("method") == "Log.entryAdded" and e["params"]["entry"]["level"] in ("warning", "error")]

    def requests(self):
        return [e["params"]["request"]["url"] for e in self.events
                if e.get("method") == "Network.requestWillBeSent"]

    def close(self):
        try:
            self.ws.close()
        except Exception:
            pass
        if self.proc.poll() is None:
            os.killpg(self.proc.pid, 15)
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                os.killpg(self.proc.pid, 9)
                self.proc.wait()
        shutil.rmtree(self.profile, ignore_errors=True)

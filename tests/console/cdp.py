"""Debian's Chromium, headless, driven through its DevTools protocol over a
pipe (--remote-debugging-pipe: the browser reads commands on descriptor 3
and writes answers and events on descriptor 4, each message ending in a
NUL byte). No driver to install, no port to find."""
import base64
import json
import os
import queue
import shutil
import subprocess
import tempfile
import threading
import time

COMMAND_BOUND = 60  # seconds for one protocol command under a loaded machine

KEYS = {
    "Enter": {"key": "Enter", "code": "Enter", "windowsVirtualKeyCode": 13, "text": "\r"},
    "Tab": {"key": "Tab", "code": "Tab", "windowsVirtualKeyCode": 9},
    "Escape": {"key": "Escape", "code": "Escape", "windowsVirtualKeyCode": 27},
    " ": {"key": " ", "code": "Space", "windowsVirtualKeyCode": 32, "text": " "},
}


def find_chromium():
    for name in ("chromium", "chromium-browser"):
        path = shutil.which(name)
        if path:
            return path
    return None


class BrowserError(AssertionError):
    pass


class Browser:
    """One headless Chromium with one page."""

    def __init__(self, executable, width=1024, height=768):
        self.profile = tempfile.mkdtemp(prefix="qdm-chromium-")
        to_browser_r, to_browser_w = os.pipe()
        from_browser_r, from_browser_w = os.pipe()

        def descriptors():
            # The pipe ends may themselves be 3 or 4: copy both away first.
            reading, writing = os.dup(to_browser_r), os.dup(from_browser_w)
            os.dup2(reading, 3)
            os.dup2(writing, 4)

        args = [executable, "--headless=new", "--remote-debugging-pipe", "--user-data-dir=" + self.profile,
                "--no-first-run", "--no-default-browser-check", "--disable-gpu", "--disable-dev-shm-usage",
                "--disable-extensions", "--disable-background-networking", "--disable-sync",
                "--disable-component-update", "--mute-audio", "--hide-scrollbars",
                "--window-size=%d,%d" % (width, height), "about:blank"]
        if os.geteuid() == 0:
            # Chromium refuses to run its sandbox as root (CI and this
            # workplace run as root); the page it loads is the service's own.
            args.insert(1, "--no-sandbox")
        self.log = open(os.path.join(self.profile, "chromium.err"), "wb")
        self.proc = subprocess.Popen(args, stdin=subprocess.DEVNULL, stdout=self.log, stderr=self.log,
                                     pass_fds=(3, 4), preexec_fn=descriptors, start_new_session=True)
        os.close(to_browser_r)
        os.close(from_browser_w)
        self.out = to_browser_w
        self.inp = from_browser_r
        self.next_id = 0
        self.answers = {}
        self.answered = threading.Condition()
        self.events = queue.Queue()
        self.console = []
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()
        target = self.send("Target.createTarget", {"url": "about:blank"})["targetId"]
        self.session = self.send("Target.attachToTarget", {"targetId": target, "flatten": True})["sessionId"]
        for domain in ("Page.enable", "Runtime.enable"):
            self.send(domain, session=True)
        self.viewport(width, height)

    def _read(self):
        pending = b""
        while True:
            try:
                chunk = os.read(self.inp, 1 << 16)
            except OSError:
                chunk = b""
            if not chunk:
                with self.answered:
                    self.answers["closed"] = True
                    self.answered.notify_all()
                return
            pending += chunk
            while b"\0" in pending:
                raw, pending = pending.split(b"\0", 1)
                message = json.loads(raw)
                if "id" in message:
                    with self.answered:
                        self.answers[message["id"]] = message
                        self.answered.notify_all()
                elif message.get("method") == "Runtime.consoleAPICalled":
                    args = message["params"].get("args", [])
                    self.console.append(" ".join(str(a.get("value", a.get("description", ""))) for a in args))
                elif message.get("method") == "Runtime.exceptionThrown":
                    self.console.append("exception: " + json.dumps(message["params"].get("exceptionDetails", {}))[:500])
                else:
                    self.events.put(message)

    def send(self, method, params=None, session=False):
        self.next_id += 1
        number = self.next_id
        message = {"id": number, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = self.session
        os.write(self.out, json.dumps(message).encode() + b"\0")
        end = time.monotonic() + COMMAND_BOUND
        with self.answered:
            while number not in self.answers:
                if self.answers.get("closed"):
                    raise BrowserError("Chromium ended: " + self.errors())
                left = end - time.monotonic()
                if left <= 0:
                    raise BrowserError("Chromium did not answer %s in %d s" % (method, COMMAND_BOUND))
                self.answered.wait(left)
            answer = self.answers.pop(number)
        if "error" in answer:
            raise BrowserError("%s: %s" % (method, answer["error"]))
        return answer.get("result", {})

    def errors(self):
        self.log.flush()
        with open(os.path.join(self.profile, "chromium.err"), encoding="utf-8", errors="replace") as f:
            return f.read()[-3000:]

    # ---- The page ----

    def viewport(self, width, height, mobile=False):
        self.send("Emulation.setDeviceMetricsOverride",
                  {"width": width, "height": height, "deviceScaleFactor": 1, "mobile": mobile}, session=True)

    def go(self, url):
        self.send("Page.navigate", {"url": url}, session=True)
        self.wait("document.readyState === 'complete' && location.href.startsWith(%s)" % json.dumps(url))

    def js(self, expression):
        """The value of `expression` (a promise is awaited)."""
        result = self.send("Runtime.evaluate", {"expression": expression, "returnByValue": True,
                                                "awaitPromise": True}, session=True)
        if "exceptionDetails" in result:
            raise BrowserError("%s: %s" % (expression, result["exceptionDetails"].get("exception", {})
                                           .get("description", result["exceptionDetails"])))
        return result["result"].get("value")

    def wait(self, expression, bound=60, what=None):
        """Polls until `expression` is true; answers its value. A DOM node
        comes back as no value: wait for one with "!!document.querySelector(...)"."""
        end = time.monotonic() + bound
        while True:
            value = self.js(expression)
            if value:
                return value
            if time.monotonic() > end:
                raise BrowserError("waited %d s for %s\nconsole: %s" % (bound, what or expression, self.console[-10:]))
            time.sleep(0.1)

    def text(self, selector):
        return self.js("(document.querySelector(%s) || {}).innerText || ''" % json.dumps(selector))

    def visible(self, selector):
        return self.js("(() => { const e = document.querySelector(%s); return !!e && e.offsetParent !== null "
                       "&& getComputedStyle(e).visibility !== 'hidden'; })()" % json.dumps(selector))

    def focus(self, selector):
        self.js("document.querySelector(%s).focus()" % json.dumps(selector))

    def focused(self):
        return self.js("(() => { const e = document.activeElement; return e ? (e.id || e.textContent.trim()) : ''; })()")

    def type(self, text):
        self.send("Input.insertText", {"text": text}, session=True)

    def press(self, name, shift=False):
        key = dict(KEYS[name])
        modifiers = 8 if shift else 0
        down = dict(key, type="keyDown" if "text" in key else "rawKeyDown", modifiers=modifiers)
        up = dict(key, type="keyUp", modifiers=modifiers)
        up.pop("text", None)
        self.send("Input.dispatchKeyEvent", down, session=True)
        self.send("Input.dispatchKeyEvent", up, session=True)

    def screenshot(self, path, full=False):
        params = {"format": "png"}
        if full:
            params["captureBeyondViewport"] = True
            size = self.js("[document.documentElement.scrollWidth, document.documentElement.scrollHeight]")
            params["clip"] = {"x": 0, "y": 0, "width": size[0], "height": size[1], "scale": 1}
        data = self.send("Page.captureScreenshot", params, session=True)["data"]
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(base64.b64decode(data))

    def close(self):
        try:
            self.send("Browser.close")
        except BrowserError:
            pass
        try:
            self.proc.wait(timeout=20)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
        os.close(self.out)
        self.reader.join(timeout=5)
        os.close(self.inp)
        self.log.close()
        shutil.rmtree(self.profile, ignore_errors=True)

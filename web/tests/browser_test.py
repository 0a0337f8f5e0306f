#!/usr/bin/python3
"""brenlow-web as a person uses it: headless Chromium opens the page against
simulated controllers of all three panel formats.

Usage: browser_test.py BRENLOW_WEB CTRLSIM
Exits 77 (skipped) only when Chromium or its driver is not installed.
"""
import base64
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.error
import urllib.request

WEB, CTRLSIM = sys.argv[1:3] if len(sys.argv) >= 3 else (None, None)
LISTEN = ('127.0.20.1', 18716)
BASE = 'http://%s:%d' % LISTEN
CONTROLLERS = [('127.0.20.2', 'mono', 0), ('127.0.20.3', 'raw', 1), ('127.0.20.4', 'rle', 2)]
SILENT = '127.0.20.9'  # in the list, never answers: refused
# A slow panel period leaves long quiet spans in which every copy of a
# panel must agree exactly.
RATE_MS = 3000


def wait_for(condition, timeout, step=0.2, what='condition'):
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError('timed out after %s s waiting for %s' % (timeout, what))
        time.sleep(step)


def get(path, timeout=10):
    try:
        with urllib.request.urlopen(BASE + path, timeout=timeout) as answer:
            return answer.status, answer.read()
    except urllib.error.HTTPError as error:
        return error.code, error.read()


def start_controller(address, fmt, layout):
    process = subprocess.Popen([CTRLSIM, '--address', address, '--format', fmt, '--layout', str(layout),
                                '--rate-ms', str(RATE_MS), '--quiet', '--key-log', os.devnull],
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    line = process.stdout.readline()
    assert line.startswith('READY'), 'ctrlsim on %s did not start: %r' % (address, line)
    return process


def raw_exchange(data, read=True, timeout=15):
    """Sends bytes on a fresh connection and returns the answer's status line."""
    with socket.create_connection(LISTEN, timeout=timeout) as s:
        s.sendall(data)
        if not read:
            return b''
        answer = b''
        while b'\r\n' not in answer:
            chunk = s.recv(4096)
            if not chunk:
                break
            answer += chunk
        return answer.split(b'\r\n')[0]


def websocket_upgrade(origin=None, host='%s:%d' % LISTEN):
    request = ('GET /ws HTTP/1.1\r\nHost: %s\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n'
               'Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n' % host)
    if origin:
        request += 'Origin: %s\r\n' % origin
    return (request + '\r\n').encode()


class BrowserTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.mkdtemp(prefix='brenlow-web-test-')
        cls.list = os.path.join(cls.dir, 'canali.txt')
        with open(cls.list, 'w') as f:
            f.write(''.join(a + '\n' for a, _, _ in CONTROLLERS) + SILENT + '\n')
        cls.sims = {a: start_controller(a, f, l) for a, f, l in CONTROLLERS}
        cls.start_daemon()
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
        options = webdriver.ChromeOptions()
        options.binary_location = shutil.which('chromium')
        for flag in ('--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
                     '--disable-background-networking', '--disable-component-update', '--disable-sync',
                     '--disable-dev-shm-usage', '--user-data-dir=' + os.path.join(cls.dir, 'profile'),
                     '--window-size=1400,1000'):
            options.add_argument(flag)
        cls.browser = webdriver.Chrome(service=Service(shutil.which('chromedriver')), options=options)
        cls.browser.set_script_timeout(30)

    @classmethod
    def start_daemon(cls):
        cls.daemon = subprocess.Popen([WEB, '--listen', '%s:%d' % LISTEN, '--event-log',
                                       os.path.join(cls.dir, 'events.jsonl'), cls.list],
                                      stderr=subprocess.DEVNULL)
        wait_for(lambda: cls.answers(), 10, what='the daemon to listen')

    @staticmethod
    def answers():
        try:
            return get('/api/controllers', timeout=2)[0] == 200
        except OSError:
            return False

    @classmethod
    def tearDownClass(cls):
        cls.browser.quit()
        for process in list(cls.sims.values()) + [cls.daemon]:
            process.kill()
            process.wait()
            if process.stdout:
                process.stdout.close()
        shutil.rmtree(cls.dir, ignore_errors=True)

    def tile_states(self):
        return self.browser.execute_script(
            'return Array.from(document.querySelectorAll(".tile")).map('
            't => [t.dataset.address, t.dataset.state, Number(t.dataset.updates)]);')

    def open_page(self):
        self.browser.get(BASE + '/')
        wait_for(lambda: all(s == 'online' and n > 0 for a, s, n in self.tile_states() if a != SILENT)
                 and len(self.tile_states()) == 4, 20, what='every tile on line with a panel')

    def canvas_pixels(self, selector):
        return self.browser.execute_script(
            'const c = document.querySelector(arguments[0]);'
            'const d = c.getContext("2d").getImageData(0, 0, c.width, c.height).data;'
            'let s = ""; for (let i = 0; i < d.length; i += 8192)'
            ' s += String.fromCharCode.apply(null, d.subarray(i, i + 8192));'
            'return [c.width, c.height, btoa(s)];', selector)

    def png_pixels(self, png):
        """The browser's own decoding of a PNG, for an exact comparison."""
        return self.browser.execute_async_script(
            'const done = arguments[1]; const image = new Image();'
            'image.onload = () => { const c = document.createElement("canvas");'
            ' c.width = image.width; c.height = image.height; const x = c.getContext("2d");'
            ' x.drawImage(image, 0, 0); const d = x.getImageData(0, 0, c.width, c.height).data;'
            ' let s = ""; for (let i = 0; i < d.length; i += 8192)'
            '  s += String.fromCharCode.apply(null, d.subarray(i, i + 8192));'
            ' done([c.width, c.height, btoa(s)]); };'
            'image.onerror = () => done(null); image.src = "data:image/png;base64," + arguments[0];',
            base64.b64encode(png).decode())

    def test_1_tiles_show_exactly_the_panels(self):
        self.open_page()
        tiles = self.tile_states()
        self.assertEqual([a for a, _, _ in tiles], [a for a, _, _ in CONTROLLERS] + [SILENT])
        for address, fmt, _ in CONTROLLERS:
            with self.subTest(controller=address, format=fmt):
                # The daemon's picture of the panel (written by brenlow-snap's
                # code, in the console's colours) against the tile's canvas;
                # the panel changes every few seconds, so both are taken
                # within one quiet span.
                for attempt in range(10):
                    status, served = get('/snapshot/%s.png' % address)
                    shown = self.canvas_pixels('.tile[data-address="%s"] canvas' % address)
                    if status == 200 and shown == self.png_pixels(served):
                        break
                    time.sleep(0.5)
                else:
                    self.fail('the tile of %s never showed the panel exactly' % address)
                self.assertEqual(shown[:2], [240, 128] if fmt == 'mono' else [320, 240])
        # The controller that never answers has a tile too, waiting to retry.
        self.assertIn(dict((a, s) for a, s, _ in self.tile_states())[SILENT], ('unreachable', 'reconnecting'))

        # Zoom for every tile, kept by the browser across a reload.
        self.browser.find_element('css selector', '#zoom button[data-zoom="3"]').click()
        self.browser.refresh()
        self.open_page()
        width = self.browser.execute_script(
            'return document.querySelector(\'.tile[data-address="127.0.20.3"] canvas\').getBoundingClientRect().width;')
        self.assertEqual(round(width), 960)
        # A click shows the panel large; the address in the URL opens it too.
        self.browser.find_element('css selector', '.tile[data-address="127.0.20.2"]').click()
        wait_for(lambda: self.browser.execute_script(
            'const d = document.getElementById("detail"); return !d.hidden && d.dataset.address;') == '127.0.20.2',
            5, what='the large panel')
        self.browser.get(BASE + '/#127.0.20.4')
        wait_for(lambda: self.browser.execute_script(
            'return document.getElementById("detail").dataset.address;') == '127.0.20.4', 10, what='#address')

    def test_2_api_and_metrics_agree_with_the_stream(self):
        self.open_page()
        sizes = {'mono': 242, 'raw': 322}
        for attempt in range(10):
            controllers = json.loads(get('/api/controllers')[1])
            metrics = get('/metrics')[1].decode()
            samples = {}
            for line in metrics.splitlines():
                if line and not line.startswith('#'):
                    name, value = line.rsplit(' ', 1)
                    samples[name] = value
            agree = all(samples['brenlow_controller_bytes_received_total{address="%s"}' % c['address']]
                        == str(c['bytes']) and samples['brenlow_controller_blocks_total{address="%s"}'
                                                       % c['address']] == str(c['blocks'])
                        for c in controllers)
            if agree:
                break
        self.assertTrue(agree, 'the metrics never agreed with /api/controllers')
        self.assertEqual([c['address'] for c in controllers], [a for a, _, _ in CONTROLLERS] + [SILENT])
        for c, (address, fmt, _) in zip(controllers, CONTROLLERS):
            self.assertEqual((c['state'], c['text'], c['format']), ('online', 'in linea', fmt))
            self.assertEqual((c['width'], c['height']), (240, 128) if fmt == 'mono' else (320, 240))
            self.assertEqual(samples['brenlow_controller_up{address="%s"}' % address], '1')
            # Fixed-size blocks: the bytes received are exactly whole blocks
            # (rle blocks vary in size, so only their count is checked).
            if fmt in sizes:
                self.assertEqual(c['bytes'], c['blocks'] * sizes[fmt])
            self.assertGreaterEqual(c['blocks'], 16 if fmt == 'mono' else 240)
            self.assertLess(c['lastBlockAgeMs'], 5000)
        silent = controllers[3]
        self.assertEqual((silent['lastBlockAgeMs'], silent['format'], silent['bytes']), (None, None, 0))
        self.assertEqual(samples['brenlow_controller_up{address="%s"}' % SILENT], '0')
        self.assertEqual(samples['brenlow_controller_last_block_age_seconds{address="%s"}' % SILENT], 'NaN')
        # This page's WebSocket, counted once (earlier pages of the browser
        # closed theirs).
        wait_for(lambda: b'brenlow_web_clients 1\n' in get('/metrics')[1], 10, what='one WebSocket counted')
        self.assertEqual(get('/snapshot/%s.png' % SILENT)[0], 503)
        self.assertEqual(get('/snapshot/10.0.0.1.png')[0], 404)
        self.assertEqual(get('/snapshot/127.0.20.2.png?scale=9')[0], 400)
        # The command line's failures: one line on standard error each.
        for args, code in ((['--listen', 'nowhere', self.list], 1), ([os.path.join(self.dir, 'missing.txt')], 1),
                           (['--listen', '%s:%d' % LISTEN, self.list], 2)):
            run = subprocess.run([WEB] + args, capture_output=True, text=True, timeout=30)
            self.assertEqual((run.returncode, run.stderr.count('\n')), (code, 1), run.stderr)
        events = json.loads(get('/api/events?since=0')[1])['events']
        self.assertTrue(any(e['address'] == SILENT and e['reason'] == 'Connessione rifiutata' for e in events))

    def test_3_stopped_controller_goes_and_comes_back(self):
        self.open_page()
        address, fmt, layout = CONTROLLERS[2]
        self.sims[address].kill()
        self.sims[address].wait()
        self.sims[address].stdout.close()
        stopped = time.monotonic()
        state = lambda: dict((a, s) for a, s, _ in self.tile_states())[address]
        wait_for(lambda: state() in ('closed', 'reconnecting'), 3, 0.05, 'the stopped controller to show')
        # The last picture stays, marked as old.
        self.assertIn('immagine di', self.browser.execute_script(
            'return document.querySelector(\'.tile[data-address="%s"] .age\').textContent;' % address))
        self.assertLess(time.monotonic() - stopped, 3.5)
        time.sleep(4)  # a few attempts back off meanwhile
        self.sims[address] = start_controller(address, fmt, layout)
        back = time.monotonic()
        wait_for(lambda: state() == 'online', 35, 0.2, 'the controller to come back on line')
        self.assertLess(time.monotonic() - back, 35)

    def test_4_hostile_clients_leave_the_others_served(self):
        self.open_page()
        idle = socket.create_connection(LISTEN)
        idle.sendall(b'GET / HTTP/1.1\r\nHost: x\r\n')  # never finished
        opened = time.monotonic()
        cases = [
            (b'POST /api/controllers HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n\r\n', b'405'),
            (b'GET / HTTP/1.1\r\nHost: x\r\nX-Big: ' + b'a' * 9000 + b'\r\n\r\n', b'431'),
            (b'\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03garbage\r\n\r\n', b'400'),
            (b'GET /../../etc/passwd HTTP/1.1\r\nHost: x\r\n\r\n', b'404'),
            (websocket_upgrade(origin='http://elsewhere.example'), b'403'),
            (websocket_upgrade(origin=BASE), b'101'),
        ]
        for request, status in cases:
            with self.subTest(status=status):
                self.assertIn(status, raw_exchange(request))

        # More connections than allowed: the extra ones are refused or
        # closed, and the daemon serves again once they are gone.
        crowd = []
        for _ in range(300):
            try:
                crowd.append(socket.create_connection(LISTEN, timeout=5))
            except OSError:
                break
        refused = 0
        for s in crowd:
            s.settimeout(0.05)
            try:
                answer = s.recv(64)
                refused += 1 if answer == b'' or answer.startswith(b'HTTP/1.1 503') else 0
            except socket.timeout:
                pass
            except OSError:
                refused += 1
        self.assertGreater(refused, 0, 'no connection over the limit was refused')
        for s in crowd:
            s.close()
        sockets = []
        for _ in range(70):
            s = socket.create_connection(LISTEN, timeout=10)
            s.sendall(websocket_upgrade())
            sockets.append(s)
        answers = [s.recv(12) for s in sockets]
        self.assertGreaterEqual(sum(a.endswith(b'503') for a in answers), 5)
        self.assertLessEqual(sum(a.endswith(b'101') for a in answers), 64)
        for s in sockets:
            s.close()

        # The one that never finished its request is let go after 10 s.
        idle.settimeout(20)
        self.assertEqual(idle.recv(100), b'')
        self.assertLess(time.monotonic() - opened, 16)
        idle.close()
        # The browser's page kept working all along.
        self.assertTrue(all(s == 'online' for a, s, _ in self.tile_states() if a != SILENT))
        self.assertEqual(get('/api/controllers')[0], 200)

    def test_5_page_waits_for_a_stopped_server(self):
        self.open_page()
        self.daemon.send_signal(signal.SIGTERM)
        self.daemon.wait()
        wait_for(lambda: self.browser.execute_script(
            'return document.getElementById("server").textContent;') == 'Server non raggiungibile', 10,
            what='"Server non raggiungibile"')
        self.start_daemon()
        wait_for(lambda: self.browser.execute_script(
            'return document.getElementById("server").dataset.connection;') == 'open', 40,
            what='the page to reconnect')


if __name__ == '__main__':
    if not (shutil.which('chromium') and shutil.which('chromedriver')):
        print('SKIPPED: chromium and chromium-driver are not installed (scripts/setup.sh installs them)')
        sys.exit(77)
    try:
        import selenium  # noqa: F401
    except ImportError:
        print('SKIPPED: python3-selenium is not installed (scripts/setup.sh installs it)')
        sys.exit(77)
    unittest.main(argv=sys.argv[:1], verbosity=2)

// The floor in a browser: one tile per controller, drawn from the panels the
// daemon pushes over its WebSocket, with each connection's state.
'use strict';
(function () {
  const kZoomKey = 'brenlow-web.zoom';
  const kMostEvents = 200;
  const kFirstRetryMs = 1000;
  const kLongestRetryMs = 30000;

  const grid = document.getElementById('grid');
  const eventList = document.getElementById('events');
  const server = document.getElementById('server');
  const detail = document.getElementById('detail');
  const detailFrame = detail.querySelector('.frame');
  const detailCanvas = detail.querySelector('canvas');
  const controllers = [];
  let zoom = readZoom();
  let retryMs = kFirstRetryMs;
  let detailIndex = -1;

  function readZoom() {
    let stored = 1;
    try { stored = Number(window.localStorage.getItem(kZoomKey)); } catch (e) { /* storage off */ }
    return stored >= 1 && stored <= 4 ? Math.floor(stored) : 1;
  }

  function setZoom(value) {
    zoom = value;
    try { window.localStorage.setItem(kZoomKey, String(value)); } catch (e) { /* storage off */ }
    document.querySelectorAll('#zoom button').forEach((button) => {
      button.classList.toggle('active', Number(button.dataset.zoom) === zoom);
    });
    document.body.dataset.zoom = String(zoom);
    controllers.forEach(sizeTile);
  }

  function sizeTile(c) {
    c.canvas.style.width = (c.canvas.width * zoom) + 'px';
    c.canvas.style.height = (c.canvas.height * zoom) + 'px';
  }

  function element(tag, className, parent) {
    const node = document.createElement(tag);
    if (className) node.className = className;
    if (parent) parent.appendChild(node);
    return node;
  }

  function makeTile(info, index) {
    const tile = element('div', 'tile', grid);
    tile.dataset.address = info.address;
    tile.dataset.index = String(index);
    tile.dataset.updates = '0';
    const canvas = element('canvas', '', tile);
    canvas.width = info.width || 240;
    canvas.height = info.height || 128;
    const c = {
      tile: tile, canvas: canvas, context: canvas.getContext('2d'), pixels: null, image: null,
      colours: null, family: null, info: null, receivedAt: 0,
      address: element('div', 'address', tile), state: element('div', 'state', tile), age: element('div', 'age', tile),
    };
    c.address.textContent = info.address;
    tile.addEventListener('click', () => { window.location.hash = '#' + info.address; });
    applyInfo(c, info);
    sizeTile(c);
    return c;
  }

  function buildGrid(list) {
    const same = list.length === controllers.length
      && list.every((info, i) => info.address === controllers[i].info.address);
    if (same) {
      list.forEach((info, i) => applyInfo(controllers[i], info));
      return;
    }
    grid.replaceChildren();
    controllers.length = 0;
    list.forEach((info, i) => controllers.push(makeTile(info, i)));
  }

  function applyInfo(c, info) {
    c.info = info;
    c.receivedAt = performance.now();
    c.tile.dataset.state = info.state;
    c.tile.dataset.format = info.format || '';
    c.tile.title = info.reason || '';
    c.state.textContent = info.text;
    showAge(c);
    if (controllers[detailIndex] === c) showDetailState();
  }

  // A picture that is not live says how old it is.
  function showAge(c) {
    const info = c.info;
    let text = '';
    if (info.state !== 'online') {
      if (info.lastBlockAgeMs === null) {
        text = 'nessun blocco ricevuto';
      } else {
        const seconds = Math.floor((info.lastBlockAgeMs + performance.now() - c.receivedAt) / 1000);
        text = 'immagine di ' + seconds + ' s fa';
      }
      if (info.reason) text += ' \u2013 ' + info.reason;
    }
    c.age.textContent = text;
  }

  function onPalette(message) {
    const c = controllers[message.index];
    if (!c) return;
    c.family = message.family;
    c.colours = new Uint32Array(message.colours.length);
    message.colours.forEach((rgb, i) => {
      // ImageData holds R, G, B, A bytes: little-endian words read A B G R.
      c.colours[i] = (0xff000000 | ((rgb & 0xff) << 16) | (rgb & 0xff00) | ((rgb >> 16) & 0xff)) >>> 0;
    });
    if (c.canvas.width !== message.width || c.canvas.height !== message.height) {
      c.canvas.width = message.width;
      c.canvas.height = message.height;
      sizeTile(c);
    }
    c.image = c.context.createImageData(message.width, message.height);
    c.pixels = new Uint32Array(c.image.data.buffer);
    if (controllers[detailIndex] === c) showDetail(detailIndex);
  }

  function onPanel(buffer) {
    const view = new DataView(buffer);
    const bytes = new Uint8Array(buffer);
    if (bytes.length < 7 || bytes[0] !== 1) return;
    const c = controllers[view.getUint16(1, true)];
    if (!c || !c.pixels) return;
    const mono = bytes[3] === 1;
    const width = c.canvas.width;
    const perUnit = mono ? width * 8 : width;
    const count = view.getUint16(5, true);
    let offset = 7;
    for (let u = 0; u < count && offset + 1 + perUnit <= bytes.length; ++u) {
      const first = bytes[offset] * perUnit;
      offset += 1;
      if (first + perUnit > c.pixels.length) break;
      for (let i = 0; i < perUnit; ++i) c.pixels[first + i] = c.colours[bytes[offset + i]] || 0xff000000;
      offset += perUnit;
    }
    c.context.putImageData(c.image, 0, 0);
    c.tile.dataset.updates = String(Number(c.tile.dataset.updates) + 1);
    if (controllers[detailIndex] === c) detailCanvas.getContext('2d').putImageData(c.image, 0, 0);
  }

  function addEvent(event, atTop) {
    const item = document.createElement('li');
    item.dataset.seq = String(event.seq);
    const time = event.time.replace('T', ' ').replace(/\.\d+/, '');
    item.textContent = time + '  ' + event.address + '  ' + event.from + ' \u2192 ' + event.to
      + (event.reason ? '  (' + event.reason + ')' : '');
    if (atTop) eventList.insertBefore(item, eventList.firstChild); else eventList.appendChild(item);
    while (eventList.children.length > kMostEvents) eventList.removeChild(eventList.lastChild);
  }

  function showDetailState() {
    const c = controllers[detailIndex];
    detailFrame.dataset.state = c.info.state;
    detail.querySelector('.address').textContent = c.info.address;
    detail.querySelector('.state').textContent = c.info.text;
  }

  function showDetail(index) {
    const c = controllers[index];
    detailIndex = index;
    detail.hidden = false;
    detail.dataset.address = c.info.address;
    detailCanvas.width = c.canvas.width;
    detailCanvas.height = c.canvas.height;
    // The largest whole factor that fits the window, each pixel a square.
    const scale = Math.max(1, Math.min(8, Math.floor(Math.min(window.innerWidth * 0.9 / c.canvas.width,
      (window.innerHeight * 0.9 - 40) / c.canvas.height))));
    detailCanvas.style.width = (c.canvas.width * scale) + 'px';
    detailCanvas.style.height = (c.canvas.height * scale) + 'px';
    if (c.image) detailCanvas.getContext('2d').putImageData(c.image, 0, 0);
    showDetailState();
  }

  function followHash() {
    const address = decodeURIComponent(window.location.hash.slice(1));
    const index = controllers.findIndex((c) => c.info.address === address);
    if (index >= 0) {
      showDetail(index);
    } else {
      detailIndex = -1;
      detail.hidden = true;
      delete detail.dataset.address;
    }
  }

  function closeDetail() {
    window.history.replaceState(null, '', window.location.pathname + window.location.search);
    followHash();
  }

  function onMessage(message) {
    switch (message.type) {
      case 'controllers':
        buildGrid(message.controllers);
        eventList.replaceChildren();
        message.events.forEach((event) => addEvent(event, true));
        followHash();
        break;
      case 'state':
        if (controllers[message.controller.index]) applyInfo(controllers[message.controller.index], message.controller);
        addEvent(message.event, true);
        break;
      case 'texts':
        message.controllers.forEach((info) => { if (controllers[info.index]) applyInfo(controllers[info.index], info); });
        break;
      case 'palette':
        onPalette(message);
        break;
      default:
        break;
    }
  }

  function connect() {
    const scheme = window.location.protocol === 'https:' ? 'wss://' : 'ws://';
    const socket = new WebSocket(scheme + window.location.host + '/ws');
    socket.binaryType = 'arraybuffer';
    socket.onopen = () => {
      retryMs = kFirstRetryMs;
      server.dataset.connection = 'open';
      server.textContent = '';
      socket.send(JSON.stringify({ type: 'subscribe', all: true }));
    };
    socket.onmessage = (event) => {
      if (typeof event.data === 'string') onMessage(JSON.parse(event.data)); else onPanel(event.data);
    };
    socket.onclose = () => {
      server.dataset.connection = 'closed';
      server.textContent = 'Server non raggiungibile';
      window.setTimeout(connect, retryMs);
      retryMs = Math.min(retryMs * 2, kLongestRetryMs);
    };
  }

  document.querySelectorAll('#zoom button').forEach((button) => {
    button.addEventListener('click', () => setZoom(Number(button.dataset.zoom)));
  });
  document.getElementById('close-detail').addEventListener('click', closeDetail);
  detail.addEventListener('click', (event) => { if (event.target === detail) closeDetail(); });
  document.addEventListener('keydown', (event) => { if (event.key === 'Escape' && !detail.hidden) closeDetail(); });
  window.addEventListener('hashchange', followHash);
  window.setInterval(() => controllers.forEach(showAge), 1000);
  setZoom(zoom);
  connect();
}());
